#include "disk/disk_query.h"

#include "app/text.h"
#include "disk/sector_io.h"

static const char kDiskEnumKey[] = "SYSTEM\\CurrentControlSet\\Services\\Disk\\Enum";
static const char kDeviceEnumKey[] = "SYSTEM\\CurrentControlSet\\Enum";
static const char kMountedDevicesKey[] = "SYSTEM\\MountedDevices";
static const char kCountValue[] = "Count";
static const char kFriendlyNameValue[] = "FriendlyName";

static const int kInstanceIdBytes = 1000;
static const int kFriendlyNameBytes = 300;
static const int kGeometryPathSize = 50;
static const int kValueNameSize = 100;
static const int kMountedDataSize = 500;
static const int kRootPathSize = 4;
static const BYTE kActiveFlag = 0x80;
// A disk also opens through its device interface: this prefix, the instance
// path with each backslash made #, then the disk interface class.
static const char kInterfacePrefix[] = "\\\\?\\";
static const char kDiskInterfaceClass[] = "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
static const int kInterfacePathSize =
    (int)sizeof kInterfacePrefix - 1 + kInstanceIdBytes + (int)sizeof kDiskInterfaceClass;

// The mounted-device data of a floppy on the floppy controller starts with
// the UTF-16 text \??\FDC#.
static const BYTE kFloppyPrefix[] = {'\\', 0, '?', 0, '?', 0, '\\', 0,
                                     'F', 0, 'D', 0, 'C', 0, '#', 0};

// Each text comes with room for a terminator after the value's bytes, so a
// value stored without one still reads as a bounded string.
static char g_instanceId[kInstanceIdBytes + 1];
static char g_friendlyName[kFriendlyNameBytes + 1];

// Reads a value into buffer (size bytes offered, one more for the
// terminator); 1 on success.
static int ReadTextValue(HKEY key, const char* name, char* buffer, DWORD size)
{
    DWORD length = size;
    if (RegQueryValueExA(key, name, NULL, NULL, (LPBYTE)buffer, &length) != ERROR_SUCCESS)
        return 0;
    buffer[length <= size ? length : size] = 0;
    return 1;
}

int GetDiskCount(void)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDiskEnumKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    DWORD count = 0;
    DWORD size = sizeof count;
    LONG status = RegQueryValueExA(key, kCountValue, NULL, NULL, (LPBYTE)&count, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? (int)count : -1;
}

const char* GetDiskInstanceId(int n)
{
    if (n < 0)
        return NULL;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDiskEnumKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return NULL;
    char name[16];
    FormatText(name, sizeof name, "%d", n);
    int ok = ReadTextValue(key, name, g_instanceId, kInstanceIdBytes);
    RegCloseKey(key);
    return ok ? g_instanceId : NULL;
}

// The FriendlyName of a device instance key, in its static buffer, or null.
static const char* FriendlyNameOf(const char* instanceId)
{
    HKEY enumKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDeviceEnumKey, 0, KEY_READ, &enumKey) != ERROR_SUCCESS)
        return NULL;
    HKEY deviceKey;
    LONG status = RegOpenKeyExA(enumKey, instanceId, 0, KEY_READ, &deviceKey);
    RegCloseKey(enumKey);
    if (status != ERROR_SUCCESS)
        return NULL;
    int ok = ReadTextValue(deviceKey, kFriendlyNameValue, g_friendlyName, kFriendlyNameBytes);
    RegCloseKey(deviceKey);
    return ok ? g_friendlyName : NULL;
}

const char* GetDiskFriendlyName(int n)
{
    if (n < 0)
        return NULL;
    const char* instanceId = GetDiskInstanceId(n);
    return instanceId ? FriendlyNameOf(instanceId) : NULL;
}

// The device number the disk of instanceId reports through its device
// interface, or -1. Windows gives a disk the lowest number free when it
// arrives, so this, not the disk's place in the Disk service list, is the n
// of \\.\PHYSICALDRIVEn.
static int DeviceNumberOf(const char* instanceId)
{
    char path[kInterfacePathSize];
    FormatText(path, sizeof path, "%s%s%s", kInterfacePrefix, instanceId, kDiskInterfaceClass);
    for (char* c = path + sizeof kInterfacePrefix - 1; *c != 0; c++)
        if (*c == '\\')
            *c = '#';
    // Asking for the number needs no access to the disk's bytes.
    HANDLE disk = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0,
                              NULL);
    if (disk == INVALID_HANDLE_VALUE)
        return -1;
    STORAGE_DEVICE_NUMBER number;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(disk, IOCTL_STORAGE_GET_DEVICE_NUMBER, NULL, 0, &number,
                              sizeof number, &returned, NULL);
    CloseHandle(disk);
    // A number beyond an int's reach reads as negative: no drive.
    return ok ? (int)number.DeviceNumber : -1;
}

