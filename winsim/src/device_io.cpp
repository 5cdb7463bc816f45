// KERNEL32 device I/O: opening drives and volumes, seeks, sector transfers
// and the disk and volume control requests, under Windows' rules.
#include "storage.h"
#include "volume_files.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace winsim {

namespace {

const char kDrivePrefix[] = "\\\\.\\PHYSICALDRIVE";
const char kDevicePrefix[] = "\\\\.\\";
const char kWin32Prefix[] = "\\\\?\\";
// The disk device interface class: the disk's instance path, with each
// backslash made #, then # and the class, names the disk too.
const char kDiskInterfaceClass[] = "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";

bool StartsWithIgnoreCase(const std::string& text, const char* prefix)
{
    std::size_t n = std::strlen(prefix);
    return text.size() >= n && EqualsIgnoreCase(text.substr(0, n), prefix);
}

// What a device path names: a drive, a lettered volume or foreign drive,
// or nothing here.
bool ParseDevicePath(const std::string& path, DeviceHandle& out)
{
    if (StartsWithIgnoreCase(path, kDrivePrefix)) {
        std::string digits = path.substr(std::strlen(kDrivePrefix));
        if (digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        out.disk = DiskNumbered(std::stoull(digits));
        return out.disk != nullptr;
    }
    // \\?\ (or \\.\) and the disk's device interface, in any case.
    if (StartsWithIgnoreCase(path, kWin32Prefix) || StartsWithIgnoreCase(path, kDevicePrefix)) {
        for (auto& disk : S().disks) {
            std::string name = disk->setup.instanceId + kDiskInterfaceClass;
            std::replace(name.begin(), name.end(), '\\', '#');
            if (EqualsIgnoreCase(path.substr(std::strlen(kWin32Prefix)), name)) {
                out.disk = disk;
                return true;
            }
        }
    }
    if (path.size() == 6 && StartsWithIgnoreCase(path, kDevicePrefix) && path[5] == ':') {
        char letter = path[4];
        if (letter >= 'a' && letter <= 'z')
            letter = (char)(letter - 32);
        auto volume = S().letters.find(letter);
        if (volume != S().letters.end()) {
            out.volume = volume->second;
            for (auto& disk : S().disks)
                if (disk.get() == volume->second->disk)
                    out.disk = disk;
            return out.disk != nullptr;
        }
        auto foreign = S().foreign.find(letter);
        if (foreign != S().foreign.end()) {
            out.foreign = foreign->second.kind;
            return true;
        }
    }
    return false;
}

const char* ControlName(DWORD code)
{
    switch (code) {
    case FSCTL_LOCK_VOLUME: return "FSCTL_LOCK_VOLUME";
    case FSCTL_UNLOCK_VOLUME: return "FSCTL_UNLOCK_VOLUME";
    case FSCTL_DISMOUNT_VOLUME: return "FSCTL_DISMOUNT_VOLUME";
    case IOCTL_DISK_GET_DRIVE_GEOMETRY: return "IOCTL_DISK_GET_DRIVE_GEOMETRY";
    case IOCTL_DISK_GET_PARTITION_INFO: return "IOCTL_DISK_GET_PARTITION_INFO";
    case IOCTL_DISK_GET_DRIVE_LAYOUT: return "IOCTL_DISK_GET_DRIVE_LAYOUT";
    case IOCTL_DISK_SET_DRIVE_LAYOUT: return "IOCTL_DISK_SET_DRIVE_LAYOUT";
    case IOCTL_STORAGE_GET_DEVICE_NUMBER: return "IOCTL_STORAGE_GET_DEVICE_NUMBER";
    default: return "";
    }
}

BOOL Fail(DWORD error)
{
    M().lastError = error;
    return FALSE;
}

// The checks every transfer passes before any byte moves.
bool TransferAllowed(DeviceHandle& device, const void* buffer, DWORD length, DWORD* moved,
                     DWORD accessNeeded)
{
    if (!moved)
        return Fail(ERROR_INVALID_PARAMETER);
    *moved = 0;
    if (!(device.access & accessNeeded))
        return Fail(ERROR_ACCESS_DENIED);
    if (!device.disk)
        return Fail(ERROR_NOT_READY); // a floppy or CD drive without a disk in it
    if (!device.disk->present)
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    for (DeviceHandle* other : HandlesOn(device))
        if (other != &device && other->holdsLock)
            return Fail(ERROR_ACCESS_DENIED);
    if (device.flags & FILE_FLAG_NO_BUFFERING) {
        // Unbuffered I/O moves whole sectors from sector-aligned buffers.
        std::uint64_t bps = (std::uint64_t)device.disk->setup.bytesPerSector;
        if (device.position % bps || length % bps || (std::uintptr_t)buffer % bps)
            return Fail(ERROR_INVALID_PARAMETER);
    }
    if (length && !buffer)
        return Fail(ERROR_INVALID_PARAMETER);
    return true;
}

// How much of length fits before the end of the device; a fault may take
// one sector off.
DWORD Reachable(const DeviceHandle& device, DWORD length, bool shortTransfer)
{
    std::uint64_t end = device.Length();
    std::uint64_t n = device.position >= end ? 0 : std::min<std::uint64_t>(length, end - device.position);
    if (shortTransfer) {
        std::uint64_t bps = (std::uint64_t)device.disk->setup.bytesPerSector;
        n = n >= bps ? n - bps : 0;
    }
    return (DWORD)n;
}

template <typename T>
T* Output(LPVOID out, DWORD outSize)
{
    return out && outSize >= sizeof(T) ? (T*)out : nullptr;
}

BOOL Answered(LPDWORD returned, DWORD size)
{
    if (returned)
        *returned = size;
    return TRUE;
}

BOOL AnswerGeometry(const DeviceHandle& device, LPVOID out, DWORD outSize, LPDWORD returned)
{
    if (!device.disk)
        return Fail(ERROR_NOT_READY);
    auto* g = Output<DISK_GEOMETRY>(out, outSize);
    if (!g)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    const DiskSetup& setup = device.disk->setup;
    std::uint64_t perCylinder =
        (std::uint64_t)setup.heads * (std::uint64_t)setup.sectorsPerTrack * (std::uint64_t)setup.bytesPerSector;
    g->Cylinders.QuadPart = perCylinder ? (LONGLONG)(setup.size / perCylinder) : 0;
    g->MediaType = setup.removable ? RemovableMedia : FixedMedia;
    g->TracksPerCylinder = (DWORD)setup.heads;
    g->SectorsPerTrack = (DWORD)setup.sectorsPerTrack;
    g->BytesPerSector = (DWORD)setup.bytesPerSector;
    return Answered(returned, sizeof *g);
}

// The whole drive on a drive handle, the partition on a volume handle.
BOOL AnswerPartitionInfo(const DeviceHandle& device, LPVOID out, DWORD outSize, LPDWORD returned)
{
    if (!device.disk)
        return Fail(ERROR_NOT_READY);
    auto* p = Output<PARTITION_INFORMATION>(out, outSize);
    if (!p)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memset(p, 0, sizeof *p);
    if (device.volume) {
        const Volume& v = *device.volume;
        p->StartingOffset.QuadPart = (LONGLONG)v.offset;
        p->PartitionLength.QuadPart = (LONGLONG)v.length;
        p->HiddenSectors = (DWORD)(v.offset / (std::uint64_t)device.disk->setup.bytesPerSector);
        p->PartitionNumber = (DWORD)v.partitionNumber;
        p->PartitionType = v.type;
        p->BootIndicator = v.bootable;
        p->RecognizedPartition = TRUE;
    } else {
        p->PartitionLength.QuadPart = (LONGLONG)device.disk->setup.size;
    }
    return Answered(returned, sizeof *p);
}

BOOL AnswerDeviceNumber(const DeviceHandle& device, LPVOID out, DWORD outSize, LPDWORD returned)
{
    auto* n = Output<STORAGE_DEVICE_NUMBER>(out, outSize);
    if (!n)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (device.foreign == "cdrom") {
        *n = {FILE_DEVICE_CD_ROM, 0, 0xFFFFFFFF};
    } else if (device.foreign == "floppy") {
        *n = {FILE_DEVICE_DISK, 0, 0xFFFFFFFF}; // floppy 0, no partitions
    } else {
        int number = DriveNumber(device.disk.get());
        if (number < 0)
            return Fail(ERROR_DEVICE_NOT_CONNECTED);
        *n = {FILE_DEVICE_DISK, (DWORD)number,
              device.volume ? (DWORD)device.volume->partitionNumber : 0u};
    }
    return Answered(returned, sizeof *n);
}

std::uint32_t Le32(const unsigned char* p)
{
    return (std::uint32_t)p[0] | (std::uint32_t)p[1] << 8 | (std::uint32_t)p[2] << 16 |
           (std::uint32_t)p[3] << 24;
}

// The layout of the drive's MBR: one entry per slot of every partition
// table, four at a time, so a disk with logical drives needs more room.
BOOL AnswerDriveLayout(const DeviceHandle& device, LPVOID out, DWORD outSize, LPDWORD returned)
{
    if (!device.disk || device.volume)
        return Fail(ERROR_INVALID_FUNCTION);
    DiskDevice& disk = *device.disk;
    std::uint64_t bps = (std::uint64_t)disk.setup.bytesPerSector;
    unsigned char mbr[512];
    disk.backing->Read(0, mbr, sizeof mbr);
    int tables = 1;
    for (int slot = 0; slot < 4; slot++) {
        unsigned char type = mbr[446 + 16 * slot + 4];
        if (type == 0x05 || type == 0x0F)
            for (auto& v : disk.volumes)
                tables += v->partitionNumber >= 5;
    }
    DWORD count = 4 * (DWORD)tables;
    DWORD needed = (DWORD)(offsetof(DRIVE_LAYOUT_INFORMATION, PartitionEntry) +
                           count * sizeof(PARTITION_INFORMATION));
    if (!out || outSize < needed)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memset(out, 0, needed);
    auto* layout = (DRIVE_LAYOUT_INFORMATION*)out;
    layout->PartitionCount = count;
    layout->Signature = Le32(mbr + 440);
    for (int slot = 0; slot < 4; slot++) {
        const unsigned char* e = mbr + 446 + 16 * slot;
        PARTITION_INFORMATION& p = layout->PartitionEntry[slot];
        if (e[4] == 0)
            continue;
        p.StartingOffset.QuadPart = (LONGLONG)(Le32(e + 8) * bps);
        p.PartitionLength.QuadPart = (LONGLONG)(Le32(e + 12) * bps);
        p.HiddenSectors = Le32(e + 8);
        p.PartitionNumber = (DWORD)slot + 1;
        p.PartitionType = e[4];
        p.BootIndicator = e[0] == 0x80;
        p.RecognizedPartition = TRUE;
    }
    return Answered(returned, needed);
}

// Writes the partition table as Windows does (CHS from the geometry, the
// layout's signature), then finds the partitions anew and, where the
// machine is set so, gives the first one a letter by itself.
BOOL SetDriveLayout(const DeviceHandle& device, LPVOID in, DWORD inSize)
{
    if (!device.disk || device.volume)
        return Fail(ERROR_INVALID_FUNCTION);
    if (!(device.access & GENERIC_WRITE))
        return Fail(ERROR_ACCESS_DENIED);
    auto* layout = (const DRIVE_LAYOUT_INFORMATION*)in;
    std::size_t header = offsetof(DRIVE_LAYOUT_INFORMATION, PartitionEntry);
    if (!in || inSize < header || layout->PartitionCount == 0 || layout->PartitionCount > 4 ||
        inSize < header + layout->PartitionCount * sizeof(PARTITION_INFORMATION))
        return Fail(ERROR_INVALID_PARAMETER);
    DiskDevice& disk = *device.disk;
    const DiskSetup& setup = disk.setup;
    std::uint64_t bps = (std::uint64_t)setup.bytesPerSector;
    unsigned char mbr[512];
    disk.backing->Read(0, mbr, sizeof mbr);
    for (DWORD i = 0; i < layout->PartitionCount; i++) {
        const PARTITION_INFORMATION& p = layout->PartitionEntry[i];
        if (!p.RewritePartition)
            continue;
        unsigned char* e = mbr + 446 + 16 * i;
        std::memset(e, 0, 16);
        if (p.PartitionType == 0)
            continue;
        std::uint64_t start = (std::uint64_t)p.StartingOffset.QuadPart;
        std::uint64_t length = (std::uint64_t)p.PartitionLength.QuadPart;
        if (start % bps || length % bps || length == 0 || start + length > setup.size ||
            start / bps > 0xFFFFFFFFu || length / bps > 0xFFFFFFFFu)
            return Fail(ERROR_INVALID_PARAMETER);
        std::uint32_t first = (std::uint32_t)(start / bps);
        std::uint32_t count = (std::uint32_t)(length / bps);
        e[0] = p.BootIndicator ? 0x80 : 0x00;
        ChsBytes(first, setup.heads, setup.sectorsPerTrack, e + 1);
        e[4] = p.PartitionType;
        ChsBytes(first + count - 1, setup.heads, setup.sectorsPerTrack, e + 5);
        for (int b = 0; b < 4; b++) {
            e[8 + b] = (unsigned char)(first >> (8 * b));
            e[12 + b] = (unsigned char)(count >> (8 * b));
        }
    }
    for (int b = 0; b < 4; b++)
        mbr[440 + b] = (unsigned char)(layout->Signature >> (8 * b));
    mbr[510] = 0x55;
    mbr[511] = 0xAA;
    int number = DriveNumber(&disk);
    if (setup.isProtected) {
        ProtectedWrite attempt{number, 0, sizeof mbr};
        S().protectedWrites.push_back(attempt);
        if (M().observer)
            M().observer->ProtectedWriteAttempted(attempt);
        return Fail(ERROR_WRITE_PROTECT);
    }
    disk.backing->Write(0, mbr, sizeof mbr);
    S().deviceWrites.push_back({number, 0, sizeof mbr, "IOCTL_DISK_SET_DRIVE_LAYOUT"});
    RescanPartitions(number);
    if (setup.autoMount)
        for (char c = 'C'; c <= 'Z'; c++)
            if (!S().letters.count(c) && !S().foreign.count(c) && !S().dosDevices.count(c)) {
                MountVolume(number, 1, c);
                break;
            }
    return TRUE;
}

} // namespace

} // namespace winsim

