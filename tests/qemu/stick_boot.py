"""The whole program: tarnwick-sim makes a virtual stick bootable on a
user's machine, then it boots to the probe IO.SYS's verdict; or, damaged,
to a message of the boot programs.
  stick_boot.py CASE.BUS.BIOS --workdir DIR --sim SIM --diskcopy DLL [--show]"""

import json
import os
import subprocess
import sys
from pathlib import Path

from boot_cases import ERROR, INVALID as INVALID_TABLE, MISSING
import boot_screen
from disk_image import poke
from fat_boot_cases import INVALID, IO_ERROR, says

VOLUME = 63 * 512               # the volume's boot sector, one track in


def stick(size=64 << 20, heads=16, sectors=63, lba=False, runs=boot_screen.ALL_RUNS,
          damage=None, shows=None):
    """A stick with the geometry Windows reports (which the BIOS must present when read by CHS), made
    with Enable LBA ticked or not; damage: {byte offset: bytes} written after; shows: (text, key cue)."""
    return dict(locals())


CASES = {
    # 64 MiB: every BIOS here gives 16 heads of 63 sectors.
    "chs": stick(),
    "lba": stick(lba=True),
    # Sticks over 2 GiB get a volume of just under 2 GiB at their start, whose
    # root directory and IO.SYS lie in cylinder 0, where any head count
    # reads the same sectors.
    "chs-3gib": stick(3 << 30, 255),
    "chs-4gib-16x63": stick(4 << 30, 16, runs=("ide.seabios", "ide.bochs")),
    "lba-8gib": stick(8 << 30, 255, lba=True, runs=("usb.seabios", "ide.bochs")),
    # QEMU reads 32 sectors a track off the partition table for SeaBIOS.
    "chs-16x32": stick(sectors=32),
    # Damaged, each message of the boot programs shows (the MBR then halts): a
    # 01h indicator after the active entry; no boot signature (on FAT32 not in
    # the backup, 6 in, either); IO.SYS misspelt in the loader; the root past the end.
    "second-entry-01h": stick(damage={462: b"\x01"}, shows=(INVALID_TABLE, None)),
    "no-boot-signature": stick(damage={VOLUME + 510: b"\0\0"}, shows=(ERROR, None)),
    "fat32-no-backup": stick(damage={450: b"\x0C", VOLUME + 510: b"\0\0", VOLUME + 6 * 512 + 510: b"\0\0"},
                             shows=(MISSING, None)),
    "io-sys-name-misspelt": stick(damage={VOLUME + 472: b"X"}, shows=says(INVALID)),
    "root-past-end": stick(damage={VOLUME + 22: b"\xff\xff"}, shows=says(IO_ERROR)),
}


def make(case, args):
    """The example scenario (the system disk at C:, never to be written
    here, a floppy drive at A:, a CD drive at D:) with this stick, made
    bootable at E: with Enable LBA ticked or not, then damaged."""
    with open(Path(__file__).parents[1] / "scenarios" / "one-stick.json") as f:
        job = json.load(f)
    job["disks"][0]["protected"] = True
    job["disks"][1].update(size=case["size"], heads=case["heads"], sectorsPerTrack=case["sectors"],
                           image="stick.img")
    job["actions"][-1:-1] = [{"do": "click", "control": "IDC_ENABLE_LBA"}] * case["lba"]
    image, path = os.path.join(args.workdir, "stick.img"), os.path.join(args.workdir, "scenario.json")
    Path(image).unlink(missing_ok=True)     # the scenario makes a new one
    Path(path).write_text(json.dumps(dict(job, diskcopy=args.diskcopy)))
    made = subprocess.run([args.sim, path], capture_output=True, text=True)
    if args.show:
        print(made.stdout, end="")
    # E: is the first letter free after C:, A: and D:, as Windows gives it.
    if made.returncode or "Operation Completed Successfully!" not in made.stdout \
            or '"Formating Drive...E:\\\\"' not in made.stdout:
        sys.exit(f"tarnwick-sim made no stick at E: ({made.returncode}):\n{made.stdout}{made.stderr}")
    poke(image, 0, case["damage"] or {})
    return (image, *(case["shows"] or (f"IOSYS PROBE OK LBA={'0E' if case['lba'] else '06'} DI=0002 PATCHED",
                                       None)), (case["heads"], case["sectors"]))


if __name__ == "__main__":
    sys.exit(boot_screen.main(CASES, make, ("--sim", "--diskcopy")))
