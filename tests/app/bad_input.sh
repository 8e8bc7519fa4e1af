#!/usr/bin/env bash
# Drops damaged, lying and foreign files on the program, one per folder, and checks each run: it
# ends by itself with status 0 or 1 (never a signal or a hang), a reader that refuses the file
# says so with the platform's own text, the stamp is saved next to the file (white and 600 x 600
# when the picture could not be read), and nothing else is written anywhere.
#
#   tests/app/bad_input.sh PAKKORIN [JPEG_SEED_DIR]
#
# The JPEG files are cut from the fuzz seeds (fuzz/corpus/jpeg by default); the bitmaps are made
# here. Under the sanitizer build, run it by hand with build-asan/pakkorin.
set -uo pipefail
exe="$(realpath "$1")"
seeds="$(realpath "${2:-$(dirname "$0")/../../fuzz/corpus/jpeg}")"
command -v python3 >/dev/null || { echo "python3 is needed to make the files"; exit 1; }

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/cases" "$tmp/traces" "$tmp/cwd"

# Each case is a folder holding one file, and a line in expect.txt: FOLDER FILE KIND, where KIND
# is "refused" (the reader must fail), "read" (it must succeed) or "none" (it must not be tried).
python3 - "$tmp/cases" "$seeds" <<'EOF'
import os, struct, sys, zlib
out, seeds = sys.argv[1], sys.argv[2]
expect = []

def case(folder, name, data, kind):
    os.makedirs(os.path.join(out, folder))
    with open(os.path.join(out, folder, name), 'wb') as f:
        f.write(data)
    expect.append(f"{folder} {name} {kind}")

def bmp(width, height, bpp=24, compression=0, colors_used=0, palette=b'', pixels=None,
        off_bits=None, extra=b''):
    header_end = 14 + 40 + len(extra) + len(palette)
    if pixels is None:
        stride = (width * bpp + 31) // 32 * 4
        pixels = bytes(stride * abs(height))
    off = header_end if off_bits is None else off_bits
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bpp, compression, len(pixels),
                       2835, 2835, colors_used, 0)
    size = header_end + len(pixels)
    return b'BM' + struct.pack('<IHHI', size, 0, 0, off) + info + extra + palette + pixels

good = bmp(4, 3, pixels=bytes(range(36)))
case('bmp-good', 'good.bmp', good, 'read')
# Cut inside and between every header field, then in the rows.
for cut in (0, 1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 38, 42, 46, 50, 54, 60):
    case(f'bmp-cut-{cut}', f'cut{cut}.bmp', good[:cut], 'refused')
