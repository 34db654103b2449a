#!/usr/bin/env bash
# Installs the Debian packages ZAPT needs to build, run and test; does nothing for those present.
set -euo pipefail
pkgs=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-translations-l10n libsdl2-dev libpulse-dev libmpg123-dev libsndfile1-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libfluidsynth-dev timgm6mb-soundfont
  libgtest-dev libgmock-dev libbenchmark-dev libtag1-dev
  fonts-ipafont-gothic xvfb xauth pulseaudio pulseaudio-utils
  dbus-daemon desktop-file-utils appstream
  clang
)

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

install_missing "${pkgs[@]}"
# The fuzzers link clang's libFuzzer runtime. It comes in the runtime package of the installed
# clang's major version, which clang only recommends.
clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
install_missing "libclang-rt-${clang_major}-dev"
