// FAT volumes inside simulated drives: made by dosfstools' mkfs.fat, read
// back for their label and serial number.
#ifndef WINSIM_FAT_H
#define WINSIM_FAT_H

#include "storage.h"

namespace winsim {

struct FatLayout {
    int fatBits = 16;           // 12, 16 or 32
    int sectorsPerCluster = 0;  // 0: as mkfs.fat picks
    std::string label;          // empty: none
    DWORD serial = 0;
    std::uint32_t hiddenSectors = 0;
    int heads = 255;
    int sectorsPerTrack = 63;
    int driveNumber = 0x80;     // the BIOS drive number in the boot sector
    bool sameEveryRun = false;  // no time stamps, as for a volume a scenario lays out
};

// The fields that come from where the volume lies: its offset, the disk's
// geometry, and the drive number Windows' format writes for the disk's
// media (00h for removable media, 80h for a fixed disk).
void PlaceOnDisk(FatLayout& layout, const DiskDevice& disk, const Volume& volume);

// The FAT type and cluster size Windows XP gives a volume formatted "fat" of
// this many bytes; false when FAT16 cannot hold it.
bool WindowsFatLayout(std::uint64_t bytes, FatLayout& layout);

// Formats length bytes at offset of the backing. Only the file system's own
// areas are written, as a quick format leaves the data area alone. False
// with a message when mkfs.fat refuses.
bool FormatFat(Backing& backing, std::uint64_t offset, std::uint64_t length,
               const FatLayout& layout, std::string& error);

struct FatFacts {
    std::string fileSystem; // "FAT" or "FAT32"
    std::string label;      // from the root directory's volume label entry
    DWORD serial = 0;
};

// Reads a FAT boot sector and root directory; false when it is not FAT.
bool ReadFatFacts(Backing& backing, std::uint64_t offset, std::uint64_t length, FatFacts& out);

} // namespace winsim

#endif
