"""Raw disk images for the boot tests: our MBR code, a partition table and
chosen sectors, in a sparse file."""

import struct

SECTOR = 512
TABLE_OFFSET = 446
SIGNATURE = b"\x55\xaa"
SLOTS = 4


def partition_entry(indicator, ptype, lba, sectors=2048):
    """One 16-byte table entry. The CHS fields stay zero: the code under test
    reads by LBA only."""
    return struct.pack("<B3xB3xII", indicator, ptype, lba, sectors)


def write_image(path, boot_code, entries, sectors, disk_sectors):
    """entries: up to four entry bytes (None for an empty slot); sectors:
    {lba: 512 bytes} placed on the disk; every other sector reads as zeros."""
    if len(boot_code) != TABLE_OFFSET:
        raise ValueError(f"boot code is {len(boot_code)} bytes, not {TABLE_OFFSET}")
    table = b"".join(e or bytes(16) for e in entries).ljust(16 * SLOTS, b"\0")
    with open(path, "wb") as f:
        f.truncate(disk_sectors * SECTOR)
        f.write(boot_code + table + SIGNATURE)
        for lba, data in sectors.items():
            if len(data) != SECTOR or lba >= disk_sectors:
                raise ValueError(f"bad sector {lba}")
            f.seek(lba * SECTOR)
            f.write(data)
