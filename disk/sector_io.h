// Raw storage: opening physical drives and volumes for unbuffered,
// write-through I/O, whole-sector transfers, lock and dismount.
#ifndef TARNWICK_SECTOR_IO_H
#define TARNWICK_SECTOR_IO_H

#include "app/platform.h"

// Every transfer counts in sectors of this size; the device is never asked.
const int SECTOR_SIZE = 512;

// The most sectors one transfer moves: their byte count must fit 32 bits.
const int MAX_TRANSFER_SECTORS = 8388607;

// A sector the program hands to unbuffered I/O, aligned as such I/O needs.
struct alignas(SECTOR_SIZE) SectorBuffer {
    BYTE bytes[SECTOR_SIZE];
};
static_assert(sizeof(SectorBuffer) == SECTOR_SIZE, "one sector");

// \\.\PHYSICALDRIVEn, read-only or read/write. The caller closes the handle.
HANDLE OpenPhysicalDrive(int driveNumber, int readOnly);

// \\.\X: for the letter as given, read-only or read/write.
HANDLE OpenVolumeDevice(char letter, int readOnly);

// \\.\X: read/write, for the first character of rootPath, which must be a
// letter; otherwise INVALID_HANDLE_VALUE without touching any device.
HANDLE OpenVolumeByPath(const char* rootPath);

// Whole-sector transfers at a sector number; 1 when every byte moved.
// Buffers must be aligned to SECTOR_SIZE (SectorBuffer is).
int ReadVolumeSectors(const char* rootPath, int firstSector, int count, void* buffer);
int WriteVolumeSectors(const char* rootPath, int firstSector, int count, const void* buffer);
int WritePhysicalSectors(int driveNumber, int firstSector, int count, const void* buffer);

// FSCTL_LOCK_VOLUME and FSCTL_DISMOUNT_VOLUME on an open volume; the lock
// lasts until the handle is closed.
BOOL LockVolume(HANDLE volume);
BOOL DismountVolume(HANDLE volume);

#endif
