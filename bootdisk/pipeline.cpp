#include "bootdisk/pipeline.h"

#include "app/disk_list.h"
#include "app/text.h"
#include "app/ui.h"
#include "bootdisk/boot_partition.h"
#include "bootdisk/dos_files.h"
#include "bootdisk/fat_boot.h"
#include "disk/sector_io.h"
#include "res/resource.h"
#include "volume/drive_letter.h"
#include "volume/fat_volume.h"
#include "volume/format.h"

static const int kMessageSize = 1000;
static const char kAppTitle[] = "Tarnwick";
static const char kFileSystem[] = "fat";
static const int kDriveNumberOffset = 36;
static const BYTE kHardDiskDrive = 0x80;
static const DWORD kLetterWait = 1000;
// The most sectors and heads the CHS fields of a partition entry can name.
static const DWORD kMaxSectorsPerTrack = 63;
static const DWORD kMaxHeads = 255;

static const char kNoLetter[] = "Failed To Assign Drive Letter!\n\nFormatting Cannot Proceed!";
static const char kNoDosFiles[] = "Error Occurred Extracting/Copying DOS Files";

static const char kConfirmHead[] = "You are about to repartition and format a disk.\n\nDisk: ";
static const char kConfirmTail[] =
    "\n\nAll existing volumes and data on that disk will be lost.\n\nAre You Sure You Want To Continue?";

static int IsTicked(int id)
{
    return IsDlgButtonChecked(g_hMainDlg, id) == BST_CHECKED;
}

static int Stop(const char* message)
{
    ShowError(message);
    return 0;
}

// Asks before anything is touched; 1 only for Yes.
static int Confirmed(const char* diskName)
{
    char message[kMessageSize];
    FormatText(message, sizeof message, "%s%s%s", kConfirmHead, diskName, kConfirmTail);
    return MessageBoxA(g_hMainDlg, message, kAppTitle, MB_ICONWARNING | MB_YESNO) == IDYES;
}

// A geometry that places the partition one track in and that CHS values
// can describe, on a disk longer than that track.
static int HasUsableGeometry(const DiskInfo* info)
{
    const DISK_GEOMETRY* g = &info->geometry;
    if (g->SectorsPerTrack < 1 || g->SectorsPerTrack > kMaxSectorsPerTrack ||
        g->TracksPerCylinder < 1 || g->TracksPerCylinder > kMaxHeads)
        return 0;
    return info->diskLength > (LONGLONG)g->SectorsPerTrack * g->BytesPerSector;
}

// The new partition gets a letter: one of the stick's own from D on, which
// its old volume gives up, or a free one.
static int LetterToBeHad(const DiskInfo* info)
{
    for (int i = 0; i < VOLUME_SLOT_COUNT; i++)
        if (info->volumes[i].letter >= FIRST_CHOSEN_LETTER && info->volumes[i].letter <= 'Z')
            return 1;
    return FirstFreeDriveLetter() != 0;
}

// Everything found only after the disk had been changed, were it not looked
// for first: the text to stop with, or null. Nothing is opened for writing.
static const char* RefusalBeforeWriting(int drive, DiskInfo* info, char* label)
{
    // Windows reuses drive numbers as disks come and go: the number must
    // still name the disk the user chose from the list.
    if (!QueryDiskInfo(drive, info) || !IsListedDisk(drive, info) || !HasUsableGeometry(info))
        return "Failed To Query Disk!";
    label[0] = 0;
    GetDlgItemTextA(g_hMainDlg, IDC_LABEL, label, VOLUME_LABEL_SIZE);
    FormatStatus labelled = CheckVolumeLabel(label);
    if (labelled != FORMAT_SUCCEEDED)
        return FormatStatusText(labelled);
    DWORD fileSizes[DOS_FILE_COUNT];
    if (CheckDosFiles(fileSizes) != EXTRACT_SUCCEEDED ||
        !FatVolumeHolds((ULONGLONG)BootPartitionLength(info) / SECTOR_SIZE, fileSizes, DOS_FILE_COUNT))
        return kNoDosFiles;
    FormatStatus loaded = CheckFormatLibrary();
    if (loaded != FORMAT_SUCCEEDED)
        return FormatStatusText(loaded);
    if (!LetterToBeHad(info))
        return kNoLetter;
    return 0;
}

