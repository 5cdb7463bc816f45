#include "disk/sector_io.h"

#include "app/text.h"

// Room for "\\.\PHYSICALDRIVE" and any int, so that no drive number is ever
// cut into the number of another drive.
static const int kDrivePathSize = 32;
static const int kVolumePathSize = 20;
static const int kRootVolumePathSize = 10;

static HANDLE OpenDevice(const char* path, int readOnly)
{
    DWORD access = readOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                       FILE_FLAG_WRITE_THROUGH | FILE_FLAG_NO_BUFFERING, NULL);
}

HANDLE OpenPhysicalDrive(int driveNumber, int readOnly)
{
    char path[kDrivePathSize];
    FormatText(path, sizeof path, "\\\\.\\PHYSICALDRIVE%d", driveNumber);
    return OpenDevice(path, readOnly);
}

HANDLE OpenVolumeDevice(char letter, int readOnly)
{
    char path[kVolumePathSize];
    FormatText(path, sizeof path, "\\\\.\\%c:", letter);
    return OpenDevice(path, readOnly);
}

HANDLE OpenVolumeByPath(const char* rootPath)
{
    if (rootPath == NULL || !IsAsciiLetter(rootPath[0]))
        return INVALID_HANDLE_VALUE;
    char path[kRootVolumePathSize];
    FormatText(path, sizeof path, "\\\\.\\%C:", rootPath[0]);
    return OpenDevice(path, 0);
}

// Seeks to the sector and moves count sectors in one call. A seek that fails
// fails the transfer: the bytes would land at the wrong place.
static int TransferSectors(HANDLE device, int firstSector, int count, void* buffer, int writing)
{
    ULONGLONG offset = (ULONGLONG)(unsigned)firstSector * (ULONGLONG)SECTOR_SIZE;
    LONG high = (LONG)(offset >> 32);
    DWORD length = (DWORD)count * (DWORD)SECTOR_SIZE;
    DWORD moved = 0;
    BOOL ok;
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(device, (LONG)(DWORD)offset, &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return 0;
    if (writing)
        ok = WriteFile(device, buffer, length, &moved, NULL);
    else
        ok = ReadFile(device, buffer, length, &moved, NULL);
    return ok && moved == length;
}

static int ValidTransfer(int firstSector, int count, const void* buffer)
{
    return firstSector >= 0 && count >= 0 && count <= MAX_TRANSFER_SECTORS && buffer != NULL;
}

static int VolumeTransfer(const char* rootPath, int firstSector, int count, void* buffer,
                          int writing)
{
    if (rootPath == NULL || !IsAsciiLetter(rootPath[0]) ||
        !ValidTransfer(firstSector, count, buffer))
        return 0;
    HANDLE volume = OpenVolumeDevice(rootPath[0], !writing);
    if (volume == INVALID_HANDLE_VALUE)
        return 0;
    int result = TransferSectors(volume, firstSector, count, buffer, writing);
    CloseHandle(volume);
    return result;
}

int ReadVolumeSectors(const char* rootPath, int firstSector, int count, void* buffer)
{
    return VolumeTransfer(rootPath, firstSector, count, buffer, 0);
}

int WriteVolumeSectors(const char* rootPath, int firstSector, int count, const void* buffer)
{
    return VolumeTransfer(rootPath, firstSector, count, (void*)buffer, 1);
}

int WritePhysicalSectors(int driveNumber, int firstSector, int count, const void* buffer)
{
    if (driveNumber < 0 || !ValidTransfer(firstSector, count, buffer))
        return 0;
    HANDLE drive = OpenPhysicalDrive(driveNumber, 0);
    if (drive == INVALID_HANDLE_VALUE)
        return 0;
    int result = TransferSectors(drive, firstSector, count, (void*)buffer, 1);
    CloseHandle(drive);
    return result;
}

static BOOL SendVolumeControl(HANDLE volume, DWORD code)
{
    DWORD returned = 0;
    return DeviceIoControl(volume, code, NULL, 0, NULL, 0, &returned, NULL);
}

BOOL LockVolume(HANDLE volume)
{
    return SendVolumeControl(volume, FSCTL_LOCK_VOLUME);
}

BOOL DismountVolume(HANDLE volume)
{
    return SendVolumeControl(volume, FSCTL_DISMOUNT_VOLUME);
}
