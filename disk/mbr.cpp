#include "disk/mbr.h"

#include "disk/sector_io.h"

extern const unsigned char g_mbrBootCode[MBR_BOOT_CODE_SIZE];

// Fields of one partition entry.
static const int kEntryBootFlag = 0;
static const int kEntryStartHead = 1;
static const int kEntryStartSectorCylinder = 2;
static const int kEntryStartCylinderLow = 3;
static const int kEntryType = 4;
static const int kEntryEndHead = 5;
static const int kEntryEndSectorCylinder = 6;
static const int kEntryEndCylinderLow = 7;
static const int kEntryStartLba = 8;
static const int kEntrySectorCount = 12;

static const BYTE kSectorBits = 0x3F;
static const BYTE kCylinderHighBits = 0xC0;

static DWORD GetLe32(const BYTE* p)
{
    return (DWORD)p[0] | (DWORD)p[1] << 8 | (DWORD)p[2] << 16 | (DWORD)p[3] << 24;
}

static void PutLe32(BYTE* p, DWORD v)
{
    p[0] = (BYTE)v;
    p[1] = (BYTE)(v >> 8);
    p[2] = (BYTE)(v >> 16);
    p[3] = (BYTE)(v >> 24);
}

static void CopyBytes(BYTE* to, const BYTE* from, int count)
{
    for (int i = 0; i < count; i++)
        to[i] = from[i];
}

// Cylinder bits 8 and 9 travel in the top two bits of the sector byte.
static WORD Cylinder(BYTE sectorByte, BYTE low)
{
    return (WORD)(low + ((sectorByte & kCylinderHighBits) << 2));
}

static BYTE SectorByte(BYTE sector, WORD cylinder)
{
    return (BYTE)((sector & kSectorBits) | ((cylinder >> 2) & kCylinderHighBits));
}

void DecodeMbr(const BYTE* sector, MbrImage* record)
{
    CopyBytes(record->bootCode, sector, MBR_BOOT_CODE_SIZE);
    for (int i = 0; i < MBR_ENTRY_COUNT; i++) {
        const BYTE* e = sector + MBR_PARTITION_TABLE_OFFSET + (size_t)MBR_ENTRY_SIZE * i;
        PartitionSlot* p = &record->slots[i];
        p->bootFlag = e[kEntryBootFlag];
        p->startHead = e[kEntryStartHead];
        p->startSector = (BYTE)(e[kEntryStartSectorCylinder] & kSectorBits);
        p->startCylinder = Cylinder(e[kEntryStartSectorCylinder], e[kEntryStartCylinderLow]);
        p->type = e[kEntryType];
        p->endHead = e[kEntryEndHead];
        p->endSector = (BYTE)(e[kEntryEndSectorCylinder] & kSectorBits);
        p->endCylinder = Cylinder(e[kEntryEndSectorCylinder], e[kEntryEndCylinderLow]);
        p->startLba = GetLe32(e + kEntryStartLba);
        p->sectorCount = GetLe32(e + kEntrySectorCount);
    }
    record->signature =
        (WORD)(sector[MBR_SIGNATURE_OFFSET] | sector[MBR_SIGNATURE_OFFSET + 1] << 8);
}

void EncodeMbr(const MbrImage* record, BYTE* sector)
{
    CopyBytes(sector, record->bootCode, MBR_BOOT_CODE_SIZE);
    for (int i = 0; i < MBR_ENTRY_COUNT; i++) {
        BYTE* e = sector + MBR_PARTITION_TABLE_OFFSET + (size_t)MBR_ENTRY_SIZE * i;
        const PartitionSlot* p = &record->slots[i];
        e[kEntryBootFlag] = p->bootFlag;
        e[kEntryStartHead] = p->startHead;
        e[kEntryStartSectorCylinder] = SectorByte(p->startSector, p->startCylinder);
        e[kEntryStartCylinderLow] = (BYTE)(p->startCylinder & 0xFF);
        e[kEntryType] = p->type;
        e[kEntryEndHead] = p->endHead;
        e[kEntryEndSectorCylinder] = SectorByte(p->endSector, p->endCylinder);
        e[kEntryEndCylinderLow] = (BYTE)(p->endCylinder & 0xFF);
        PutLe32(e + kEntryStartLba, p->startLba);
        PutLe32(e + kEntrySectorCount, p->sectorCount);
    }
    sector[MBR_SIGNATURE_OFFSET] = (BYTE)record->signature;
    sector[MBR_SIGNATURE_OFFSET + 1] = (BYTE)(record->signature >> 8);
}

int ReadMbr(int driveNumber, MbrImage* record)
{
    if (driveNumber < 0 || record == NULL)
        return 0;
    HANDLE drive = OpenPhysicalDrive(driveNumber, 1);
    if (drive == INVALID_HANDLE_VALUE)
        return 0;
    SectorBuffer sector;
    DWORD read = 0;
    int result = ReadFile(drive, sector.bytes, SECTOR_SIZE, &read, NULL) && read == SECTOR_SIZE;
    if (result)
        DecodeMbr(sector.bytes, record);
    CloseHandle(drive);
    return result;
}

int WriteMbr(int driveNumber, const MbrImage* record)
{
    if (driveNumber < 0 || record == NULL)
        return 0;
    HANDLE drive = OpenPhysicalDrive(driveNumber, 0);
    if (drive == INVALID_HANDLE_VALUE)
        return 0;
    SectorBuffer sector;
    EncodeMbr(record, sector.bytes);
    DWORD written = 0;
    int result =
        WriteFile(drive, sector.bytes, SECTOR_SIZE, &written, NULL) && written == SECTOR_SIZE;
    CloseHandle(drive);
    return result;
}

const BYTE* GetMbrBootCode(void)
{
    return g_mbrBootCode;
}
