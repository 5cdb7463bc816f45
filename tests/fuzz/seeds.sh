#!/bin/sh
# Writes small seed sectors into a corpus folder: empty, all ones, and a
# table with one active FAT16 partition one track in.
set -eu
dir=$1
mkdir -p "$dir"
head -c 512 /dev/zero > "$dir/zero"
head -c 512 /dev/zero | tr '\0' '\377' > "$dir/ones"
{ head -c 446 /dev/zero
  printf '\200\001\001\000\006\376\377\377\077\000\000\000\301\377\001\000'
  head -c 48 /dev/zero
  printf '\125\252'; } > "$dir/table"
