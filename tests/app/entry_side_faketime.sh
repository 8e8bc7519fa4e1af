#!/usr/bin/env bash
# The entry side comes from the local wall clock's minute: under faketime at each quarter hour
# the program places its window beyond the edge the minute hand points to.
set -euo pipefail
exe="$1"
command -v faketime >/dev/null || { echo "faketime is not installed"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
check() {
  local when="$1" want="$2"
  # faketime preloads its library; a sanitizer build must be told that this is fine.
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
  PAKKORIN_PLATFORM="headless:screen=1920x1080:trace=$out/trace.txt:answer=no" \
    faketime "$when" "$exe" >/dev/null 2>&1 || true
  # The constructor's placement is the last move before the window is first shown.
  local got
  got=$(awk -F'\t' '$1=="show" && $2=="MainForm1" {exit} $1=="move" && $2=="MainForm1" {p=$3" "$4} END {print p}' "$out/trace.txt")
  if [ "$got" != "$want" ]; then echo "at $when: placed at '$got', expected '$want'"; exit 1; fi
}
check "2026-12-11 10:00:30" "660 -620"   # top
check "2026-12-11 10:15:30" "2540 240"   # right
check "2026-12-11 10:30:30" "660 1700"   # bottom
check "2026-12-11 10:45:30" "-620 240"   # left
check "2026-12-11 10:07:59" "660 -620"   # still the top
check "2026-12-11 10:08:00" "2540 240"   # the right from minute 8
echo "entry side follows the wall clock"
