#!/bin/sh
# Renders the 384 x 58 banner: a blue gradient, the icon's stick at twice its
# size, the program name and a credit line.  Writes a 24-bit uncompressed
# BMP with a plain BITMAPINFOHEADER, the kind old dialog code loads.
#   make_banner.sh ICON_SRC.txt OUT.bmp
# Needs python3 and ImageMagick 6 (convert) with fonts-dejavu-core.
set -eu

if [ $# -ne 2 ]; then
    echo "usage: make_banner.sh ICON_SRC.txt OUT.bmp" >&2
    exit 2
fi
src=$1
out=$2
here=$(dirname "$0")
fonts=/usr/share/fonts/truetype/dejavu
bold=$fonts/DejaVuSans-Bold.ttf
plain=$fonts/DejaVuSans.ttf
# Clear icon pixels get this colour, which the palette does not use, and are
# keyed out again; point scaling keeps it exact.
key='#FE01FD'

for f in "$bold" "$plain"; do
    [ -r "$f" ] || { echo "make_banner.sh: missing font $f (fonts-dejavu-core)" >&2; exit 1; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 "$here/make_icon.py" "$src" --ppm "$tmp/icon.ppm" --bg "$key"

# The stick spans icon rows 1..30, so at 2x it is 60 px tall: lifting it
# 3 px trims one pixel of outline at the top and bottom and fills the height.
convert -size 58x384 gradient:'#0A246A-#5C8FD6' -rotate -90 \
    \( "$tmp/icon.ppm" -transparent "$key" -filter point -resize 200% \) \
    -geometry +8-3 -composite \
    -font "$bold" -pointsize 30 -fill '#00103A' -annotate +83+34 'Tarnwick' \
    -fill white -annotate +82+33 'Tarnwick' \
    -font "$plain" -pointsize 10 -fill '#E8F0FF' \
    -annotate +84+49 'made by the Tarnwick developers - tarnwick.example.org' \
    -alpha off -type TrueColor -depth 8 -compress none "BMP3:$tmp/banner.bmp"

# Little-endian unsigned number of $2 bytes at offset $1 of the new file.
field() {
    od -An -tu1 -j"$1" -N"$2" "$tmp/banner.bmp" |
        awk '{ for (i = NF; i >= 1; i--) v = v * 256 + $i } END { print v + 0 }'
}
magic=$(od -An -c -N2 "$tmp/banner.bmp" | tr -d ' ')
# 54 bytes of headers then 58 rows of 384 * 3 bytes (already a multiple of 4)
want="BM 66870 66870 54 40 384 58 24 0"
got="$magic $(wc -c <"$tmp/banner.bmp" | tr -d ' ') $(field 2 4) $(field 10 4) $(field 14 4) $(field 18 4) $(field 22 4) $(field 28 2) $(field 30 4)"
if [ "$got" != "$want" ]; then
    echo "make_banner.sh: convert wrote an unexpected BMP header ($got; want $want)" >&2
    exit 1
fi
# Copy next to the target, then rename, so the target is never half written.
cp "$tmp/banner.bmp" "$out.tmp"
mv "$out.tmp" "$out"