// Both requests must succeed: a length without a geometry is no answer.
int GetDiskGeometryAndLength(int n, DISK_GEOMETRY* geometry, LONGLONG* length)
{
    if (n < 0 || geometry == NULL)
        return 0;
    char path[kGeometryPathSize];
    FormatText(path, sizeof path, "\\\\.\\PHYSICALDRIVE%d", n);
    HANDLE drive = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_EXISTING, FILE_FLAG_WRITE_THROUGH | FILE_FLAG_NO_BUFFERING,
                               NULL);
    if (drive == INVALID_HANDLE_VALUE)
        return 0;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY, NULL, 0, geometry,
                              sizeof *geometry, &returned, NULL);
    if (ok && length != NULL) {
        PARTITION_INFORMATION whole;
        ok = DeviceIoControl(drive, IOCTL_DISK_GET_PARTITION_INFO, NULL, 0, &whole, sizeof whole,
                             &returned, NULL);
        if (ok)
            *length = whole.PartitionLength.QuadPart;
    }
    CloseHandle(drive);
    return ok ? 1 : 0;
}

int DriveLetterExists(char letter)
{
    if (!IsAsciiLetter(letter))
        return 0;
    int bit = AsciiUpper(letter) - 'A';
    return (GetLogicalDrives() >> bit) & 1;
}

int IsFloppyLetter(char letter)
{
    if (!IsAsciiLetter(letter) || !DriveLetterExists(letter))
        return 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMountedDevicesKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    char name[kValueNameSize];
    FormatText(name, sizeof name, "\\DosDevices\\%C:", letter);
    BYTE data[kMountedDataSize];
    DWORD size = sizeof data;
    LONG status = RegQueryValueExA(key, name, NULL, NULL, data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || size < sizeof kFloppyPrefix)
        return 0;
    for (unsigned i = 0; i < sizeof kFloppyPrefix; i++) {
        BYTE b = data[i];
        if (b >= 'A' && b <= 'Z')
            b = (BYTE)(b - 'A' + 'a');
        BYTE want = kFloppyPrefix[i];
        if (want >= 'A' && want <= 'Z')
            want = (BYTE)(want - 'A' + 'a');
        if (b != want)
            return 0;
    }
    return 1;
}

void FillVolumeSlot(DiskInfo* info, char letter, int index)
{
    if (info == NULL || index < 0 || index >= VOLUME_SLOT_COUNT)
        return;
    const PartitionSlot* p = &info->mbr.slots[index];
    VolumeSlot* v = &info->volumes[index];
    v->bootable = p->bootFlag == kActiveFlag ? 1 : 0;
    v->partitionType = p->type;
    v->sizeBytes = (ULONGLONG)p->sectorCount * SECTOR_SIZE;
    v->letter = letter;
    char root[kRootPathSize];
    FormatText(root, sizeof root, "%C:\\", letter);
    if (!GetVolumeInformationA(root, v->label, VOLUME_LABEL_SIZE, &v->serialNumber, NULL, NULL,
                               NULL, 0))
        v->label[0] = 0;
    v->label[VOLUME_LABEL_SIZE - 1] = 0;
}

// The device number of the volume at letter, when it is a primary
// partition (1..4) of drive n; 0 otherwise.
static int PartitionOnDrive(char letter, int n)
{
    HANDLE volume = OpenVolumeDevice(letter, 1);
    if (volume == INVALID_HANDLE_VALUE)
        return 0;
    STORAGE_DEVICE_NUMBER number;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(volume, IOCTL_STORAGE_GET_DEVICE_NUMBER, NULL, 0, &number,
                              sizeof number, &returned, NULL);
    CloseHandle(volume);
    if (!ok || number.DeviceNumber != (DWORD)n || number.DeviceType != FILE_DEVICE_DISK ||
        number.PartitionNumber < 1 || number.PartitionNumber > VOLUME_SLOT_COUNT)
        return 0;
    return (int)number.PartitionNumber;
}

// The record of drive n, whose instance path is instanceId.
static int BuildDiskInfo(int n, const char* instanceId, DiskInfo* info)
{
    DiskInfo local = {};
    local.diskNumber = (BYTE)n;
    CopyText(local.instanceId, INSTANCE_ID_SIZE, instanceId);
    const char* name = FriendlyNameOf(local.instanceId);
    if (name == NULL)
        return 0;
    CopyText(local.friendlyName, FRIENDLY_NAME_SIZE, name);
    if (!GetDiskGeometryAndLength(n, &local.geometry, &local.diskLength))
        return 0;
    if (!ReadMbr(n, &local.mbr))
        return 0;
    for (char letter = 'A'; letter <= 'Z'; letter++) {
        // Floppy drives are never opened: that would spin them up.
        if (!DriveLetterExists(letter) || IsFloppyLetter(letter))
            continue;
        int partition = PartitionOnDrive(letter, n);
        if (partition != 0)
            FillVolumeSlot(&local, letter, partition - 1);
    }
    *info = local;
    return 1;
}

int QueryDiskEntry(int entry, DiskInfo* info, int* number)
{
    if (entry < 0 || info == NULL || number == NULL)
        return 0;
    const char* instanceId = GetDiskInstanceId(entry);
    int n = instanceId ? DeviceNumberOf(instanceId) : -1;
    if (n < 0 || !BuildDiskInfo(n, instanceId, info))
        return 0;
    *number = n;
    return 1;
}

int QueryDiskInfo(int n, DiskInfo* info)
{
    if (n < 0 || info == NULL)
        return 0;
    int count = GetDiskCount();
    for (int entry = 0; entry < count; entry++) {
        const char* instanceId = GetDiskInstanceId(entry);
        if (instanceId != NULL && DeviceNumberOf(instanceId) == n)
            return BuildDiskInfo(n, instanceId, info);
    }
    return 0;
}
