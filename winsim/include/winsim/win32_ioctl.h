// Disk and volume control requests (winioctl.h) with Windows' layouts.
#ifndef WINSIM_WIN32_IOCTL_H
#define WINSIM_WIN32_IOCTL_H

#include "winsim/win32_types.h"

#define FSCTL_LOCK_VOLUME               0x00090018
#define FSCTL_UNLOCK_VOLUME             0x0009001C
#define FSCTL_DISMOUNT_VOLUME           0x00090020
#define IOCTL_DISK_GET_DRIVE_GEOMETRY   0x00070000
#define IOCTL_DISK_GET_PARTITION_INFO   0x00074004
#define IOCTL_DISK_GET_DRIVE_LAYOUT     0x0007400C
#define IOCTL_DISK_SET_DRIVE_LAYOUT     0x0007C010
#define IOCTL_STORAGE_GET_DEVICE_NUMBER 0x002D1080

#define FILE_DEVICE_CD_ROM 0x00000002
#define FILE_DEVICE_DISK   0x00000007

typedef enum _MEDIA_TYPE {
    Unknown = 0,
    RemovableMedia = 11,
    FixedMedia = 12
} MEDIA_TYPE;

typedef struct _DISK_GEOMETRY {
    LARGE_INTEGER Cylinders;
    MEDIA_TYPE MediaType;
    DWORD TracksPerCylinder;
    DWORD SectorsPerTrack;
    DWORD BytesPerSector;
} DISK_GEOMETRY, *PDISK_GEOMETRY;

typedef struct _PARTITION_INFORMATION {
    LARGE_INTEGER StartingOffset;
    LARGE_INTEGER PartitionLength;
    DWORD HiddenSectors;
    DWORD PartitionNumber;
    BYTE PartitionType;
    BOOLEAN BootIndicator;
    BOOLEAN RecognizedPartition;
    BOOLEAN RewritePartition;
} PARTITION_INFORMATION, *PPARTITION_INFORMATION;

typedef struct _DRIVE_LAYOUT_INFORMATION {
    DWORD PartitionCount;
    DWORD Signature;
    PARTITION_INFORMATION PartitionEntry[1];
} DRIVE_LAYOUT_INFORMATION, *PDRIVE_LAYOUT_INFORMATION;

typedef struct _STORAGE_DEVICE_NUMBER {
    DWORD DeviceType;
    DWORD DeviceNumber;
    DWORD PartitionNumber;
} STORAGE_DEVICE_NUMBER, *PSTORAGE_DEVICE_NUMBER;

static_assert(sizeof(DISK_GEOMETRY) == 24, "DISK_GEOMETRY layout");
static_assert(sizeof(PARTITION_INFORMATION) == 32, "PARTITION_INFORMATION layout");
static_assert(sizeof(DRIVE_LAYOUT_INFORMATION) + 3 * sizeof(PARTITION_INFORMATION) == 136,
              "DRIVE_LAYOUT_INFORMATION layout");
static_assert(sizeof(STORAGE_DEVICE_NUMBER) == 12, "STORAGE_DEVICE_NUMBER layout");

#endif