case('bmp-offset-past-end', 'offset.bmp', bmp(4, 3, off_bits=0xFFFFFF00), 'refused')
case('bmp-offset-in-header', 'offset.bmp', bmp(4, 3, off_bits=20), 'refused')
gray = b''.join(bytes((i, i, i, 0)) for i in range(256))
case('bmp-rle8-run-off-row', 'rle.bmp', bmp(4, 4, 8, 1, pixels=bytes((200, 1, 0, 1)), palette=gray), 'refused')
case('bmp-rle8-delta-off-end', 'rle.bmp', bmp(4, 4, 8, 1, pixels=bytes((0, 2, 3, 9, 0, 1)), palette=gray), 'refused')
case('bmp-rle8-no-end', 'rle.bmp', bmp(4, 4, 8, 1, pixels=bytes((2, 5, 0, 0, 4)), palette=gray), 'refused')
case('bmp-rle4-absolute-short', 'rle.bmp', bmp(8, 2, 4, 2, pixels=bytes((0, 8, 0x12)), palette=gray[:64]), 'refused')
case('bmp-bitfields-zero', 'masks.bmp', bmp(2, 2, 16, 3, extra=bytes(12)), 'refused')
case('bmp-bitfields-past-16', 'masks.bmp', bmp(2, 2, 16, 3, extra=struct.pack('<III', 0x1F0000, 0x7E0, 0x1F)), 'refused')
case('bmp-palette-300', 'palette.bmp', bmp(2, 2, 8, 0, colors_used=300, palette=gray + gray[:44 * 4]), 'refused')
case('bmp-palette-short', 'palette.bmp', bmp(2, 2, 8, 0, colors_used=200, palette=gray[:16]), 'refused')
case('bmp-width-0', 'zero.bmp', bmp(0, 4), 'refused')
case('bmp-height-0', 'zero.bmp', bmp(4, 0), 'refused')
case('bmp-width-negative', 'negative.bmp', bmp(-4, 3, pixels=bytes(48)), 'refused')
case('bmp-height-min', 'negative.bmp', bmp(4, -2**31, pixels=bytes(48)), 'refused')
case('bmp-topdown', 'topdown.bmp', bmp(4, -3), 'read')
case('bmp-huge-claim', 'huge.bmp', bmp(60000, 2000, pixels=bytes(64)), 'refused')
case('bmp-over-limit', 'huge.bmp', bmp(65536, 1, pixels=bytes(64)), 'refused')
# Run-length data may legitimately paint a large picture from a few bytes.
case('bmp-rle8-large', 'large.bmp', bmp(4000, 3000, 8, 1, pixels=bytes((0, 1)), palette=gray), 'read')
case('bmp-text', 'notes.bmp', b'These are my notes, not a picture.\n' * 4, 'refused')
case('bmp-jpeg-inside', 'photo.bmp', open(os.path.join(seeds, 'baseline420.jpg'), 'rb').read(), 'refused')

def png_1x1():
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 1, 1, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(b'\x00\xff\x00\x00')) + chunk(b'IEND', b''))

jpeg = open(os.path.join(seeds, 'baseline420.jpg'), 'rb').read()
case('jpeg-good', 'good.jpg', jpeg, 'read')
# Where each marker segment starts, to cut in the headers and in the scan.
marks, p = {}, 2
while p + 4 <= len(jpeg) and jpeg[p] == 0xFF:
    m = jpeg[p + 1]
    marks.setdefault(m, p)
    if m == 0xDA:
        break
    p += 2 + struct.unpack('>H', jpeg[p + 2:p + 4])[0]
sos = marks[0xDA]
scan = sos + 2 + struct.unpack('>H', jpeg[sos + 2:sos + 4])[0]
case('jpeg-empty', 'empty.jpg', b'', 'refused')
case('jpeg-soi-only', 'soi.jpg', jpeg[:2], 'refused')
for name, m in (('dqt', 0xDB), ('sof', 0xC0), ('dht', 0xC4), ('sos', 0xDA)):
    case(f'jpeg-cut-in-{name}', f'{name}.jpg', jpeg[:marks[m] + 5], 'refused')
