#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a bounded time, one
# after the other. Fails when any target finds a crash, a leak, a timeout or an out-of-memory.
#
#   tools/fuzz.sh              every target (bmp, form, jpeg, region), about 60 s each
#   tools/fuzz.sh 60           the same
#   tools/fuzz.sh 3600 bmp     one target for an hour (a developer's long run)
#
# Seeds come from fuzz/corpus/TARGET (kept in git, never written by a run); what a run learns is
# kept in build-fuzz/corpus/TARGET and reused by the next run. Findings go to
# build-fuzz/findings/, each reproducible with: build-fuzz/fuzz/fuzz_TARGET FILE
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for src in fuzz/*.cpp; do
    name="$(basename "$src" .cpp)"
    [ "$name" = make_seeds ] || targets+=("$name")
  done
fi

fuzzer_runtime="$(clang++ -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a"
if [ ! -f "$fuzzer_runtime" ]; then
  echo "fuzz.sh: clang's libFuzzer is missing ($fuzzer_runtime); install libclang-rt-14-dev" >&2
  exit 1
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAKKORIN_FUZZ=ON \
  -DPAKKORIN_TESTS=OFF -DPAKKORIN_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
mkdir -p build-fuzz/findings
failed=()
for t in "${targets[@]}"; do
  if [ ! -d "fuzz/corpus/$t" ]; then
    echo "fuzz.sh: no seeds in fuzz/corpus/$t" >&2
    exit 1
  fi
  mkdir -p "build-fuzz/corpus/$t"
  log="build-fuzz/findings/$t.log"
  echo "== fuzz $t for ${seconds} s"
  # A single input taking 20 s is a hang for someone who dropped a file on the icon; the memory
  # limit is the one every target must hold.
  if build-fuzz/fuzz/"fuzz_$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$t-" \
      "build-fuzz/corpus/$t" "fuzz/corpus/$t" >"$log" 2>&1; then
    grep -E '^Done [0-9]+ runs|stat::average_exec_per_sec|stat::peak_rss_mb' "$log" | sed "s/^/   $t: /"
  else
    echo "!! $t found a problem; the end of $log:" >&2
    tail -n 40 "$log" >&2
    failed+=("$t")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz.sh: findings in: ${failed[*]} (inputs in build-fuzz/findings/)" >&2
  exit 1
fi
echo "fuzz.sh: no findings"
