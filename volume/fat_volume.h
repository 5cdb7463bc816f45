// What Windows' format makes of a FAT volume of a given size, as far as the
// DOS on the stick depends on it: the largest volume that DOS reads, and
// whether the volume has room for the DOS files.
#ifndef TARNWICK_FAT_VOLUME_H
#define TARNWICK_FAT_VOLUME_H

#include "app/platform.h"

// The DOS on the stick reads FAT16 volumes of fewer than 65,525 clusters of
// at most 32 KiB. Windows formats a volume of up to this many sectors (just
// under 2 GiB) with 32 KiB clusters, and since the whole volume counted as
// such clusters is at most 65,524 of them, the clusters left beside the FATs
// and the root directory are fewer still.
const ULONGLONG DOS_VOLUME_MAX_SECTORS = 65524ull * 64;

// 1 when a volume of volumeSectors, as Windows formats it, has room for files
// of these sizes (count of them) in its root directory.
int FatVolumeHolds(ULONGLONG volumeSectors, const DWORD* fileSizes, int count);

#endif
