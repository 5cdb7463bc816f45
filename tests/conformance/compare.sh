#!/bin/sh
# Runs the conformance program on winsim and under Wine (tools/wine-test.sh,
# which exits 77, skipped, where this machine cannot start the Wine for ARCH)
# and prints the first line where the transcripts differ.
#   compare.sh NATIVE-PROGRAM WINDOWS-PROGRAM PRESET ARCH SYSTEM-DLL-FOLDER
set -u
native=$1 windows=$2 preset=$3 arch=$4 dlls=$5
wine_test="$(dirname "$0")/../../tools/wine-test.sh"
[ -f "$windows" ] && [ -f "$dlls/twkimp.dll" ] ||
    { echo "compare: $windows or $dlls/twkimp.dll is missing: build the $preset preset" >&2; exit 1; }
set --
for dll in "$dlls"/*.dll; do set -- "$@" --system-dll "$dll"; done
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-conformance.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

"$native" "$work/winsim.jsonl" || { echo "compare: the native program failed ($?)" >&2; exit 1; }
sh "$wine_test" --arch "$arch" --probe "$work/verdict" &&
    sh "$wine_test" --arch "$arch" --verdict "$work/verdict" "$@" "$windows" "Z:$work/windows.jsonl"
case $? in 0) ;; 77) exit 77 ;;
    *) echo "compare: the Windows program failed under Wine" >&2; exit 1 ;; esac

# A transcript holds no empty line: paste's empty half is one that ended.
paste -d '\n' "$work/winsim.jsonl" "$work/windows.jsonl" | awk -v preset="$preset" '
    NR % 2 { winsim = $0; next }
    winsim != $0 { differ = NR / 2; exit 1 }
    END {
        if (!differ) printf "conformance: %d lines, winsim and the %s build under Wine agree\n",
                            NR / 2, preset
        else printf "conformance: transcripts differ at line %d\n  winsim:  %s\n  windows: %s\n",
                    differ, winsim == "" ? "(ended)" : winsim, $0 == "" ? "(ended)" : $0
    }'
