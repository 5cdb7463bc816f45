#!/bin/sh
# Runs the conformance program on winsim and under Wine (tools/wine-test.sh,
# which exits 77, skipped, where this machine cannot start the Wine for ARCH)
# and prints the first line where the transcripts differ.
#   compare.sh NATIVE-PROGRAM WINDOWS-PROGRAM PRESET ARCH SYSTEM-DLL
set -u
native=$1 windows=$2 preset=$3 arch=$4 dll=$5
wine_test="$(dirname "$0")/../../tools/wine-test.sh"
for built in "$windows" "$dll"; do
    [ -f "$built" ] || { echo "compare: $built is missing: build the $preset preset" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-conformance.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

"$native" "$work/winsim.jsonl" || { echo "compare: the native program failed ($?)" >&2; exit 1; }
sh "$wine_test" --arch "$arch" --probe "$work/verdict" &&
    sh "$wine_test" --arch "$arch" --verdict "$work/verdict" --system-dll "$dll" \
        "$windows" "Z:$work/windows.jsonl"
status=$?
[ $status -eq 77 ] && exit 77
[ $status -eq 0 ] || { echo "compare: the Windows program failed under Wine ($status)" >&2; exit 1; }

# A transcript holds no empty line: paste's empty half is one that ended.
paste -d '\n' "$work/winsim.jsonl" "$work/windows.jsonl" | awk -v preset="$preset" '
    NR % 2 { winsim = $0; next }
    winsim != $0 { differ = NR / 2; exit 1 }
    END {
        if (!differ) printf "conformance: %d lines, winsim and the %s build under Wine agree\n", NR / 2, preset
        else printf "conformance: the transcripts differ at line %d\n  winsim:  %s\n  windows: %s\n", differ,
                    winsim == "" ? "(end of transcript)" : winsim, $0 == "" ? "(end of transcript)" : $0
    }'
