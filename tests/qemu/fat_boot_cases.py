"""The FAT boot loader's cases: a disk with our MBR and one FAT16 partition
carrying our boot code and the DOS fixture files; what follows the first
"Booting from Hard Disk..." is the probe IO.SYS's verdict or says()."""

import os
import sys
from pathlib import Path

from disk_image import entry, fat_volume, first_cluster, mtools, poke, write_image
import boot_screen

SMALL = 131072                  # 64 MiB
TRACK = 63                      # the partition starts one track in
# Up to 504 MiB every BIOS here gives 16 heads of 63 sectors; past 8 GiB,
# 255 heads.
FAR = 1024 * 255 * 63 + 2016    # past cylinder 1023
INVALID = "Invalid system disk"
IO_ERROR = "Disk I/O error"
CLOSING = "Replace the disk, and then press any key"


def says(message):
    """(The message and closing line, both again once a key restarts the boot; the key's cue)."""
    shown = message + CLOSING
    return shown + boot_screen.BOOTING + shown, CLOSING


def case(disk=SMALL, start=TRACK, ptype=0x06, geometry=(16, 63), cluster=None,
         fillers=False, deleted=(), fields=None, others=(), mode=None, message=None):
    """others: more (type, start) table entries, not active; mode: the byte 2 expected (type OR 2 by
    default); fields: boot sector bytes changed after installing; message: the loader's, if any."""
    return dict(locals(), mode=ptype | 2 if mode is None else mode)


CASES = {
    "chs-type06": case(),
    "lba-type0E": case(ptype=0x0E),
    "lba-type0C": case(ptype=0x0C),
    # Two entries start at the volume: the last one sets the mode.
    "last-entry-wins": case(ptype=0x0E, others=[(0x06, TRACK)], mode=0x06),
    # Cylinder 300: the cylinder's bits 8-9 go to the sector register.
    "chs-cylinder-300": case(disk=524288, start=300 * 16 * 63, cluster=8),
    "lba-past-8gib": case(disk=FAR + SMALL, start=FAR, ptype=0x0E, geometry=(255, 63)),
    # IO.SYS in the root's second sector, after deleted entries, a long name and IO.SYX (all
    # directories); one-sector clusters, its four sectors four clusters (32 MiB: FAT16, 63 a track).
    "io-sys-after-deleted": case(disk=65536, cluster=1, fillers=True,
                                 deleted=["FILL00.TXT", "A long file name.txt", "FILL17.TXT"]),
    "no-io-sys": case(deleted=["IO.SYS"], message=INVALID),
    # (The same read by CHS: stick_boot.py's root-past-end.)
    "root-past-end-lba": case(ptype=0x0E, fields={22: b"\xff\xff"}, message=IO_ERROR),
    # The drive comes from the boot sector: drive 0 is a missing floppy.
    "drive-from-boot-sector": case(ptype=0x0E, fields={36: b"\0"}, message=IO_ERROR),
}


def make(c, args):
    image, size = os.path.join(args.workdir, "disk.img"), c["disk"] - c["start"]
    entries = [entry(0x80, c["ptype"], c["start"], size)] + [entry(0, t, lba, size) for t, lba in c["others"]]
    write_image(image, Path(args.mbr).read_bytes(), entries, {}, c["disk"])
    fat_volume(image, c["start"], size, c["geometry"], c["cluster"], Path(args.fat_boot).read_bytes())
    if c["fillers"]:
        names = [f"FILL{n:02}.TXT" for n in range(19)]
        names[3:3], names[7:7] = ["A long file name.txt"], ["IO.SYX"]
        mtools(image, c["start"], "mmd", *(f"::{name}" for name in names))
    for name, path in (("IO.SYS", args.io_sys), ("MSDOS.SYS", args.msdos_sys),
                       ("COMMAND.COM", args.command_com)):
        mtools(image, c["start"], "mcopy", path, f"::{name}")
    if c["deleted"]:
        mtools(image, c["start"], "mdeltree", *(f"::{name}" for name in c["deleted"]))
    poke(image, c["start"], c["fields"] or {})
    if c["message"]:
        return image, *says(c["message"]), c["geometry"]
    cluster = first_cluster(image, c["start"], "IO.SYS")
    return image, f"IOSYS PROBE OK LBA={c['mode']:02X} DI={cluster:04X} UNPATCHED", None, c["geometry"]


if __name__ == "__main__":
    sys.exit(boot_screen.main(CASES, make, ("--mbr", "--fat-boot", "--io-sys",
                                            "--msdos-sys", "--command-com")))
