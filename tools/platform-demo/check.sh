#!/usr/bin/env bash
# Runs the platform demo on the headless screen and checks its trace and its last screenshot.
set -euo pipefail
demo="$1"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
PAKKORIN_PLATFORM="headless:screen=800x600:trace=$out/trace.txt:shots=$out" timeout 60 "$demo"
expected=$(printf 'move\tDemoForm\t40\t0\nmove\tDemoForm\t40\t30\nsize\tDemoForm\t320\t225\nsize\tDemoForm\t306\t225\nshow\tDemoForm\nmove\tDemoForm\t50\t30\nmove\tDemoForm\t60\t30\nmove\tDemoForm\t70\t30\nmove\tDemoForm\t80\t30\nmove\tDemoForm\t90\t30\nclose\tDemoForm\tidle\nexit\t0')
actual=$(grep -v '^region' "$out/trace.txt")
if [ "$actual" != "$expected" ]; then
  echo "trace differs:"; diff <(echo "$expected") <(echo "$actual") || true; exit 1
fi
shot=$(ls "$out"/*-close.png)
# At rest the form's client area starts at (93, 52): white left of the picture, the crest's
# magenta corner, its black centre; the desktop outside the form.
python3 - "$shot" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
pos, idat, width = 8, b'', 0
while pos < len(data):
    n, kind = struct.unpack('>I4s', data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + n]
    if kind == b'IHDR':
        width, height = struct.unpack('>II', body[:8])
    elif kind == b'IDAT':
        idat += body
    pos += 12 + n
raw = zlib.decompress(idat)
stride = width * 3
rows, prev = [], bytearray(stride)
for y in range(height):
    f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    for i in range(stride):
        a = line[i - 3] if i >= 3 else 0
        b = prev[i]
        c = prev[i - 3] if i >= 3 else 0
        if f == 1: line[i] = (line[i] + a) & 255
        elif f == 2: line[i] = (line[i] + b) & 255
        elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
        elif f == 4:
            p = a + b - c; pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    rows.append(line); prev = line
def px(x, y): return tuple(rows[y][x * 3:x * 3 + 3])
checks = [((100, 150), (255, 255, 255)), ((145, 54), (255, 0, 255)), ((243, 152), (0, 0, 0)), ((600, 400), (0, 128, 128))]
bad = [(p, px(*p), want) for p, want in checks if px(*p) != want]
if bad:
    print('screenshot differs:', bad); sys.exit(1)
PY
echo "platform demo: trace and screenshot as expected"