using namespace winsim;

extern "C" {

HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                          HANDLE templateFile)
{
    (void)security;
    (void)templateFile;
    if (path)
        M().openedPaths.push_back(path);
    DWORD error = 0;
    if (Enter("CreateFileA", {nullptr, path}, &error)) {
        M().lastError = error;
        return INVALID_HANDLE_VALUE;
    }
    if (!path) {
        M().lastError = ERROR_INVALID_PARAMETER;
        return INVALID_HANDLE_VALUE;
    }
    if (IsVolumeFilePath(path))
        return OpenVolumeFile(path, access, shareMode, disposition);
    auto device = std::make_shared<DeviceHandle>();
    if (!ParseDevicePath(path, *device)) {
        bool device = StartsWithIgnoreCase(path, kDevicePrefix) || StartsWithIgnoreCase(path, kWin32Prefix);
        M().lastError = device ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    if (device->foreign == "network") {
        M().lastError = ERROR_NOT_SUPPORTED;
        return INVALID_HANDLE_VALUE;
    }
    if (disposition != OPEN_EXISTING && disposition != OPEN_ALWAYS) {
        M().lastError = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    device->access = access;
    device->share = shareMode;
    device->flags = flags;
    for (DeviceHandle* other : HandlesOn(*device)) {
        if (other->holdsLock) {
            M().lastError = ERROR_ACCESS_DENIED;
            return INVALID_HANDLE_VALUE;
        }
        if (SharingConflict(other->access, other->share, device->access, device->share)) {
            M().lastError = ERROR_SHARING_VIOLATION;
            return INVALID_HANDLE_VALUE;
        }
    }
    if (device->volume)
        device->volume->dismounted = false; // the next open mounts it again
    return OpenHandle(device);
}

DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method)
{
    DWORD error = 0;
    if (Enter("SetFilePointer", {}, &error)) {
        M().lastError = error;
        return INVALID_SET_FILE_POINTER;
    }
    DeviceHandle* device = DeviceFor(file);
    FileHandle* onVolume = FileFor(file);
    if (!device && !onVolume) {
        M().lastError = ERROR_INVALID_HANDLE;
        return INVALID_SET_FILE_POINTER;
    }
    std::uint64_t& position = device ? device->position : onVolume->position;
    std::uint64_t length = device ? device->Length() : onVolume->bytes.size();
    std::int64_t move = distanceHigh
                            ? (std::int64_t)(((std::uint64_t)(std::uint32_t)*distanceHigh << 32) |
                                             (std::uint32_t)distance)
                            : (std::int64_t)distance;
    std::int64_t base = method == FILE_BEGIN     ? 0
                        : method == FILE_CURRENT ? (std::int64_t)position
                        : method == FILE_END     ? (std::int64_t)length
                                                 : -1;
    if (base < 0) {
        M().lastError = ERROR_INVALID_PARAMETER;
        return INVALID_SET_FILE_POINTER;
    }
    std::int64_t target = base + move;
    if (target < 0) {
        M().lastError = ERROR_NEGATIVE_SEEK;
        return INVALID_SET_FILE_POINTER;
    }
    position = (std::uint64_t)target;
    if (distanceHigh)
        *distanceHigh = (LONG)(position >> 32);
    M().lastError = NO_ERROR;
    return (DWORD)position;
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                     LPOVERLAPPED overlapped)
{
    (void)overlapped;
    DWORD error = 0;
    bool shortTransfer = false;
    bool faulted = Enter("ReadFile", {}, &error, &shortTransfer);
    if (faulted && !shortTransfer) {
        if (read)
            *read = 0;
        return Fail(error);
    }
    if (FileHandle* onVolume = FileFor(file))
        return FileRead(*onVolume, buffer, toRead, read, shortTransfer);
    DeviceHandle* device = DeviceFor(file);
    if (!device)
        return Fail(ERROR_INVALID_HANDLE);
    if (!TransferAllowed(*device, buffer, toRead, read, GENERIC_READ))
        return FALSE;
    DWORD n = Reachable(*device, toRead, shortTransfer);
    device->disk->backing->Read(device->Base() + device->position, buffer, n);
    device->position += n;
    *read = n;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                      LPOVERLAPPED overlapped)
{
    (void)overlapped;
    DWORD error = 0;
    bool shortTransfer = false;
    bool faulted = Enter("WriteFile", {}, &error, &shortTransfer);
    if (faulted && !shortTransfer) {
        if (written)
            *written = 0;
        return Fail(error);
    }
    if (FileHandle* onVolume = FileFor(file))
        return FileWrite(*onVolume, buffer, toWrite, written, shortTransfer);
    DeviceHandle* device = DeviceFor(file);
    if (!device)
        return Fail(ERROR_INVALID_HANDLE);
    if (!TransferAllowed(*device, buffer, toWrite, written, GENERIC_WRITE))
        return FALSE;
    DiskDevice& disk = *device->disk;
    if (disk.setup.isProtected) {
        ProtectedWrite attempt{DriveNumber(&disk), device->Base() + device->position, toWrite};
        S().protectedWrites.push_back(attempt);
        if (M().observer)
            M().observer->ProtectedWriteAttempted(attempt);
        return Fail(ERROR_WRITE_PROTECT);
    }
    DWORD n = Reachable(*device, toWrite, shortTransfer);
    disk.backing->Write(device->Base() + device->position, buffer, n);
    S().deviceWrites.push_back({DriveNumber(&disk), device->Base() + device->position, n, "WriteFile"});
    device->position += n;
    *written = n;
    return TRUE;
}

BOOL WINAPI DeviceIoControl(HANDLE handle, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                            DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped)
{
    (void)in;
    (void)inSize;
    (void)overlapped;
    DWORD error = 0;
    if (Enter("DeviceIoControl", {ControlName(code), nullptr}, &error))
        return Fail(error);
    DeviceHandle* device = DeviceFor(handle);
    if (!device)
        return Fail(ERROR_INVALID_HANDLE);
    if (returned)
        *returned = 0;
    switch (code) {
    case IOCTL_DISK_GET_DRIVE_GEOMETRY:
        return AnswerGeometry(*device, out, outSize, returned);
    case IOCTL_DISK_GET_PARTITION_INFO:
        return AnswerPartitionInfo(*device, out, outSize, returned);
    case IOCTL_STORAGE_GET_DEVICE_NUMBER:
        return AnswerDeviceNumber(*device, out, outSize, returned);
    case IOCTL_DISK_GET_DRIVE_LAYOUT:
        return AnswerDriveLayout(*device, out, outSize, returned);
    case IOCTL_DISK_SET_DRIVE_LAYOUT:
        return SetDriveLayout(*device, in, inSize);
    case FSCTL_LOCK_VOLUME:
        // Only the one handle may be open on a device that gets locked, and
        // no file on the volume.
        for (DeviceHandle* other : HandlesOn(*device))
            if (other != device)
                return Fail(ERROR_ACCESS_DENIED);
        if (device->volume && FilesOpenOn(device->volume))
            return Fail(ERROR_ACCESS_DENIED);
        device->holdsLock = true;
        return TRUE;
    case FSCTL_UNLOCK_VOLUME:
        if (!device->holdsLock)
            return Fail(ERROR_NOT_LOCKED);
        device->holdsLock = false;
        return TRUE;
    case FSCTL_DISMOUNT_VOLUME:
        if (!device->volume)
            return Fail(ERROR_INVALID_FUNCTION);
        device->volume->dismounted = true;
        return TRUE;
    default:
        return Fail(ERROR_INVALID_FUNCTION);
    }
}

} // extern "C"
