#!/usr/bin/env python3
"""The FAT boot loader's cases: each builds a disk with our MBR, one FAT16
partition carrying our boot code and the DOS fixture files, boots it in
QEMU from USB storage or IDE and checks the exact text that follows
SeaBIOS's first "Booting from Hard Disk...": the probe IO.SYS's verdict or
the loader's messages.

  fat_boot_cases.py --list
  fat_boot_cases.py CASE BUS --mbr MBR.bin --fat-boot FAT_BOOT.bin
      --io-sys IO.SYS --msdos-sys MSDOS.SYS --command-com COMMAND.COM
      --workdir DIR
"""

import argparse
import os
import re
import struct
import sys

from disk_image import partition_entry, write_image
import fat_volume
import seabios_console
from seabios_console import BOOTING, after_booting

TRACK = 63                     # the partition starts one track in
# For disks up to 504 MiB both SeaBIOS on USB and QEMU on IDE give 16 heads
# of 63 sectors; past 8 GiB both give 255 heads (the cylinders run out).
SMALL = (16, 63)
LARGE = (255, 63)
CYLINDER_1024 = 1024 * 255 * 63
PATCH_OFFSET = 938             # in IO.SYS: the installer writes EBh there
PATCH_BYTE = b"\xeb"
FAT_SIZE_FIELD = 22

INVALID = "Invalid system disk"
IO_ERROR = "Disk I/O error"
CLOSING = "Replace the disk, and then press any key"
VERDICT = re.compile(r"IOSYS PROBE (OK LBA=.. DI=.... (UN)?PATCHED|BAD \w+=....)")

DOS_FILES = [("IO.SYS", "io"), ("MSDOS.SYS", "msdos"), ("COMMAND.COM", "command")]


def case(disk, start, ptype, geometry=SMALL, cluster=None, files=None,
         after=(), fields=None, patched=False, expect="ok", restart=False,
         others=(), mode=None):
    """A boot case. others: more (type, start) table entries, not active;
    mode: the byte 2 expected (the type OR 2 by default);
    files: (name, content key or bytes) copied in order;
    after: names deleted afterwards; fields: boot sector bytes changed after
    the installation; expect: "ok" for the probe's verdict, or the message."""
    return dict(disk=disk, start=start, ptype=ptype, geometry=geometry,
                others=others, mode=ptype | 2 if mode is None else mode,
                cluster=cluster, files=DOS_FILES if files is None else files,
                after=after, fields=fields or {}, patched=patched,
                expect=expect, restart=restart)


def fillers():
    """Twenty one-cluster files before IO.SYS, one of them with a long name,
    so that IO.SYS lands in the root directory's second sector."""
    files = [(f"FILL{n:02}.TXT", f"filler {n}\r\n".encode()) for n in range(19)]
    files.insert(3, ("A long file name.txt", b"long name\r\n"))
    # Differs from IO.SYS in the last character only.
    files.insert(7, ("IO.SYX", b"not the system\r\n"))
    return files


def case_table():
    small = 131072             # 64 MiB
    fat_past_end = {FAT_SIZE_FIELD: struct.pack("<H", 0xFFFF)}
    far = CYLINDER_1024 + 2016
    return {
        "chs-type06": case(small, TRACK, 0x06),
        "lba-type0E": case(small, TRACK, 0x0E, patched=True),
        "lba-type0C": case(small, TRACK, 0x0C),
        # Two entries start at the volume: the last one sets the mode.
        "last-entry-wins": case(small, TRACK, 0x0E, others=[(0x06, TRACK)],
                                mode=0x06),
        # Cylinder 300: the cylinder's bits 8-9 go to the sector register.
        "chs-cylinder-300": case(524288, 300 * 16 * 63, 0x06, cluster=8),
        "lba-past-8gib": case(far + small, far, 0x0E, geometry=LARGE),
        # One-sector clusters: the four sectors are four clusters (32 MiB
        # keeps that FAT16; SeaBIOS gives a 16 MiB USB disk 64 sectors a
        # track, which CHS cannot express).
        "io-sys-after-deleted": case(
            65536, TRACK, 0x06, cluster=1, files=fillers() + DOS_FILES,
            after=["FILL00.TXT", "A long file name.txt", "FILL17.TXT"]),
        # A deleted IO.SYS entry is not IO.SYS.
        "no-io-sys": case(small, TRACK, 0x06, after=["IO.SYS"],
                          expect=INVALID, restart=True),
        "root-past-end-chs": case(small, TRACK, 0x06, fields=fat_past_end,
                                  expect=IO_ERROR),
        "root-past-end-lba": case(small, TRACK, 0x0E, fields=fat_past_end,
                                  expect=IO_ERROR),
        # The drive comes from the boot sector: drive 0 is a missing floppy.
        "drive-from-boot-sector": case(small, TRACK, 0x0E, fields={36: b"\0"},
                                       expect=IO_ERROR),
    }


