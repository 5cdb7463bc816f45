#!/bin/sh
# The whole job under valgrind memcheck: tarnwick-sim makes a 64 MiB stick
# with an old FAT volume bootable (new label, Quick Format, Enable LBA).
# Any memory error, or memory lost for good, fails; so does an unfinished job.
# Usage: valgrind_whole_job.sh TARNWICK_SIM DISKCOPY_DLL WORKDIR
set -eu
sim=$1 diskcopy=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
cat >"$work/scenario.json" <<JSON
{
  "disks": [
    { "friendlyName": "WDC WD800JD-75MSA3", "instanceId": "IDE\\\\DiskWDC\\\\0", "media": "fixed",
      "size": 80026361856,
      "partitions": [ { "slot": 0, "start": 63, "sectors": 156296322, "type": 7,
                        "active": true, "format": "raw", "letter": "C" } ] },
    { "friendlyName": "Generic Flash Disk USB Device",
      "instanceId": "USBSTOR\\\\Disk&Ven_Generic&Prod_Flash_Disk\\\\1", "media": "removable",
      "size": 67108864, "image": "stick.img",
      "partitions": [ { "slot": 0, "start": 63, "sectors": 131009, "type": 11,
                        "format": "fat", "label": "OLDSTICK", "letter": "E" } ] }
  ],
  "letters": { "A": "floppy", "D": "cdrom" },
  "diskcopy": "$diskcopy",
  "answers": [ "yes" ],
  "actions": [
    { "do": "select", "item": 0 },
    { "do": "type", "control": "IDC_LABEL", "text": "DOSBOOT" },
    { "do": "click", "control": "IDC_QUICK_FORMAT" },
    { "do": "click", "control": "IDC_ENABLE_LBA" },
    { "do": "click", "control": "IDOK" }
  ]
}
JSON
status=0
valgrind --quiet --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
  --log-file="$work/valgrind.log" "$sim" "$work/scenario.json" >"$work/transcript.txt" ||
  status=$?
cat "$work/valgrind.log"
if [ "$status" -ne 0 ]; then
  echo "valgrind_whole_job: tarnwick-sim exited with $status" >&2
  cat "$work/transcript.txt" >&2
  exit 1
fi
grep -q '"Operation Completed Successfully!"' "$work/transcript.txt" ||
  { echo "valgrind_whole_job: the job did not complete" >&2; cat "$work/transcript.txt" >&2; exit 1; }
grep -q '"openHandles":0,"memoryBlocks":0' "$work/transcript.txt" ||
  { echo "valgrind_whole_job: handles or blocks left open" >&2; exit 1; }
echo "valgrind_whole_job: no memory error, nothing lost, the job done"
