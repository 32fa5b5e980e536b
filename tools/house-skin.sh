#!/usr/bin/env bash
# Writes the house test skin (folder, .asz archive, stored-skin text) into a folder to look at,
# with Master.png also enlarged 4 times beside them as Master-x4.png.
# Run after tools/build.sh: tools/house-skin.sh [folder] (default: <build>/house-skin)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
: "${MARLINDO_BUILD:=$here/../build}"
build=$(cd "$MARLINDO_BUILD" && pwd)
out=$(mkdir -p "${1:-$build/house-skin}" && cd "${1:-$build/house-skin}" && pwd)
tool="$build/tests/skin/house_skin_tool.exe"
[ -x "$tool" ] || { echo "missing $tool: run tools/build.sh first" >&2; exit 1; }
MARLINDO_BUILD="$build" "$here/wine-run" "$tool" "Z:${out//\//\\}"
# Enlarged copy: each pixel a 4 x 4 square, the transparent ones on a checkerboard.
python3 - "$out/HouseSkin/Master.png" "$out/Master-x4.png" <<'PY'
import struct, sys, zlib

def read(path):
    data = open(path, 'rb').read()
    pos, idat, w = 8, b'', 0
    while pos < len(data):
        n, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if kind == b'IHDR':
            w, h, depth, ctype = struct.unpack('>IIBB', body[:10])
            assert depth == 8 and ctype == 6, 'RGBA 8 expected'
        elif kind == b'IDAT':
            idat += body
        pos += 12 + n
    raw, rows, prev, stride = zlib.decompress(idat), [], bytearray(w * 4), w * 4
    for y in range(h):
        f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b, c = prev[i], prev[i - 4] if i >= 4 else 0
            if f == 1: line[i] = (line[i] + a) & 255
            elif f == 2: line[i] = (line[i] + b) & 255
            elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c; pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line); prev = line
    return w, h, rows

def write(path, w, h, rows):
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    raw = b''.join(b'\0' + bytes(r) for r in rows)
    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
    open(path, 'wb').write(png + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))

w, h, rows = read(sys.argv[1])
k, out = 4, []
for y in range(h * k):
    line = bytearray()
    for x in range(w * k):
        r, g, b, a = rows[y // k][(x // k) * 4:(x // k) * 4 + 4]
        bg = 200 if ((x // 2) + (y // 2)) % 2 else 150
        line += bytes((r * a + bg * (255 - a)) // 255 for r in (r, g, b))
    out.append(line)
write(sys.argv[2], w * k, h * k, out)
PY
echo "house skin in $out"
