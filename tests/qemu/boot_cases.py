#!/usr/bin/env python3
"""The MBR's boot cases: each builds a disk, boots it in QEMU from USB
storage or IDE and checks the exact text that follows SeaBIOS's
"Booting from Hard Disk...".

  boot_cases.py --list
  boot_cases.py CASE BUS --mbr MBR.bin --probe PROBE.bin --workdir DIR
"""

import argparse
import os
import re
import sys

from disk_image import partition_entry, write_image
import seabios_console
from seabios_console import after_booting

DISK_SECTORS = 131072          # 64 MiB, sparse; room for LBAs past 65535
BLANK = bytes(512)             # a sector without the boot signature
BACKUP = 6                     # where FAT32 keeps its boot sector's copy
TABLE = 0x07BE                 # the relocated partition table
INVALID = "Invalid partition table"
ERROR = "Error loading operating system"
MISSING = "Missing operating system"
# What SeaBIOS does on INT 18h here: it tries its next boot device, the
# floppy, which fails, and with no device left it says so and waits.
NO_BOOT = ("Booting from Floppy...Boot failed: could not read the boot disk"
           "No bootable device.")
# A run has ended once one of these is on the screen (a probe line is
# whole once it holds all 16 entry bytes).
ENDINGS = re.compile("|".join([re.escape(INVALID), re.escape(ERROR),
                               re.escape(MISSING), r"No bootable device\.",
                               r"PROBE DL=.. DSSI=....:.... ENTRY=[0-9A-F]{32}"]))


def probe_line(slot, entry):
    """What the probe prints when booted with DS:SI at this slot's entry."""
    return (f"PROBE DL={entry[0]:02X} DSSI=0000:{TABLE + 16 * slot:04X}"
            f" ENTRY={entry.hex().upper()}")


def case_table():
    """name -> (entries, {lba: sector}, expected text)."""
    probe = "probe"  # replaced by the probe's sector when the disk is made
    e = partition_entry
    cases = {}

    good = e(0x80, 0x06, 2048)
    cases["active-slot0"] = ([good], {2048: probe}, probe_line(0, good))

    # Zero indicators before the active entry are skipped; an LBA above
    # 65535 must reach the disk whole.
    slot2 = e(0x80, 0x0C, 70000)
    cases["active-slot2"] = ([e(0, 0x06, 2048), None, slot2],
                             {2048: probe, 70000: probe}, probe_line(2, slot2))
    slot3 = e(0x80, 0x0E, 4096)
    cases["active-slot3"] = ([None, e(0, 0x06, 2048), None, slot3],
                             {2048: probe, 4096: probe}, probe_line(3, slot3))

    cases["invalid-before-active"] = (
        [None, e(0x7F, 0x06, 2048), e(0x80, 0x06, 2048)], {2048: probe}, INVALID)
    cases["invalid-after-active"] = (
        [e(0x80, 0x06, 2048), None, e(0x01, 0x06, 4096)], {2048: probe}, INVALID)
    cases["no-active-int18"] = (
        [e(0, 0x06, 2048), e(0, 0x0C, 4096)], {2048: probe, 4096: probe}, NO_BOOT)

    cases["lba-past-end"] = ([e(0x80, 0x06, DISK_SECTORS + 100)], {}, ERROR)
    # Only FAT32 gets the backup boot sector; type 06h must not.
    cases["no-signature-type06"] = (
        [e(0x80, 0x06, 2048)], {2048: BLANK, 2048 + BACKUP: probe}, ERROR)
    # The backup's LBA crosses 65536: the add must carry into the top half.
    fat32 = 65530
    cases["backup-type0B"] = (
        [e(0x80, 0x0B, fat32)], {fat32: BLANK, fat32 + BACKUP: probe},
        probe_line(0, e(0x80, 0x0B, fat32 + BACKUP)))
    cases["backup-type0C"] = (
        [e(0x80, 0x0C, 2048)], {2048: BLANK, 2048 + BACKUP: probe},
        probe_line(0, e(0x80, 0x0C, 2048 + BACKUP)))
    cases["backup-missing-os"] = (
        [e(0x80, 0x0C, 2048)], {2048: BLANK, 2048 + BACKUP: BLANK}, MISSING)
    cases["backup-read-fails"] = (
        [e(0x80, 0x0B, DISK_SECTORS - 3)], {DISK_SECTORS - 3: BLANK}, ERROR)
    return cases


def run(name, bus, mbr_path, probe_path, workdir):
    entries, sectors, expected = case_table()[name]
    with open(mbr_path, "rb") as f:
        mbr = f.read()
    with open(probe_path, "rb") as f:
        probe = f.read()
    os.makedirs(workdir, exist_ok=True)
    image = os.path.join(workdir, "disk.img")
    write_image(image, mbr, entries,
                {lba: probe if s == "probe" else s for lba, s in sectors.items()},
                DISK_SECTORS)
    text, ended, stderr = seabios_console.boot(
        image, bus, workdir, lambda t: ENDINGS.search(after_booting(t) or ""))
    got = after_booting(text)
    return seabios_console.report(name, bus, expected, got, ended, text, stderr)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("case", nargs="?", choices=sorted(case_table()))
    parser.add_argument("bus", nargs="?", choices=sorted(seabios_console.BUSES))
    parser.add_argument("--mbr")
    parser.add_argument("--probe")
    parser.add_argument("--workdir")
    args = parser.parse_args()
    if args.list:
        print(";".join(case_table()))
        return 0
    if not (args.case and args.bus and args.mbr and args.probe and args.workdir):
        parser.error("CASE, BUS, --mbr, --probe and --workdir are needed")
    return run(args.case, args.bus, args.mbr, args.probe, args.workdir)


if __name__ == "__main__":
    sys.exit(main())
