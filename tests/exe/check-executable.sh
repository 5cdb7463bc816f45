#!/usr/bin/env bash
# check-executable.sh EXE LIST x86|x64
# Fails unless EXE is one Windows XP SP3 (x86) or XP x64 and Server 2003 x64
# (x64) runs: a PE GUI program for that processor, of subsystem version 5.01
# (x86) or 5.02 (x64) or lower, importing only what LIST allows for it, within
# a budget (100 KiB for x86, 128 KiB for x64), with a manifest XP SP2 reads
# for that processor and a version resource.
set -euo pipefail
exe=$1 allowed=$2 arch=$3
case "$arch" in
x86) prefix=i686 format=pei-i386 version=501 manifest_arch=X86 budget=102400 ;;
x64) prefix=x86_64 format=pei-x86-64 version=502 manifest_arch=amd64 budget=131072 ;;
*) echo "check-executable: the processor is x86 or x64, not $arch" >&2; exit 2 ;;
esac
fail=0
complain() { echo "check-executable: $*" >&2; fail=1; }
headers=$($prefix-w64-mingw32-objdump -p "$exe") || { complain "cannot read $exe as $format"; exit 1; }
field() { awk -v f="$1" '$1 == f {print $2}' <<<"$headers"; }

grep -q "file format $format\$" <<<"$headers" || complain "not a $format file"
[ "$(field Subsystem)" = 00000002 ] || complain "the subsystem is $(field Subsystem), not 2 (GUI)"
subsystem=$(($(field MajorSubsystemVersion) * 100 + $(field MinorSubsystemVersion)))
[ $subsystem -le $version ] || complain "the subsystem version is $subsystem, above $version"
size=$(stat -c %s "$exe")
[ "$size" -le $budget ] || complain "$size bytes, above the budget of $budget"

# One "DLL function" line per import, against the list's lines for this build.
imports=$(awk '/DLL Name:/ {dll = $3; next}
  dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ {print dll, $3}
  /^$/ {dll = ""}' <<<"$headers")
[ -n "$imports" ] || complain "no imports found; cannot read the import tables"
listed=$(awk -v arch="$arch" '!/^#/ {split($1, d, ":"); if (d[2] == "" || d[2] == arch)
  for (i = 2; i <= NF; i++) print d[1], $i}' "$allowed")
while read -r dll function; do
  grep -qxF "$dll $function" <<<"$listed" || complain "imports $function from $dll, not on the list for $arch"
done <<<"$imports"

resources=$($prefix-w64-mingw32-windres -i "$exe" -O rc 2>/dev/null) || complain "cannot read the resources"
manifest=$(awk '/^1 24 /,/^END/' <<<"$resources")
for needed in 'name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""' \
              'level=""requireAdministrator""' 'trustInfo xmlns=""urn:schemas-microsoft-com:asm.v2""'; do
  grep -qF "$needed" <<<"$manifest" || complain "the manifest (resource 1 of type 24) lacks $needed"
done
# Windows XP SP2 refuses a trustInfo in the asm.v3 namespace.
! grep -qF asm.v3 <<<"$manifest" || complain "the manifest uses the asm.v3 namespace"
[ "$(grep -o 'processorArchitecture=""[^"]*""' <<<"$manifest" | sort -u)" = \
  "processorArchitecture=\"\"$manifest_arch\"\"" ] || complain "the manifest is not for $manifest_arch alone"
for value in FileDescription FileVersion ProductVersion; do
  grep -qE "VALUE \"$value\", \"[^\"]+\"" <<<"$resources" || complain "no $value in the version resource"
done
grep -qF 'VALUE "ProductName", "Tarnwick"' <<<"$resources" || complain "the product name is not Tarnwick"
echo "check-executable: $arch, $size bytes, $(wc -l <<<"$imports") imports"
exit $fail
