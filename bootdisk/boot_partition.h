// The one partition the stick gets: where it lies, the table Windows is asked
// to write for it, and the MBR fields set once Windows has written it.
#ifndef TARNWICK_BOOT_PARTITION_H
#define TARNWICK_BOOT_PARTITION_H

#include "app/platform.h"
#include "disk/disk_query.h"

const BYTE PARTITION_TYPE_FAT16 = 0x06;
const BYTE PARTITION_TYPE_FAT16_LBA = 0x0E;

// The drive layout the pipeline reads and writes: room for four entries.
struct DriveLayout4 {
    DWORD PartitionCount;
    DWORD Signature;
    PARTITION_INFORMATION PartitionEntry[4];
};
static_assert(sizeof(DriveLayout4) == 136, "four partition entries");

// The partition's length in bytes. It starts one track in and runs to the
// disk's end, unless that would make a volume larger than the DOS on the
// stick reads: then it ends on the last cylinder boundary that keeps the
// volume within that, and the rest of the disk stays unallocated.
LONGLONG BootPartitionLength(const DiskInfo* info);

// The new table: the one active partition, of type 0x0E with LBA wanted,
// else 0x06; the other three empty.
void BuildBootLayout(DriveLayout4* layout, const DiskInfo* info, int enableLba);

// The MBR after Windows wrote the table: our boot code (unless kept), the
// first entry's end where the partition ends, and the signature.
void FixBootRecord(MbrImage* mbr, const DiskInfo* info, int keepBootCode);

#endif
