// The master boot record: its decoded form, reading and writing sector 0,
// and the program's own MBR boot code.
#ifndef TARNWICK_MBR_H
#define TARNWICK_MBR_H

#include "app/platform.h"

// On-disk layout of sector 0.
const int MBR_BOOT_CODE_SIZE = 446;      // code, disk signature and two zero bytes
const int MBR_DISK_SIGNATURE_OFFSET = 440;
const int MBR_PARTITION_TABLE_OFFSET = 446;
const int MBR_ENTRY_SIZE = 16;
const int MBR_ENTRY_COUNT = 4;
const int MBR_SIGNATURE_OFFSET = 510;
const WORD MBR_SIGNATURE = 0xAA55;

// Every disk whose boot code is rewritten from the built-in image gets it.
const DWORD MBR_DISK_SIGNATURE = 0x0217934C;

// One partition entry with its packed cylinder/head/sector bytes split out.
struct PartitionSlot {
    BYTE bootFlag;
    WORD startCylinder; // 0..1023
    BYTE startHead;
    BYTE startSector;   // 0..63
    BYTE type;
    WORD endCylinder;
    BYTE endHead;
    BYTE endSector;
    DWORD startLba;
    DWORD sectorCount;
};
static_assert(sizeof(PartitionSlot) == 20, "PartitionSlot layout");

struct MbrImage {
    BYTE bootCode[MBR_BOOT_CODE_SIZE];   // sector bytes 0..445
    PartitionSlot slots[MBR_ENTRY_COUNT];
    WORD signature;                      // sector bytes 510..511 as read
};
static_assert(sizeof(MbrImage) == 532, "MbrImage layout");

// Sector 0 of \\.\PHYSICALDRIVEn into record; 1 on success. A failed read
// leaves the record untouched. Nothing is validated.
int ReadMbr(int driveNumber, MbrImage* record);

// record encoded into sector 0; 1 when all 512 bytes were written.
int WriteMbr(int driveNumber, const MbrImage* record);

// The 446 bytes of the built-in boot code, disk signature included.
const BYTE* GetMbrBootCode(void);

// The codec behind ReadMbr and WriteMbr, on plain 512-byte sectors.
void DecodeMbr(const BYTE* sector, MbrImage* record);
void EncodeMbr(const MbrImage* record, BYTE* sector);

#endif
