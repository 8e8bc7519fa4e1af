#!/usr/bin/env bash
# On a real X server (a private Xvfb) the program slides its window in and saves a stamp that is
# byte for byte the stamp the headless screen makes of the same picture. The saved-message box is
# answered with Return through xdotool, as a user would.
set -euo pipefail
exe="$1"
picture="$2"
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "Xvfb or xdotool missing"; exit 1; }
out=$(mktemp -d)
xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$out"; }
trap cleanup EXIT
mkdir -p "$out/x11" "$out/headless"
name="photo.${picture##*.}"
cp "$picture" "$out/x11/$name"
cp "$picture" "$out/headless/$name"
exec 3> "$out/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.1; done
display=":$(head -n1 "$out/display")"
DISPLAY="$display" PAKKORIN_PLATFORM="x11:trace=$out/x11.trace" "$exe" "$out/x11/$name" &
pid=$!
for _ in $(seq 600); do
  kill -0 "$pid" 2>/dev/null || break
  if grep -q '^beep' "$out/x11.trace" 2>/dev/null; then DISPLAY="$display" xdotool key Return 2>/dev/null || true; fi
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then kill "$pid"; echo "the X11 run did not end"; exit 1; fi
wait "$pid"
PAKKORIN_PLATFORM="headless:screen=1920x1080:trace=$out/headless.trace" "$exe" "$out/headless/$name" 2>/dev/null
stamp="パッコパンチ ～ photo.jpg"
cmp "$out/x11/$stamp" "$out/headless/$stamp"
grep -q "^exit	0" "$out/x11.trace"
# The same events in both runs but the real clock's: the region, size and close lines agree.
diff <(grep -E '^(region|size|close|exit)' "$out/x11.trace") <(grep -E '^(region|size|close|exit)' "$out/headless.trace")
echo "the X11 stamp equals the headless stamp"
