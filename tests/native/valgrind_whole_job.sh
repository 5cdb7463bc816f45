#!/bin/sh
# The whole job under valgrind memcheck: tarnwick-sim makes the example
# scenario's stick bootable, with Enable LBA ticked too. Any memory error,
# or memory lost for good, fails; so does an unfinished job.
# Usage: valgrind_whole_job.sh TARNWICK_SIM DISKCOPY_DLL WORKDIR
set -eu
sim=$1 work=$3
rm -rf "$work" && mkdir -p "$work"
python3 - "$(dirname "$0")/../scenarios/one-stick.json" "$2" >"$work/scenario.json" <<'PY'
import json, sys
job = json.load(open(sys.argv[1]))
job["diskcopy"] = sys.argv[2]
job["disks"][1]["image"] = "stick.img"
job["actions"].insert(-1, {"do": "click", "control": "IDC_ENABLE_LBA"})
print(json.dumps(job))
PY
status=0
valgrind --quiet --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
  --log-file="$work/valgrind.log" "$sim" "$work/scenario.json" >"$work/transcript.txt" || status=$?
cat "$work/valgrind.log"
t=$work/transcript.txt
if [ "$status" -ne 0 ] || ! grep -q '"Operation Completed Successfully!"' "$t" ||
  ! grep -q '"exit","code":0,"openHandles":0,"memoryBlocks":0' "$t"; then
  echo "valgrind_whole_job: exit status $status, or the job unfinished or leaking" >&2
  cat "$t" >&2
  exit 1
fi
echo "valgrind_whole_job: no memory error, nothing lost, the job done"
