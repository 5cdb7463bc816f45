#include "volume/fat_volume.h"

#include "disk/sector_io.h"

static const ULONGLONG kMiBSectors = 2048;
// Windows makes FAT12 below 16 MiB, with clusters of 2 KiB and more, so
// that FAT12 can count them.
static const ULONGLONG kFat12BelowSectors = 16 * kMiBSectors;
static const DWORD kFat12FirstClusterSectors = 4;
static const ULONGLONG kMaxFat12Clusters = 4084;
static const ULONGLONG kMaxFat16Clusters = 65524;
// The format's own areas: the boot sector, two FATs, 512 root entries.
static const ULONGLONG kReservedSectors = 1;
static const ULONGLONG kFatCount = 2;
static const ULONGLONG kRootSectors = 512 * 32 / SECTOR_SIZE;
static const ULONGLONG kFat16EntryBytes = 2; // FAT12's entries are smaller
static const ULONGLONG kReservedClusters = 2;

// Windows XP's cluster sizes for FAT16, by volume size; a volume with more
// clusters than FAT16 counts takes the next size.
static const struct {
    ULONGLONG upToSectors;
    DWORD clusterSectors;
} kFat16Clusters[] = {
    {32 * kMiBSectors, 1},    {64 * kMiBSectors, 2},    {128 * kMiBSectors, 4},
    {256 * kMiBSectors, 8},   {512 * kMiBSectors, 16},  {1024 * kMiBSectors, 32},
    {2048 * kMiBSectors, 64}, {4096 * kMiBSectors, 128},
};

// The sectors of one cluster on a volume formatted "fat": the size Windows XP
// picks, or a larger one where its choice is not certain; 0 where FAT16
// cannot hold the volume.
static DWORD FatClusterSectors(ULONGLONG volumeSectors)
{
    if (volumeSectors < kFat12BelowSectors) {
        // The whole volume counted as clusters: never fewer sectors a
        // cluster than the format picks once its own areas are left out.
        DWORD cluster = kFat12FirstClusterSectors;
        while (volumeSectors / cluster > kMaxFat12Clusters)
            cluster *= 2;
        return cluster;
    }
    for (const auto& row : kFat16Clusters)
        if (volumeSectors <= row.upToSectors && volumeSectors / row.clusterSectors <= kMaxFat16Clusters)
            return row.clusterSectors;
    return 0;
}

int FatVolumeHolds(ULONGLONG volumeSectors, const DWORD* fileSizes, int count)
{
    DWORD cluster = FatClusterSectors(volumeSectors);
    if (fileSizes == NULL || count < 0 || cluster == 0)
        return 0;
    ULONGLONG fatSectors =
        ((volumeSectors / cluster + kReservedClusters) * kFat16EntryBytes + SECTOR_SIZE - 1) / SECTOR_SIZE;
    ULONGLONG system = kReservedSectors + kFatCount * fatSectors + kRootSectors;
    if (volumeSectors <= system)
        return 0;
    ULONGLONG clusterBytes = (ULONGLONG)cluster * SECTOR_SIZE;
    ULONGLONG needed = 0;
    for (int i = 0; i < count; i++)
        needed += (fileSizes[i] + clusterBytes - 1) / clusterBytes;
    return needed <= (volumeSectors - system) / cluster;
}
