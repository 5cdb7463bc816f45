#include "bootdisk/boot_partition.h"

#include "volume/fat_volume.h"

static const WORD kLastChsCylinder = 1023;
static const ULONGLONG kDosVolumeMaxBytes = DOS_VOLUME_MAX_SECTORS * 512;

// The partition's start in bytes: one track, computed in 32 bits.
static DWORD StartBytes(const DISK_GEOMETRY* g)
{
    return g->SectorsPerTrack * g->BytesPerSector;
}

// Where a partition cut short for the DOS ends, in cylinders from the disk's
// start; 0 when it runs to the disk's end.
static ULONGLONG ShortenedEnd(const DiskInfo* info)
{
    const DISK_GEOMETRY* g = &info->geometry;
    ULONGLONG start = StartBytes(g);
    ULONGLONG cylinder = (ULONGLONG)g->TracksPerCylinder * g->SectorsPerTrack * g->BytesPerSector;
    if (cylinder == 0 || info->diskLength <= (LONGLONG)(start + kDosVolumeMaxBytes))
        return 0;
    return (start + kDosVolumeMaxBytes) / cylinder;
}

LONGLONG BootPartitionLength(const DiskInfo* info)
{
    const DISK_GEOMETRY* g = &info->geometry;
    DWORD start = StartBytes(g);
    ULONGLONG end = ShortenedEnd(info);
    if (end == 0)
        return info->diskLength - (LONGLONG)start;
    return (LONGLONG)(end * g->TracksPerCylinder * g->SectorsPerTrack * g->BytesPerSector - start);
}

void BuildBootLayout(DriveLayout4* layout, const DiskInfo* info, int enableLba)
{
    const DISK_GEOMETRY* g = &info->geometry;
    layout->PartitionCount = 4;
    for (int i = 0; i < 4; i++) {
        PARTITION_INFORMATION* p = &layout->PartitionEntry[i];
        p->StartingOffset.QuadPart = 0;
        p->PartitionLength.QuadPart = 0;
        p->HiddenSectors = 0;
        p->PartitionNumber = (DWORD)(i + 1);
        p->PartitionType = 0;
        p->BootIndicator = FALSE;
        p->RecognizedPartition = FALSE;
        p->RewritePartition = TRUE;
    }
    PARTITION_INFORMATION* first = &layout->PartitionEntry[0];
    first->StartingOffset.QuadPart = StartBytes(g);
    first->PartitionLength.QuadPart = BootPartitionLength(info);
    first->HiddenSectors = g->SectorsPerTrack;
    first->PartitionType = enableLba ? PARTITION_TYPE_FAT16_LBA : PARTITION_TYPE_FAT16;
    first->BootIndicator = TRUE;
    first->RecognizedPartition = TRUE;
}

void FixBootRecord(MbrImage* mbr, const DiskInfo* info, int keepBootCode)
{
    if (!keepBootCode) {
        const BYTE* code = GetMbrBootCode();
        for (int i = 0; i < MBR_BOOT_CODE_SIZE; i++)
            mbr->bootCode[i] = code[i];
    }
    const DISK_GEOMETRY* g = &info->geometry;
    PartitionSlot* first = &mbr->slots[0];
    ULONGLONG end = ShortenedEnd(info);
    DWORD cylinder = g->TracksPerCylinder * g->SectorsPerTrack;
    if (end == 0 && g->Cylinders.QuadPart == 0 && cylinder != 0 && g->BytesPerSector != 0) {
        // A disk under one cylinder: the address of the partition's last sector.
        ULONGLONG lastSector = (ULONGLONG)info->diskLength / g->BytesPerSector - 1;
        first->endCylinder = (WORD)(lastSector / cylinder);
        first->endHead = (BYTE)(lastSector / g->SectorsPerTrack % g->TracksPerCylinder);
        first->endSector = (BYTE)(lastSector % g->SectorsPerTrack + 1);
    } else {
        // The partition's last whole cylinder; past what CHS can name, the
        // last one it can.
        DWORD lastCylinder = (end != 0 ? (DWORD)end : g->Cylinders.LowPart) - 1;
        first->endCylinder = lastCylinder > kLastChsCylinder ? kLastChsCylinder : (WORD)lastCylinder;
        first->endHead = (BYTE)(g->TracksPerCylinder - 1);
        first->endSector = (BYTE)g->SectorsPerTrack;
    }
    mbr->signature = MBR_SIGNATURE;
}
