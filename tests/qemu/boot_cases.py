#!/usr/bin/env python3
"""The MBR's boot cases: a disk with our MBR, a table and a probe where boot
sectors go, showing the probe's line or the MBR's message.
  boot_cases.py CASE.BUS.BIOS --workdir DIR --mbr MBR.bin --probe PROBE.bin"""

import os
import struct
import sys
from pathlib import Path

from disk_image import entry as e, write_image
import boot_screen

DISK = 131072                   # 64 MiB, sparse; room for LBAs past 65535
BLANK = bytes(512)              # a sector without the boot signature
PROBE = "probe"
INVALID = "Invalid partition table"
ERROR = "Error loading operating system"
MISSING = "Missing operating system"
# INT 18h: the BIOS tries the empty floppy drive, then gives up (rombios by ending Bochs).
NO_BOOT = "Booting from Floppy...Boot failed: could not read the boot diskNo bootable device."


def booted(slot, active):
    """The probe's line: DL the entry's indicator, DS:SI the relocated slot, the entry."""
    handed = struct.pack("<BHH", active[0], 0, 0x07BE + 16 * slot) + active
    return "PROBE " + handed.hex().upper()


# name: (table entries, {lba: sector}, expected text)
CASES = {
    "active-slot0": ([e(0x80, 0x06, 2048)], {2048: PROBE}, booted(0, e(0x80, 0x06, 2048))),
    # Empty slots before the active one are skipped; an LBA past 65535 is
    # read whole.
    "active-slot2": ([e(0, 0x06, 2048), None, e(0x80, 0x0C, 70000)],
                     {2048: PROBE, 70000: PROBE}, booted(2, e(0x80, 0x0C, 70000))),
    "active-slot3": ([None, e(0, 0x06, 2048), None, e(0x80, 0x0E, 4096)],
                     {2048: PROBE, 4096: PROBE}, booted(3, e(0x80, 0x0E, 4096))),
    "invalid-before-active": ([None, e(0x7F, 0x06, 2048), e(0x80, 0x06, 2048)],
                              {2048: PROBE}, INVALID),
    "invalid-after-active": ([e(0x80, 0x06, 2048), None, e(0x01, 0x06, 4096)],
                             {2048: PROBE}, INVALID),
    "no-active-int18": ([e(0, 0x06, 2048), e(0, 0x0C, 4096)], {2048: PROBE, 4096: PROBE}, NO_BOOT),
    "lba-past-end": ([e(0x80, 0x06, DISK + 100)], {}, ERROR),
    # Only FAT32 (0Bh, 0Ch) has a backup boot sector, six sectors in; the
    # MBR hands over the entry with the backup's LBA.
    "no-signature-type06": ([e(0x80, 0x06, 2048)], {2048: BLANK, 2054: PROBE}, ERROR),
    # The backup's LBA crosses 65536: the add carries into the top half.
    "backup-type0B": ([e(0x80, 0x0B, 65530)], {65530: BLANK, 65536: PROBE},
                      booted(0, e(0x80, 0x0B, 65536))),
    "backup-type0C": ([e(0x80, 0x0C, 2048)], {2048: BLANK, 2054: PROBE},
                      booted(0, e(0x80, 0x0C, 2054))),
    "backup-missing-os": ([e(0x80, 0x0C, 2048)], {2048: BLANK, 2054: BLANK}, MISSING),
    "backup-read-fails": ([e(0x80, 0x0B, DISK - 3)], {DISK - 3: BLANK}, ERROR),
}


def make(case, args):
    entries, sectors, expected = case
    probe, image = Path(args.probe).read_bytes(), os.path.join(args.workdir, "disk.img")
    write_image(image, Path(args.mbr).read_bytes(), entries,
                {lba: probe if s == PROBE else s for lba, s in sectors.items()}, DISK)
    return image, expected, None, (16, 63)


if __name__ == "__main__":
    sys.exit(boot_screen.main(CASES, make, ("--mbr", "--probe")))
