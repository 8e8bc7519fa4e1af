#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite in parallel (the X11
# tests, label x11, start a private Xvfb each), then the same suite under the address and
# undefined-behaviour sanitizers, then every fuzz target for about a minute (FUZZ_SECONDS to change
# that; 0 skips fuzzing).
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
pakkorin_install
pakkorin_build build
if ! command -v Xvfb >/dev/null; then
  echo "test.sh: Xvfb is not installed; the X11 tests will be skipped" >&2
fi
(cd build && ctest -j "$(nproc)" --output-on-failure --timeout 300)
tools/sanitize.sh
if [ "${FUZZ_SECONDS:-60}" -gt 0 ]; then
  tools/fuzz.sh "${FUZZ_SECONDS:-60}"
fi
