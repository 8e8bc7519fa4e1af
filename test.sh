#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite in parallel.
# The X11 tests (label x11) start a private Xvfb each; without Xvfb they are skipped.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
pakkorin_install
pakkorin_build build
if ! command -v Xvfb >/dev/null; then
  echo "test.sh: Xvfb is not installed; the X11 tests will be skipped" >&2
fi
cd build
ctest -j "$(nproc)" --output-on-failure --timeout 300