// Locks the drive and replaces its partition table; 0 once a failure has
// been shown.
static int Repartition(int drive, const DiskInfo* info)
{
    HANDLE handle = OpenPhysicalDrive(drive, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return Stop("Failed To Open The Disk!");
    const char* failure = 0;
    DriveLayout4 layout;
    DWORD returned = 0;
    if (!DeviceIoControl(handle, FSCTL_LOCK_VOLUME, NULL, 0, NULL, 0, &returned, NULL))
        failure = "Failed To Lock Disk!";
    else if (!DeviceIoControl(handle, IOCTL_DISK_GET_DRIVE_LAYOUT, NULL, 0, &layout,
                              sizeof layout, &returned, NULL))
        failure = "Failed To Get Disk Layout!";
    if (failure == 0) {
        BuildBootLayout(&layout, info, IsTicked(IDC_ENABLE_LBA));
        if (!DeviceIoControl(handle, IOCTL_DISK_SET_DRIVE_LAYOUT, &layout, sizeof layout, NULL,
                             0, &returned, NULL))
            failure = "Failed To Set Drive Layout!";
    }
    if (failure != 0)
        ShowError(failure); // the handle, and the lock, last until the box is closed
    CloseHandle(handle);
    return failure == 0;
}

// The MBR with our code and geometry. A failed write is shown and the run
// goes on, with *written 0. 0 when the MBR cannot be read.
static int RewriteBootRecord(int drive, const DiskInfo* info, int* written)
{
    MbrImage mbr;
    *written = 0;
    if (!ReadMbr(drive, &mbr))
        return Stop("Failed To Read MBR!");
    FixBootRecord(&mbr, info, IsTicked(IDC_KEEP_MBR_CODE));
    *written = WriteMbr(drive, &mbr);
    if (!*written)
        ShowError("Failed To Write MBR!");
    SectorBuffer zero;
    for (int i = 0; i < SECTOR_SIZE; i++)
        zero.bytes[i] = 0;
    WritePhysicalSectors(drive, (int)info->geometry.SectorsPerTrack, 1, &zero);
    return 1;
}

// The new volume boots as the first hard disk.
static int SetDriveNumber(const char* root)
{
    SectorBuffer sector;
    if (!ReadVolumeSectors(root, 0, 1, &sector))
        return 0;
    sector.bytes[kDriveNumberOffset] = kHardDiskDrive;
    return WriteVolumeSectors(root, 0, 1, &sector);
}

static int SetLbaType(int drive)
{
    MbrImage mbr;
    if (!ReadMbr(drive, &mbr))
        return 0;
    mbr.slots[0].type = PARTITION_TYPE_FAT16_LBA;
    return WriteMbr(drive, &mbr);
}

static FormatStatus FormatNewVolume(char letter, const char* root, const char* label)
{
    char message[kMessageSize];
    FormatText(message, sizeof message, "Formating Drive...%C:\\", letter);
    SetStatusText(message);
    return FormatVolume(g_hMainDlg, root, kFileSystem, label, IsTicked(IDC_QUICK_FORMAT),
                        IsTicked(IDC_FORCE_DISMOUNT));
}

int MakeBootableDisk(void)
{
    int drive = GetSelectedDiskIndex();
    if (drive < 0)
        return Stop("Invalid Disk!");
    const char* name = GetSelectedDiskName();
    if (name == 0)
        return Stop("Failed To Get Disk Name!");
    if (!Confirmed(name))
        return 0;

    DiskInfo info;
    char label[VOLUME_LABEL_SIZE];
    SetStatusText("Checking Disk...");
    const char* refusal = RefusalBeforeWriting(drive, &info, label);
    if (refusal != 0)
        return Stop(refusal);
    SetStatusText("Partitioning Disk...");
    if (!Repartition(drive, &info))
        return 0;
    int mbrWritten = 0;
    if (!RewriteBootRecord(drive, &info, &mbrWritten))
        return 0;
    if (!QueryDiskInfo(drive, &info))
        return Stop("Failed To ReQuery Disk Info!");

    char letter = info.volumes[0].letter;
    if (letter == 0) {
        letter = AssignDriveLetter(drive, 1, 0);
        Sleep(kLetterWait);
    }
    if (letter == 0)
        return Stop(kNoLetter);
    char root[4] = {letter, ':', '\\', 0};
    FormatStatus formatted = FormatNewVolume(letter, root, label);
    if (formatted != FORMAT_SUCCEEDED)
        return Stop(FormatStatusText(formatted));
    if (!SetDriveNumber(root))
        return Stop("Failed To Set Drive ID!");
    if (IsTicked(IDC_ENABLE_LBA) && !SetLbaType(drive))
        return Stop("Enable LBA: An Error occurred when trying to set LBA mode (FAT16X).");
    SetStatusText("Writing FAT Sector Code...");
    if (!WriteFatBootCode(letter))
        return Stop("Error Writing FAT Code!");
    SetStatusText("Extracting and Copying DOS Files...");
    if (ExtractDosFiles(letter) != EXTRACT_SUCCEEDED)
        return Stop(kNoDosFiles);
    SetStatusText("Setting File Attributes...");
    if (!PatchDosFiles(letter))
        return Stop("Failed To Set Dos File Attributes!");
    // Without its boot code the stick cannot boot: that is no success.
    if (!mbrWritten)
        return 0;
    SetStatusText("Operation Completed Successfully");
    return 1;
}
