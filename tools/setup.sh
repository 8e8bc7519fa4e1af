#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine (only what is missing),
# then configures and builds build/. Sourced by run.sh and test.sh.
set -euo pipefail

PAKKORIN_PACKAGES=(
  build-essential cmake pkg-config
  libjpeg62-turbo-dev libfreetype-dev libfontconfig-dev fonts-ipafont-gothic
  libx11-dev libxext-dev libxtst-dev libpng-dev
  libgtest-dev libbenchmark-dev
  xvfb x11-utils xdotool faketime
  clang libclang-rt-14-dev
)

pakkorin_install() {
  local missing=()
  for p in "${PAKKORIN_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

pakkorin_build() {
  local dir="${1:-build}"; shift || true
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}
