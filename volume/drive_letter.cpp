#include "volume/drive_letter.h"

#include "app/platform.h"
#include "app/text.h"

static const int kTargetPathSize = 100;
static const int kAnswerSize = 300;
static const int kMaxPartitionNumber = 3;
static const DWORD kDefineFlags = DDD_RAW_TARGET_PATH | DDD_NO_BROADCAST_SYSTEM;
static const DWORD kRemoveFlags = DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_NO_BROADCAST_SYSTEM;

char FirstFreeDriveLetter(void)
{
    DWORD drives = GetLogicalDrives();
    for (char c = FIRST_CHOSEN_LETTER; c <= 'Z'; c++)
        if (!(drives & (1u << (c - 'A'))))
            return c;
    return 0;
}

char AssignDriveLetter(int driveNumber, int partitionNumber, char letter)
{
    if (driveNumber < 0 || partitionNumber < 0 || partitionNumber > kMaxPartitionNumber ||
        (letter != 0 && !IsAsciiLetter(letter))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (letter == 0) {
        letter = FirstFreeDriveLetter();
        if (letter == 0)
            return 0;
    }
    char device[3] = {letter, ':', 0};
    char mountPoint[4] = {letter, ':', '\\', 0};
    char target[kTargetPathSize];
    FormatText(target, sizeof target, "\\device\\harddisk%d\\partition%d", driveNumber,
               partitionNumber);
    char answer[kAnswerSize];
    // When the caller names the letter, this is the only test that it is free.
    if (QueryDosDeviceA(device, answer, sizeof answer) != 0)
        return 0;
    if (!DefineDosDeviceA(kDefineFlags, device, target))
        return 0;
    BOOL found = GetVolumeNameForVolumeMountPointA(mountPoint, answer, sizeof answer);
    DefineDosDeviceA(kRemoveFlags, device, target);
    if (!found)
        return 0;
    return SetVolumeMountPointA(mountPoint, answer) ? letter : 0;
}
