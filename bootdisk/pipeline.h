// The Start pipeline: turns the selected USB disk into a bootable DOS disk.
#ifndef TARNWICK_PIPELINE_H
#define TARNWICK_PIPELINE_H

#include "app/platform.h"
#include "disk/disk_query.h"

// The drive layout the pipeline reads and writes: room for four entries.
struct DriveLayout4 {
    DWORD PartitionCount;
    DWORD Signature;
    PARTITION_INFORMATION PartitionEntry[4];
};
static_assert(sizeof(DriveLayout4) == 136, "four partition entries");

// 1 when every stage succeeded; 0 on failure, on No, or without a selection.
int MakeBootableDisk(void);

// The new table: one active partition from one track in to the disk's end,
// of type 0x0E with LBA wanted, else 0x06; the other three empty.
void BuildBootLayout(DriveLayout4* layout, const DiskInfo* info, int enableLba);

// The MBR after Windows wrote the table: our boot code (unless kept), the
// first entry's end from the geometry, and the signature.
void FixBootRecord(MbrImage* mbr, const DISK_GEOMETRY* geometry, int keepBootCode);

#endif
