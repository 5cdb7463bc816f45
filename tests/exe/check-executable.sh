#!/usr/bin/env bash
# Checks that an executable is one Windows XP SP3 runs: a 32-bit PE GUI
# program of subsystem version 5 or lower, importing only the allowed
# functions from the allowed DLLs, within its size budget (MAX_BYTES,
# default 100 KiB), with a manifest XP SP2 accepts and a version resource.
set -euo pipefail
exe=$1
allowed=$2
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
windres=${WINDRES:-i686-w64-mingw32-windres}
max_bytes=${MAX_BYTES:-102400}

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
size=$(stat -c %s "$exe")
[ "$size" -le "$max_bytes" ] || complain "$size bytes, above the budget of $max_bytes"

# The resources as windres reads them back from the file.
resources=$("$windres" -i "$exe" -O rc 2>/dev/null) || complain "cannot read the resources"
manifest=$(awk '/^1 24 /,/^END/' <<<"$resources")
[ -n "$manifest" ] || complain "no manifest (resource 1 of type 24)"
for needed in 'name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""' \
              'level=""requireAdministrator""' 'trustInfo xmlns=""urn:schemas-microsoft-com:asm.v2""'; do
  grep -qF "$needed" <<<"$manifest" || complain "the manifest lacks $needed"
done
# Windows XP SP2 refuses a trustInfo in the asm.v3 namespace.
! grep -qF 'asm.v3' <<<"$manifest" || complain "the manifest uses the asm.v3 namespace"
for value in FileDescription FileVersion ProductVersion; do
  grep -qE "VALUE \"$value\", \"[^\"]+\"" <<<"$resources" || complain "no $value in the version resource"
done
grep -qF 'VALUE "ProductName", "Tarnwick"' <<<"$resources" || complain "the product name is not Tarnwick"

echo "check-executable: $size bytes; $(wc -l <<<"$imports") imports from $(cut -d' ' -f1 <<<"$imports" | sort -u | tr '\n' ' ')"
exit $fail
