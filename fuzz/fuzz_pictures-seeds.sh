#!/usr/bin/env bash
# Writes a seed corpus for fuzz_pictures into DIR: JPEG files of every kind
# cjpeg makes (baseline, progressive, arithmetic, restart markers, grey,
# subsampling) and Windows bitmaps of every depth and compression.
set -euo pipefail
dir=${1:?usage: fuzz_pictures-seeds.sh DIR}
mkdir -p "$dir"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

python3 - "$tmp" "$dir" <<'PY'
import struct, sys, math
tmp, out = sys.argv[1], sys.argv[2]

def ppm(path, w, h, grey=False):
    rows = []
    for y in range(h):
        for x in range(w):
            r = (x * 255 // max(1, w - 1)); g = (y * 255 // max(1, h - 1)); b = int(127 + 120 * math.sin(x * 0.3 + y * 0.2))
            rows.append(bytes([r]) if grey else bytes([r, g, b]))
    with open(path, 'wb') as f:
        f.write(b'P5\n' if grey else b'P6\n'); f.write(b'%d %d\n255\n' % (w, h)); f.write(b''.join(rows))

ppm(f'{tmp}/colour.ppm', 37, 21)
ppm(f'{tmp}/grey.pgm', 16, 16, grey=True)

def bmp(name, w, h, bits, comp, palette, pixels, info=40, masks=None):
    if info == 12:
        header = struct.pack('<IHHHH', 12, w, h, 1, bits)
        pal = b''.join(struct.pack('<BBB', b, g, r) for r, g, b in palette)
    else:
        header = struct.pack('<IiiHHIIiiII', 40, w, h, 1, bits, comp, len(pixels), 2835, 2835, len(palette), 0)
        pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    extra = b''.join(struct.pack('<I', m) for m in masks) if masks else b''
    offset = 14 + len(header) + len(extra) + len(pal)
    data = b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + header + extra + pal + pixels
    open(f'{out}/{name}', 'wb').write(data)

def rows(w, h, bpp, fill):
    stride = (w * bpp + 31) // 32 * 4
    return b''.join(bytes((fill(x, y) for x in range(stride))) for y in range(h))

grey = [(i, i, i) for i in range(256)]
bmp('b1.bmp', 13, 5, 1, 0, [(0, 0, 0), (255, 255, 255)], rows(13, 5, 1, lambda x, y: 0x55 ^ y))
bmp('b4.bmp', 9, 4, 4, 0, grey[:16], rows(9, 4, 4, lambda x, y: x * 17 + y))
bmp('b8.bmp', 7, 3, 8, 0, grey, rows(7, 3, 8, lambda x, y: x * 30 + y))
bmp('b8topdown.bmp', 7, -3, 8, 0, grey, rows(7, 3, 8, lambda x, y: x * 30 + y))
bmp('b16.bmp', 5, 3, 16, 0, [], rows(5, 3, 16, lambda x, y: (x * 13 + y) & 0xff))
bmp('b16fields.bmp', 5, 3, 16, 3, [], rows(5, 3, 16, lambda x, y: x ^ y), masks=[0xf800, 0x07e0, 0x001f])
bmp('b24.bmp', 6, 4, 24, 0, [], rows(6, 4, 24, lambda x, y: (x * 7 + y * 3) & 0xff))
bmp('b32.bmp', 4, 4, 32, 0, [], rows(4, 4, 32, lambda x, y: (x * 5 + y) & 0xff))
bmp('b32fields.bmp', 4, 4, 32, 3, [], rows(4, 4, 32, lambda x, y: x), masks=[0xff0000, 0xff00, 0xff])
bmp('rle8.bmp', 8, 4, 8, 1, grey, bytes.fromhex('0403 0210 0000 0002 0301 0000 0004 11223344 0000 0205 0000 0001'.replace(' ', '')))
bmp('rle4.bmp', 8, 3, 4, 2, grey[:16], bytes.fromhex('0412 0000 0004 1234 0000 0834 0001'.replace(' ', '')))
bmp('os2.bmp', 4, 2, 8, 0, grey[:4], rows(4, 2, 8, lambda x, y: x & 3), info=12)
PY

cjpeg -quality 80 -outfile "$dir/baseline.jpg" "$tmp/colour.ppm"
cjpeg -progressive -outfile "$dir/progressive.jpg" "$tmp/colour.ppm"
cjpeg -arithmetic -outfile "$dir/arithmetic.jpg" "$tmp/colour.ppm"
cjpeg -arithmetic -progressive -outfile "$dir/arithmetic-progressive.jpg" "$tmp/colour.ppm"
cjpeg -restart 1 -outfile "$dir/restart.jpg" "$tmp/colour.ppm"
cjpeg -optimize -sample 1x1 -outfile "$dir/444.jpg" "$tmp/colour.ppm"
cjpeg -sample 2x1 -outfile "$dir/422.jpg" "$tmp/colour.ppm"
cjpeg -rgb -outfile "$dir/rgb.jpg" "$tmp/colour.ppm"
cjpeg -grayscale -outfile "$dir/greyscale.jpg" "$tmp/colour.ppm"
cjpeg -outfile "$dir/grey.jpg" "$tmp/grey.pgm"
cjpeg -smooth 30 -dct float -quality 10 -outfile "$dir/smooth.jpg" "$tmp/colour.ppm"
# Separate scans per colour, which libjpeg reads into a whole-picture buffer.
printf '0;\n1;\n2;\n' > "$tmp/scans.txt"
cjpeg -scans "$tmp/scans.txt" -outfile "$dir/multiscan.jpg" "$tmp/colour.ppm"
ls "$dir" | wc -l
