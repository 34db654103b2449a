#!/usr/bin/env bash
# Installs what is missing, builds ZAPT and starts it. Arguments go to the player (a folder,
# a playable file or an .m3u file).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/setup-debian.sh"
cmake -S "$top" -B "$top/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DZAPT_BUILD_TESTS=OFF -DZAPT_BUILD_BENCH=OFF > /dev/null
cmake --build "$top/build-release" --target zapt
exec "$top/build-release/zapt" "$@"