# A cut scan is drawn as far as it goes, the rest grey.
case('jpeg-cut-after-sos', 'scan.jpg', jpeg[:scan], 'read')
case('jpeg-cut-mid-scan', 'scan.jpg', jpeg[:(scan + len(jpeg)) // 2], 'read')
case('jpeg-no-eoi', 'eoi.jpg', jpeg[:-2], 'read')
sof = marks[0xC0]
def claiming(width, height):
    b = bytearray(jpeg)
    b[sof + 5:sof + 9] = struct.pack('>HH', height, width)
    return bytes(b)
# Within the limits a sequential file that lies about its size costs only the window's part.
case('jpeg-huge-claim', 'huge.jpg', claiming(60000, 2000), 'read')
case('jpeg-over-limit', 'huge.jpg', claiming(60000, 60000), 'refused')
case('jpeg-zero-size', 'zero.jpg', claiming(0, 0), 'refused')
case('jpeg-png-inside', 'picture.jpg', png_1x1(), 'refused')
case('jpeg-bmp-inside', 'picture.jpg', good, 'refused')
for seed, kind in (('claims-big.jpg', 'read'), ('progressive-claims-huge.jpg', 'refused'), ('many-scans.jpg', 'read')):
    case('jpeg-seed-' + seed[:-4], seed, open(os.path.join(seeds, seed), 'rb').read(), kind)

with open(os.path.join(out, '..', 'expect.txt'), 'w') as f:
    f.write('\n'.join(expect) + '\n')
EOF
# A file too large to be a picture costs no disk: it is sparse. A FIFO is not a regular file and
# must not be waited on.
mkdir "$tmp/cases/bmp-over-1gib" && truncate -s 1073741825 "$tmp/cases/bmp-over-1gib/big.bmp"
echo "bmp-over-1gib big.bmp refused" >>"$tmp/expect.txt"
mkdir "$tmp/cases/bmp-fifo" && mkfifo "$tmp/cases/bmp-fifo/pipe.bmp"
echo "bmp-fifo pipe.bmp none" >>"$tmp/expect.txt"

reader_text='ビットマップイメージが不正です|JPEG エラー #[0-9]+|ファイル .* は開けません'
saved_white='600 x 600 のパッコパンチ形式で保存しました。'
list() { (cd "$1" && find . -mindepth 1 -printf '%p %s\n' | sort); }
failures=0
fail() { echo "FAIL $1: $2"; failures=$((failures + 1)); }

parent_before="$(list "$tmp/cases")"
while read -r folder file kind; do
  dir="$tmp/cases/$folder"
  trace="$tmp/traces/$folder.txt"
  before="$(list "$dir")"
  (cd "$tmp/cwd" && PAKKORIN_PLATFORM="headless:trace=$trace:answer=no" timeout 60 "$exe" "$dir/$file" \
    >"$tmp/traces/$folder.out" 2>&1)
  status=$?
  if [ "$status" -ne 0 ] && [ "$status" -ne 1 ]; then
    fail "$folder" "exit status $status"
    tail -n 5 "$tmp/traces/$folder.out"
    continue
  fi
  errors="$(awk -F'\t' '$1=="msgbox" && $3 !~ /保存しました。$/ {print $3}' "$trace")"
  saved="$(awk -F'\t' '$1=="msgbox" && $3 ~ /保存しました。$/ {print $3}' "$trace")"
  grep -q "^exit	$status\$" "$trace" || fail "$folder" "the trace does not end with exit $status"
  if [ -n "$errors" ]; then
    [ "$status" -eq 1 ] || fail "$folder" "an error box was shown but the exit status is $status"
    while IFS= read -r text; do
      [[ "$text" =~ ^($reader_text)$ ]] || fail "$folder" "error box with a foreign text: $text"
    done <<<"$errors"
  fi
  case "$kind" in
  refused)
    [ -n "$errors" ] || fail "$folder" "no error box for a file the reader must refuse"
    [ "$saved" = "$saved_white" ] || fail "$folder" "saved '$saved', expected the white stamp"
    ;;
  read | none)
    [ -z "$errors" ] || fail "$folder" "unexpected error box: $errors"
    ;;
  esac
  [ -n "$saved" ] || fail "$folder" "no saved box"
  stamp="パッコパンチ ～ ${file%.*}.jpg"
  if [ ! -s "$dir/$stamp" ]; then
    fail "$folder" "no stamp '$stamp'"
  else
    [ "$(head -c 2 "$dir/$stamp" | od -An -tx1 | tr -d ' ')" = ffd8 ] || fail "$folder" "the stamp is not a JPEG"
  fi
  after="$(list "$dir" | grep -v "^\./$stamp ")"
  [ "$before" = "$after" ] || fail "$folder" "files changed in the picture's folder besides the stamp"
  rm -f "$dir/$stamp"
  [ -z "$(ls -A "$tmp/cwd")" ] || { fail "$folder" "files written in the current directory"; rm -rf "$tmp/cwd"/*; }
done <"$tmp/expect.txt"
[ "$parent_before" = "$(list "$tmp/cases")" ] || fail "cases" "files written outside the pictures' folders"

total=$(wc -l <"$tmp/expect.txt")
if [ "$failures" -gt 0 ]; then
  echo "$failures problem(s) over $total files"
  exit 1
fi
echo "all $total bad files handled"
