// What the program knows about one physical drive, and how it finds out.
#ifndef TARNWICK_DISK_QUERY_H
#define TARNWICK_DISK_QUERY_H

#include "app/platform.h"
#include "disk/mbr.h"

const int FRIENDLY_NAME_SIZE = 300;  // 299 characters and a terminator
const int INSTANCE_ID_SIZE = 1001;   // 1000 characters and a terminator
const int VOLUME_LABEL_SIZE = 12;    // 11 characters and a terminator
const int VOLUME_SLOT_COUNT = 4;

// The volume of one lettered primary partition; all zero without a letter.
struct VolumeSlot {
    DWORD bootable;            // 1 when the entry's boot flag is exactly 0x80
    char letter;               // 'A'..'Z', 0 for none
    BYTE partitionType;
    ULONGLONG sizeBytes;       // the entry's sector count times 512
    char label[VOLUME_LABEL_SIZE];
    DWORD serialNumber;
};
static_assert(sizeof(VolumeSlot) == 32, "VolumeSlot layout");

struct DiskInfo {
    BYTE diskNumber;           // the low 8 bits of the drive number
    char friendlyName[FRIENDLY_NAME_SIZE];
    char instanceId[INSTANCE_ID_SIZE];
    DISK_GEOMETRY geometry;
    LONGLONG diskLength;       // the whole drive in bytes
    MbrImage mbr;
    VolumeSlot volumes[VOLUME_SLOT_COUNT]; // slot i: partition number i + 1
};
static_assert(sizeof(DiskInfo) == 2000, "DiskInfo layout");

// Count of the Disk service's list, or -1. The list holds the disks present
// in order of arrival: entry n is not, in general, drive n.
int GetDiskCount(void);

// Entry n's device instance path, or null; text in a static buffer that
// stays valid until the next call.
const char* GetDiskInstanceId(int n);

// The FriendlyName of entry n's device, or null; a static buffer as above.
// Replaces GetDiskInstanceId's buffer too.
const char* GetDiskFriendlyName(int n);

// Geometry (and, when length is not null, the drive's length) of drive n.
int GetDiskGeometryAndLength(int n, DISK_GEOMETRY* geometry, LONGLONG* length);

int DriveLetterExists(char letter);
int IsFloppyLetter(char letter);

// Fills volume slot index of info from its MBR entry and the volume at letter.
void FillVolumeSlot(DiskInfo* info, char letter, int index);

// A complete record for drive n (\\.\PHYSICALDRIVEn), or 0 with the caller's
// record untouched. Its name and instance path are those of the Disk service
// entry whose disk reports device number n.
int QueryDiskInfo(int n, DiskInfo* info);

// The same for entry `entry` of the Disk service list, whose drive number is
// asked of the disk itself through its device interface and put in *number.
int QueryDiskEntry(int entry, DiskInfo* info, int* number);

#endif
