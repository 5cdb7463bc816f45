#!/usr/bin/env python3
"""Turns the pixel-art icon text (res/art/icon.txt) into a 32 x 32, 16-colour .ico.

    make_icon.py SRC.txt OUT.ico
    make_icon.py SRC.txt --ppm OUT.ppm [--bg RRGGBB]    (pixels for the banner)

Both outputs may be asked for at once.  Any fault in the source stops the run
with a one-line message and a non-zero exit, and leaves no output behind.
"""
import argparse
import os
import re
import struct
import sys

SIZE = 32
MOST_COLOURS = 16  # a 4 bpp colour table
CLEAR = "."
PALETTE_LINE = re.compile(r"(\S) #([0-9A-Fa-f]{6})")


class SourceError(Exception):
    pass


def read_source(path):
    """Returns (palette as [(r, g, b)], rows of palette indices, None where clear)."""
    try:
        with open(path, encoding="ascii", newline=None) as f:
            lines = f.read().split("\n")
    except UnicodeDecodeError:
        raise SourceError(f"{path}: not plain ASCII text")
    except OSError as e:
        raise SourceError(f"{path}: {e.strerror}")
    if lines and lines[-1] == "":
        lines.pop()  # the final newline

    index, colours = {}, []
    at = 0
    while True:
        if at == len(lines):
            raise SourceError(f"{path}: no '---' line before the pixel rows")
        line = lines[at]
        at += 1
        if line == "---":
            break
        if line.strip() == "" or line.startswith("#"):
            continue
        m = PALETTE_LINE.fullmatch(line)
        if not m:
            raise SourceError(f"{path}:{at}: want '<char> #RRGGBB', got {line!r}")
        char, rgb = m.group(1), m.group(2)
        if char in (CLEAR, "#"):
            raise SourceError(f"{path}:{at}: '{char}' cannot be a palette char")
        if char in index:
            raise SourceError(f"{path}:{at}: palette char '{char}' given twice")
        if len(colours) == MOST_COLOURS:
            raise SourceError(f"{path}:{at}: more than {MOST_COLOURS} colours")
        index[char] = len(colours)
        colours.append(tuple(bytes.fromhex(rgb)))
    if not colours:
        raise SourceError(f"{path}: the palette is empty")

    body = lines[at:]
    if len(body) != SIZE:
        raise SourceError(f"{path}: {len(body)} pixel rows, want {SIZE}")
    rows = []
    for n, line in enumerate(body, start=at + 1):
        if len(line) != SIZE:
            raise SourceError(f"{path}:{n}: {len(line)} pixels in the row, want {SIZE}")
        row = []
        for x, char in enumerate(line):
            if char != CLEAR and char not in index:
                raise SourceError(f"{path}:{n}: unknown char {char!r} at column {x + 1}")
            row.append(None if char == CLEAR else index[char])
        rows.append(row)
    return colours, rows


def ico_bytes(colours, rows):
    xor_rows, and_rows = [], []
    for row in reversed(rows):  # DIBs are stored bottom-up
        idx = [0 if i is None else i for i in row]
        xor_rows.append(bytes((idx[x] << 4) | idx[x + 1] for x in range(0, SIZE, 2)))
        bits = 0
        for i in row:
            bits = (bits << 1) | (i is None)
        and_rows.append(bits.to_bytes(SIZE // 8, "big"))
    # 32 pixels make 16 and 4 bytes a row: already whole 4-byte words, no padding needed
    pixels = b"".join(xor_rows) + b"".join(and_rows)

    table = colours + [(0, 0, 0)] * (MOST_COLOURS - len(colours))
    rgbquads = b"".join(struct.pack("<4B", b, g, r, 0) for r, g, b in table)
    # biHeight counts the XOR and AND bitmaps together; biClrUsed 0 means all 16 entries
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0, len(pixels), 0, 0, 0, 0)
    image = header + rgbquads + pixels

    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, MOST_COLOURS, 0, 1, 4, len(image), 6 + 16)
    return icondir + entry + image


def ppm_bytes(colours, rows, background):
    out = bytearray(b"P6\n%d %d\n255\n" % (SIZE, SIZE))
    for row in rows:
        for i in row:
            out += bytes(background if i is None else colours[i])
    return bytes(out)


def write(path, data):
    """Writes through a temporary name so a failed run never leaves half a file."""
    tmp = path + ".tmp"
    try:
        with open(tmp, "wb") as f:
            f.write(data)
        os.replace(tmp, path)
    except OSError as e:
        try:
            os.remove(tmp)
        except OSError:
            pass
        raise SourceError(f"{path}: {e.strerror}")


def colour(text):
    m = re.fullmatch(r"#?([0-9A-Fa-f]{6})", text)
    if not m:
        raise argparse.ArgumentTypeError(f"want RRGGBB, got {text!r}")
    return tuple(bytes.fromhex(m.group(1)))


def main():
    ap = argparse.ArgumentParser(description="Builds the Tarnwick icon from its pixel-art text.")
    ap.add_argument("src", help="pixel-art source, e.g. res/art/icon.txt")
    ap.add_argument("ico", nargs="?", help="the .ico to write")
    ap.add_argument("--ppm", help="also write the pixels as a binary PPM")
    ap.add_argument("--bg", type=colour, default=(255, 255, 255),
                    help="RRGGBB put in the PPM where the icon is clear (default FFFFFF)")
    args = ap.parse_args()
    if not args.ico and not args.ppm:
        ap.error("nothing to write: give OUT.ico and/or --ppm OUT.ppm")
    try:
        colours, rows = read_source(args.src)
        if args.ico:
            write(args.ico, ico_bytes(colours, rows))
        if args.ppm:
            write(args.ppm, ppm_bytes(colours, rows, args.bg))
    except SourceError as e:
        sys.exit(f"make_icon.py: {e}")


if __name__ == "__main__":
    main()
