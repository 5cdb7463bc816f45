#!/usr/bin/env bash
# Checks that an executable is one Windows XP SP3 (x86) or Windows XP x64 and
# Server 2003 x64 (x64) runs: a PE GUI program for that processor, of
# subsystem version 5.01 (x86) or 5.02 (x64) or lower, importing only the
# functions the list allows for that processor, within its size budget
# (MAX_BYTES, default 100 KiB for x86, 128 KiB for x64), with a manifest XP
# SP2 accepts for that processor and a version resource.
#   check-executable.sh EXE LIST [x86|x64]
# LIST has a line "DLL FUNCTION" for every function allowed in both builds
# and "DLL FUNCTION x86" or "... x64" for one allowed in that build only.
set -euo pipefail
exe=$1
allowed=$2
arch=${3:-x86}
case "$arch" in
x86) prefix=i686 format=pei-i386 magic='010b' machine='i386' version=501 manifest_arch=X86
     budget=102400 ;;
x64) prefix=x86_64 format=pei-x86-64 magic='020b' machine='i386:x86-64' version=502
     manifest_arch=amd64 budget=131072 ;;
*) echo "check-executable: the processor is x86 or x64, not $arch" >&2; exit 2 ;;
esac
objdump=${OBJDUMP:-$prefix-w64-mingw32-objdump}
windres=${WINDRES:-$prefix-w64-mingw32-windres}
max_bytes=${MAX_BYTES:-$budget}

fail=0
complain() { echo "check-executable: $*" >&2; fail=1; }
headers=$("$objdump" -p "$exe") || { complain "$objdump cannot read $exe as $format"; exit 1; }

grep -q "file format $format\$" <<<"$headers" || complain "not a $format file"
grep -qE "^Magic\s+$magic\s" <<<"$headers" || complain "the optional header's magic is not $magic"
"$objdump" -f "$exe" | grep -q "^architecture: $machine," || complain "the machine is not $machine"
subsystem=$(awk '$1 == "Subsystem" {print $2}' <<<"$headers")
[ "$subsystem" = "00000002" ] || complain "subsystem is $subsystem, not 2 (GUI)"
major=$(awk '$1 == "MajorSubsystemVersion" {print $2}' <<<"$headers")
minor=$(awk '$1 == "MinorSubsystemVersion" {print $2}' <<<"$headers")
[ $((major * 100 + minor)) -le $version ] ||
  complain "the subsystem version is $major.$minor, above ${version:0:1}.${version:1}"

# One "DLL function" line per import, from the import tables.
imports=$(awk '
  /DLL Name:/ { dll = $3; next }
  dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll, $3 }
  /^$/ { dll = "" }' <<<"$headers")
[ -n "$imports" ] || complain "no imports found; cannot read the import tables"
listed=$(awk -v arch="$arch" '!/^#/ && (NF == 2 || $3 == arch) {print $1, $2}' "$allowed")
while read -r dll function; do
  grep -qxF "$dll $function" <<<"$listed" ||
    complain "imports $function from $dll, which is not on the Windows XP list for $arch"
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
[ "$(grep -o 'processorArchitecture=""[^"]*""' <<<"$manifest" | sort -u)" = \
  "processorArchitecture=\"\"$manifest_arch\"\"" ] || complain "the manifest is not for $manifest_arch alone"
for value in FileDescription FileVersion ProductVersion; do
  grep -qE "VALUE \"$value\", \"[^\"]+\"" <<<"$resources" || complain "no $value in the version resource"
done
grep -qF 'VALUE "ProductName", "Tarnwick"' <<<"$resources" || complain "the product name is not Tarnwick"

echo "check-executable: $arch, $size bytes; $(wc -l <<<"$imports") imports from $(cut -d' ' -f1 <<<"$imports" | sort -u | tr '\n' ' ')"
exit $fail
