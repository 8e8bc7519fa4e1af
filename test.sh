#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite in parallel.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
pakkorin_install
pakkorin_build build
cd build
ctest -j "$(nproc)" --output-on-failure --timeout 300
