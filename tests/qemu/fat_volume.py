"""FAT volumes inside the boot tests' disk images: formatted by mkfs.fat at
a partition's first sector, given our boot code as the installer gives it,
and filled through mtools."""

import os
import struct
import subprocess

from disk_image import SECTOR

DRIVE_FIELD = 36               # BIOS drive number in the boot sector
CODE_START = 62                # FAT_BOOT_CODE covers 62..511
ROOT_ENTRY = 32
DELETED = 0xE5
LOADED_SECTORS = 4             # what the loader reads of IO.SYS
FAT16_END = 0xFFF8
# mtools would otherwise check the image's geometry against the BPB.
MTOOLS_ENV = dict(os.environ, MTOOLS_SKIP_CHECK="1")


def format_volume(image, start, sectors, geometry, cluster=None):
    """A FAT16 volume of `sectors` sectors at `start`, its BPB saying the
    partition starts there, with geometry (heads, sectors per track)."""
    command = ["mkfs.fat", "-F", "16", f"--offset={start}", "-h", str(start),
               "-g", f"{geometry[0]}/{geometry[1]}", "-D", "0x80",
               "-n", "TARNWICK", "--invariant"]
    if cluster:
        command += ["-s", str(cluster)]
    subprocess.run(command + [image, str(sectors * SECTOR // 1024)],
                   check=True, stdout=subprocess.DEVNULL)


def read_boot_sector(image, start):
    with open(image, "rb") as f:
        f.seek(start * SECTOR)
        return f.read(SECTOR)


def write_boot_fields(image, start, fields):
    """fields: {offset: bytes} written into the volume's boot sector."""
    with open(image, "r+b") as f:
        for offset, data in fields.items():
            f.seek(start * SECTOR + offset)
            f.write(data)


def install_boot_code(image, start, code):
    """What the installer does: drive number 80h, bytes 62..511 our code."""
    if len(code) != SECTOR - CODE_START:
        raise ValueError(f"boot code is {len(code)} bytes")
    write_boot_fields(image, start, {DRIVE_FIELD: b"\x80", CODE_START: code})


def mtools(image, start, tool, *args):
    subprocess.run([tool, "-i", f"{image}@@{start * SECTOR}", *args],
                   check=True, env=MTOOLS_ENV, stdout=subprocess.DEVNULL)


def copy_in(image, start, data, name):
    """Writes data as ::name (through a file beside the image)."""
    source = os.path.join(os.path.dirname(image), "copy.tmp")
    with open(source, "wb") as f:
        f.write(data)
    mtools(image, start, "mcopy", "-o", source, f"::{name}")
    os.remove(source)


def delete(image, start, name):
    mtools(image, start, "mdel", f"::{name}")


def layout(boot):
    """(first FAT sector, first root sector, root entries, first data
    sector, sectors per cluster), all relative to the volume."""
    bps, spc, reserved, fats, roots, _, _, fat_size = struct.unpack_from(
        "<HBHBHHBH", boot, 11)
    if bps != SECTOR:
        raise ValueError(f"{bps}-byte sectors")
    root = reserved + fats * fat_size
    return reserved, root, roots, root + -(-roots * ROOT_ENTRY // SECTOR), spc


def root_entries(image, start):
    """The volume's root directory entries, in order, as (index, 32 bytes)."""
    _, root, roots, _, _ = layout(read_boot_sector(image, start))
    with open(image, "rb") as f:
        f.seek((start + root) * SECTOR)
        data = f.read(roots * ROOT_ENTRY)
    return [(i, data[i * ROOT_ENTRY:(i + 1) * ROOT_ENTRY]) for i in range(roots)]


def loaded_cluster(image, start, name=b"IO      SYS"):
    """(root index, first cluster) of the live entry `name`, after checking
    that the loader's four sectors are the file's first ones."""
    boot = read_boot_sector(image, start)
    fat, _, _, _, spc = layout(boot)
    found = None
    for index, entry in root_entries(image, start):
        if entry[0] == 0:
            break
        if entry[:11] == name:
            found = index, struct.unpack_from("<H", entry, 26)[0]
            break
    if not found:
        raise ValueError(f"{name!r} is not in the root directory")
    index, cluster = found
    with open(image, "rb") as f:
        f.seek((start + fat) * SECTOR)
        table = f.read(SECTOR * 256)
    run = cluster
    for _ in range(-(-LOADED_SECTORS // spc) - 1):
        following = struct.unpack_from("<H", table, run * 2)[0]
        if following != run + 1:
            raise ValueError(f"{name!r} is not contiguous from cluster {cluster}")
        run = following
    return index, cluster
