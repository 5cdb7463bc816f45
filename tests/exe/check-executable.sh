#!/usr/bin/env bash
# Checks that an executable is one Windows XP SP3 runs: a 32-bit PE GUI
# program of subsystem version 5 or lower, importing only the allowed
# functions from the allowed DLLs.
set -euo pipefail
exe=$1
allowed=$2
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

headers=$("$objdump" -p "$exe")
fail=0
complain() { echo "check-executable: $*" >&2; fail=1; }

grep -q 'file format pei-i386' <<<"$headers" || complain "not a pei-i386 file"
subsystem=$(awk '$1 == "Subsystem" {print $2}' <<<"$headers")
[ "$subsystem" = "00000002" ] || complain "subsystem is $subsystem, not 2 (GUI)"
major=$(awk '$1 == "MajorSubsystemVersion" {print $2}' <<<"$headers")
[ "$major" -le 5 ] || complain "MajorSubsystemVersion is $major, above 5"

# One "DLL function" line per import, from the import tables.
imports=$(awk '
  /DLL Name:/ { dll = $3; next }
  dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll, $3 }
  /^$/ { dll = "" }' <<<"$headers")
[ -n "$imports" ] || complain "no imports found; cannot read the import tables"
while read -r dll function; do
  grep -qxF "$dll $function" <(grep -v '^#' "$allowed") ||
    complain "imports $function from $dll, which is not on the Windows XP list"
done <<<"$imports"
echo "check-executable: $(wc -l <<<"$imports") imports from $(cut -d' ' -f1 <<<"$imports" | sort -u | tr '\n' ' ')"
exit $fail
