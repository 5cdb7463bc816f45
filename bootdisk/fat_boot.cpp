#include "bootdisk/fat_boot.h"

#include "disk/sector_io.h"

extern const unsigned char g_fatBootCode[FAT_BOOT_CODE_SIZE];
static_assert(FAT_BOOT_CODE_OFFSET + FAT_BOOT_CODE_SIZE == SECTOR_SIZE,
              "the loader runs to the end of the sector");

int WriteFatBootCode(char letter)
{
    HANDLE volume = OpenVolumeDevice(letter, 0);
    if (volume == INVALID_HANDLE_VALUE)
        return 0;
    SectorBuffer sector;
    DWORD moved = 0;
    int result = 0;
    if (ReadFile(volume, sector.bytes, SECTOR_SIZE, &moved, NULL) && moved == SECTOR_SIZE) {
        for (int i = 0; i < FAT_BOOT_CODE_SIZE; i++)
            sector.bytes[FAT_BOOT_CODE_OFFSET + i] = g_fatBootCode[i];
        // Back to the start; a failed seek must not write the sector elsewhere.
        SetLastError(NO_ERROR);
        DWORD at = SetFilePointer(volume, 0, NULL, FILE_BEGIN);
        if (!(at == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR))
            result = WriteFile(volume, sector.bytes, SECTOR_SIZE, &moved, NULL) &&
                     moved == SECTOR_SIZE;
    }
    CloseHandle(volume);
    return result;
}
