#!/bin/sh
# Runs the conformance program on the simulated Windows and on a real Win32,
# and compares the transcripts line by line, printing the first difference.
#   compare.sh NATIVE-PROGRAM WINDOWS-PROGRAM PRESET WINE-RUNNER...
# WINE-RUNNER runs a Windows program with the arguments that follow it; its
# status 77 (this machine cannot run it) passes through as the test's skip.
set -u
native=$1 windows=$2 preset=$3
shift 3
if [ ! -f "$windows" ]; then
    echo "compare: $windows is missing: build the $preset preset first" >&2
    exit 1
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-conformance.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

"$native" "$work/winsim.jsonl" || { echo "compare: the native program failed ($?)" >&2; exit 1; }
"$@" "$windows" "Z:$work/windows.jsonl"
status=$?
[ $status -eq 77 ] && exit 77
[ $status -eq 0 ] || { echo "compare: the Windows program failed ($status)" >&2; exit 1; }

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
echo "conformance: $line lines, winsim and $preset under Wine agree"
