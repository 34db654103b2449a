#!/usr/bin/env bash
# Installs the Debian packages ZAPT needs to build, run and test; does nothing for those present.
set -euo pipefail
pkgs=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libsdl2-dev libmpg123-dev libsndfile1-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libfluidsynth-dev timgm6mb-soundfont
  libgtest-dev libgmock-dev libbenchmark-dev libtag1-dev
  fonts-ipafont-gothic xvfb xauth
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