def build(c, workdir, mbr, code, contents):
    """The case's disk; returns the text expected after the first boot."""
    image = os.path.join(workdir, "disk.img")
    size = c["disk"] - c["start"]
    entries = [partition_entry(0x80, c["ptype"], c["start"], size)]
    entries += [partition_entry(0, ptype, lba, size) for ptype, lba in c["others"]]
    write_image(image, mbr, entries, {}, c["disk"])
    fat_volume.format_volume(image, c["start"], size, c["geometry"],
                             c["cluster"])
    fat_volume.install_boot_code(image, c["start"], code)
    for name, content in c["files"]:
        data = contents.get(content, content)
        if name == "IO.SYS" and c["patched"]:
            data = data[:PATCH_OFFSET] + PATCH_BYTE + data[PATCH_OFFSET + 1:]
        fat_volume.copy_in(image, c["start"], data, name)
    for name in c["after"]:
        fat_volume.delete(image, c["start"], name)
    fat_volume.write_boot_fields(image, c["start"], c["fields"])
    if c["expect"] != "ok":
        message = c["expect"] + CLOSING
        return image, message + (BOOTING + message if c["restart"] else "")
    index, cluster = fat_volume.loaded_cluster(image, c["start"])
    if c["files"] is not DOS_FILES and index < 16:
        raise ValueError(f"IO.SYS is root entry {index}, in the first sector")
    return image, (f"IOSYS PROBE OK LBA={c['mode']:02X} DI={cluster:04X}"
                   f" {'PATCHED' if c['patched'] else 'UNPATCHED'}")


def ended(c):
    """When the screen has all a case can show."""
    closings = 2 if c["restart"] else 1
    def finished(text):
        got = after_booting(text, first=True) or ""
        return VERDICT.search(got) or got.count(CLOSING) >= closings
    return finished


def run(name, bus, args):
    c = case_table()[name]
    os.makedirs(args.workdir, exist_ok=True)
    paths = {"mbr": args.mbr, "code": args.fat_boot, "io": args.io_sys,
             "msdos": args.msdos_sys, "command": args.command_com}
    blobs = {}
    for key, path in paths.items():
        with open(path, "rb") as f:
            blobs[key] = f.read()
    image, expected = build(c, args.workdir, blobs["mbr"], blobs["code"], blobs)
    # A key on the serial port once the loader asks for one: only the
    # restart case waits long enough to see what follows.
    answer = ((lambda t: CLOSING in (after_booting(t, first=True) or ""), b" ")
              if c["restart"] else None)
    text, done, stderr = seabios_console.boot(image, bus, args.workdir,
                                              ended(c), answer=answer)
    got = after_booting(text, first=True)
    return seabios_console.report(name, bus, expected, got, done, text, stderr)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("case", nargs="?", choices=sorted(case_table()))
    parser.add_argument("bus", nargs="?", choices=sorted(seabios_console.BUSES))
    for option in ("--mbr", "--fat-boot", "--io-sys", "--msdos-sys",
                   "--command-com", "--workdir"):
        parser.add_argument(option)
    args = parser.parse_args()
    if args.list:
        print(";".join(case_table()))
        return 0
    needed = [args.case, args.bus, args.mbr, args.fat_boot, args.io_sys,
              args.msdos_sys, args.command_com, args.workdir]
    if not all(needed):
        parser.error("CASE, BUS and every file option are needed")
    return run(args.case, args.bus, args)


if __name__ == "__main__":
    sys.exit(main())
