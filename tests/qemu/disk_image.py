"""The boot tests' disks: sparse raw images with our MBR code, a partition table
and chosen sectors; FAT16 volumes in them made by mkfs.fat and filled by mtools."""

import os
import re
import struct
import subprocess

SECTOR = 512
FAT_CODE = 62                   # our FAT boot code covers bytes 62..511


def entry(indicator, ptype, lba, sectors=2048):
    """A partition table entry; CHS stays zero, as our code reads by LBA."""
    return struct.pack("<B3xB3xII", indicator, ptype, lba, sectors)


def write_image(path, mbr, entries, sectors, disk_sectors):
    """entries: up to four (None: empty); sectors: {lba: 512 bytes}; every
    other sector reads as zeros."""
    with open(path, "wb") as f:
        f.truncate(disk_sectors * SECTOR)
    poke(path, 0, {0: mbr + b"".join(e or bytes(16) for e in entries).ljust(64, b"\0") + b"\x55\xaa",
                   **{lba * SECTOR: data for lba, data in sectors.items()}})


def poke(image, start, fields):
    """Writes {byte offset: bytes}, counted from the sector at `start`."""
    with open(image, "r+b") as f:
        for offset, data in fields.items():
            f.seek(start * SECTOR + offset)
            f.write(data)


def fat_volume(image, start, sectors, geometry, cluster, code):
    """A FAT16 volume at `start` (its BPB says so, with geometry (heads,
    sectors a track) and drive 80h) carrying our boot code."""
    subprocess.run(["mkfs.fat", "-F", "16", f"--offset={start}", "-h", str(start),
                    "-g", "%d/%d" % geometry, "-D", "0x80", "-n", "TARNWICK", "--invariant",
                    *(["-s", str(cluster)] if cluster else []), image, str(sectors * SECTOR // 1024)],
                   check=True, stdout=subprocess.DEVNULL)
    poke(image, start, {FAT_CODE: code})


def mtools(image, start, tool, *args):
    return subprocess.run([tool, "-i", f"{image}@@{start * SECTOR}", *args], check=True, capture_output=True,
                          env=dict(os.environ, MTOOLS_SKIP_CHECK="1"), text=True).stdout  # no geometry check


def first_cluster(image, start, name):
    """The file's first cluster; fails unless it is one run of clusters."""
    chain = mtools(image, start, "mshowfat", f"::{name}")
    found = re.fullmatch(r"\S+ <(\d+)(-\d+)?>\s*", chain)
    assert found, f"{name} is not contiguous: {chain}"
    return int(found.group(1))
