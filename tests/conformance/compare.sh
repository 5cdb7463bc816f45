#!/bin/sh
# Runs the conformance program on the simulated Windows and on a real Win32
# (Wine, through tools/wine-test.sh) and compares the transcripts line by
# line, printing the first difference.
#   compare.sh NATIVE-PROGRAM WINDOWS-PROGRAM PRESET ARCH SYSTEM-DLL
# Exits 77 ("skipped", with the reason) where this machine cannot start the
# Wine for ARCH, as every Wine test does.
set -u
native=$1 windows=$2 preset=$3 arch=$4 dll=$5
wine_test="$(dirname "$0")/../../tools/wine-test.sh"
for built in "$windows" "$dll"; do
    [ -f "$built" ] || { echo "compare: $built is missing: build the $preset preset" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-conformance.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

"$native" "$work/winsim.jsonl" || { echo "compare: the native program failed ($?)" >&2; exit 1; }
sh "$wine_test" --arch "$arch" --probe "$work/verdict"
status=$?
if [ $status -eq 0 ]; then
    sh "$wine_test" --arch "$arch" --verdict "$work/verdict" --system-dll "$dll" \
        "$windows" "Z:$work/windows.jsonl"
    status=$?
fi
[ $status -eq 77 ] && exit 77
[ $status -eq 0 ] || { echo "compare: the Windows program failed under Wine ($status)" >&2; exit 1; }

line=0
exec 3<"$work/winsim.jsonl" 4<"$work/windows.jsonl"
while :; do
    a_end=0 b_end=0
    IFS= read -r a <&3 || a_end=1
    IFS= read -r b <&4 || b_end=1
    [ $a_end -eq 1 ] && [ $b_end -eq 1 ] && break
    line=$((line + 1))
    [ $a_end -eq 1 ] && a="(end of transcript)"
    [ $b_end -eq 1 ] && b="(end of transcript)"
    if [ "$a" != "$b" ]; then
        echo "conformance: the transcripts differ at line $line"
        echo "  winsim:  $a"
        echo "  windows: $b"
        exit 1
    fi
done
echo "conformance: $line lines, winsim and the $preset build under Wine agree"
