#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/
# and runs it in parallel: any leak, bad access or undefined behaviour fails its test. Assertions
# stay on in this build, whatever the normal build does. Usage: tools/sanitize.sh
set -euo pipefail
cd "$(dirname "$0")/.."

jobs="$(nproc)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g" -DPAKKORIN_SANITIZE=ON -DPAKKORIN_BENCH=OFF >/dev/null

# The options also hold while the build lists the tests, which runs the test programs.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

cmake --build build-asan -j "$jobs"
cd build-asan
ctest -j "$jobs" --output-on-failure --timeout 600
