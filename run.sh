#!/usr/bin/env bash
# Quick start: ./run.sh PICTURE
# Installs what is missing, builds both editions and runs the standard edition on the picture:
# on the desktop when a display can be opened, on the headless screen otherwise.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
pakkorin_install
pakkorin_build build
if [ $# -eq 0 ]; then
  echo "usage: ./run.sh PICTURE   (a .bmp, .jpg or .jpeg file)" >&2
fi
exec build/pakkorin "$@"
