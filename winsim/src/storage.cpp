// Drives, volumes and letters, and the raw access tests and the harness use.
#include "storage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace winsim {

namespace {

// A sparse host file: the scenario's image, or a scratch file that goes
// with the disk (so tools such as mtools can work on every disk alike).
class FileBacking : public Backing {
public:
    FileBacking(const std::string& path, std::uint64_t size) : path_(path)
    {
        if (path_.empty()) {
            char scratch[] = "/tmp/winsim-disk-XXXXXX";
            fd_ = ::mkstemp(scratch);
            path_ = scratch;
            scratch_ = true;
        } else {
            fd_ = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
        }
        if (fd_ < 0 || ::ftruncate(fd_, (off_t)size) != 0)
            HarnessError("cannot create or resize the disk image " + path_);
    }
    ~FileBacking() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (scratch_)
            ::unlink(path_.c_str());
    }
    const std::string& Path() const override { return path_; }
    void Read(std::uint64_t offset, void* buffer, std::size_t length) override
    {
        auto* out = (unsigned char*)buffer;
        while (length > 0) {
            ssize_t n = ::pread(fd_, out, length, (off_t)offset);
            if (n <= 0) { // past the end of the file reads as zero
                std::memset(out, 0, length);
                return;
            }
            out += n;
            offset += (std::uint64_t)n;
            length -= (std::size_t)n;
        }
    }
    void Write(std::uint64_t offset, const void* buffer, std::size_t length) override
    {
        auto* in = (const unsigned char*)buffer;
        while (length > 0) {
            ssize_t n = ::pwrite(fd_, in, length, (off_t)offset);
            if (n <= 0)
                HarnessError("cannot write the disk image");
            in += n;
            offset += (std::uint64_t)n;
            length -= (std::size_t)n;
        }
    }

private:
    std::string path_;
    bool scratch_ = false;
    int fd_ = -1;
};

DiskDevice& RequireDisk(int disk)
{
    auto device = disk < 0 ? nullptr : DiskNumbered((std::uint64_t)disk);
    if (!device)
        HarnessError("there is no disk " + std::to_string(disk));
    return *device;
}

// Takes every letter of the volume away.
void Unmount(const std::shared_ptr<Volume>& volume)
{
    for (auto it = S().letters.begin(); it != S().letters.end();)
        it = it->second == volume ? S().letters.erase(it) : ++it;
    volume->letter = 0;
    SyncRegistry();
}

} // namespace

Storage& S()
{
    return *M().storage;
}

std::uint64_t DeviceHandle::Length() const
{
    if (!disk)
        return 0;
    std::uint64_t bps = (std::uint64_t)disk->setup.bytesPerSector;
    std::uint64_t bytes = volume ? volume->length : disk->setup.size;
    return bytes / bps * bps;
}

int DriveNumber(const DiskDevice* disk)
{
    return disk && disk->present ? disk->number : -1;
}

std::shared_ptr<DiskDevice> DiskNumbered(std::uint64_t number)
{
    for (auto& disk : S().disks)
        if ((std::uint64_t)disk->number == number)
            return disk;
    return nullptr;
}

DeviceHandle* DeviceFor(HANDLE handle)
{
    return dynamic_cast<DeviceHandle*>(LookupHandle(handle));
}

bool SharingConflict(DWORD heldAccess, DWORD heldShare, DWORD access, DWORD share)
{
    auto denies = [](DWORD a, DWORD s) {
        return ((a & GENERIC_READ) && !(s & FILE_SHARE_READ)) ||
               ((a & GENERIC_WRITE) && !(s & FILE_SHARE_WRITE));
    };
    return denies(access, heldShare) || denies(heldAccess, share);
}

std::vector<DeviceHandle*> HandlesOn(const DeviceHandle& device)
{
    std::vector<DeviceHandle*> found;
    for (auto& entry : M().handles) {
        auto* other = dynamic_cast<DeviceHandle*>(entry.second.get());
        if (other && other->SameDevice(device))
            found.push_back(other);
    }
    return found;
}

void ChsBytes(std::uint32_t lba, int heads, int sectorsPerTrack, unsigned char out[3])
{
    // A geometry of no heads or no sectors names no place: the "beyond CHS" form.
    if (heads <= 0 || sectorsPerTrack <= 0) {
        out[0] = 0xFE;
        out[1] = 0xFF;
        out[2] = 0xFF;
        return;
    }
    std::uint32_t perCylinder = (std::uint32_t)heads * (std::uint32_t)sectorsPerTrack;
    std::uint32_t cylinder = lba / perCylinder;
    std::uint32_t head = lba / (std::uint32_t)sectorsPerTrack % (std::uint32_t)heads;
    std::uint32_t sector = lba % (std::uint32_t)sectorsPerTrack + 1;
    if (cylinder > 1023) {
        cylinder = 1023;
        head = (std::uint32_t)heads - 1;
        sector = (std::uint32_t)sectorsPerTrack;
    }
    out[0] = (unsigned char)head;
    out[1] = (unsigned char)((sector & 0x3F) | ((cylinder >> 2) & 0xC0));
    out[2] = (unsigned char)(cylinder & 0xFF);
}

int AddDisk(const DiskSetup& setup)
{
    for (auto& disk : S().disks)
        if (EqualsIgnoreCase(disk->setup.instanceId, setup.instanceId))
            HarnessError("two disks present cannot share the instance path " + setup.instanceId);
    auto device = std::make_shared<DiskDevice>();
    device->setup = setup;
    device->backing = std::make_unique<FileBacking>(setup.imagePath, setup.size);
    device->number = 0;
    while (DiskNumbered((std::uint64_t)device->number))
        device->number++;
    S().disks.push_back(device);
    SyncRegistry();
    return device->number;
}

void UnplugDisk(int disk)
{
    DiskDevice& device = RequireDisk(disk);
    for (auto& volume : device.volumes)
        Unmount(volume);
    device.present = false; // open handles keep the object but reach nothing
    auto& disks = S().disks;
    disks.erase(std::find_if(disks.begin(), disks.end(), [&](auto& d) { return d.get() == &device; }));
    SyncRegistry();
}

void SetForeignLetter(char letter, const std::string& kind)
{
    if (letter >= 'a' && letter <= 'z')
        letter = (char)(letter - 32);
    if (letter < 'A' || letter > 'Z' || S().letters.count(letter))
        HarnessError(std::string("drive letter ") + letter + " cannot be given out");
    S().foreign[letter] = {kind};
    SyncRegistry();
}

int DiskCount()
{
    return (int)S().disks.size();
}

const DiskSetup& Disk(int disk)
{
    return RequireDisk(disk).setup;
}

std::vector<unsigned char> ReadDisk(int disk, std::uint64_t offset, std::size_t length)
{
    std::vector<unsigned char> bytes(length);
    RequireDisk(disk).backing->Read(offset, bytes.data(), length);
    return bytes;
}

void WriteDisk(int disk, std::uint64_t offset, const std::vector<unsigned char>& bytes)
{
    RequireDisk(disk).backing->Write(offset, bytes.data(), bytes.size());
}

namespace {

std::uint32_t EntryField(const unsigned char* e, int at)
{
    return (std::uint32_t)e[at] | (std::uint32_t)e[at + 1] << 8 | (std::uint32_t)e[at + 2] << 16 |
           (std::uint32_t)e[at + 3] << 24;
}

bool IsExtended(unsigned char type)
{
    return type == 0x05 || type == 0x0F;
}

void AddVolume(DiskDevice& device, int number, const unsigned char* e, std::uint64_t base)
{
    std::uint64_t bps = (std::uint64_t)device.setup.bytesPerSector;
    auto volume = std::make_shared<Volume>();
    volume->disk = &device;
    volume->type = e[4];
    volume->bootable = e[0] == 0x80;
    volume->partitionNumber = number;
    volume->offset = (base + EntryField(e, 8)) * bps;
    volume->length = (std::uint64_t)EntryField(e, 12) * bps;
    char name[64];
    std::snprintf(name, sizeof name, "\\\\?\\Volume{5e1f0a%02x-3c4d-11d0-9f2b-%012x}\\",
                  (unsigned)(S().nextVolumeId & 0xFF), (unsigned)S().nextVolumeId);
    volume->id = S().nextVolumeId++;
    volume->name = name;
    device.volumes.push_back(volume);
}

// Logical drives of an extended partition: a chain of boot records, each
// with the drive and a link to the next, numbered from 5 on.
void AddLogicalVolumes(DiskDevice& device, std::uint32_t extendedStart)
{
    const int kMaxLogical = 64;
    std::uint64_t bps = (std::uint64_t)device.setup.bytesPerSector;
    std::uint64_t ebr = extendedStart;
    for (int number = 5; number < 5 + kMaxLogical; number++) {
        unsigned char sector[512];
        device.backing->Read(ebr * bps, sector, sizeof sector);
        if (sector[510] != 0x55 || sector[511] != 0xAA)
            return;
        const unsigned char* logical = sector + 446;
        const unsigned char* next = sector + 462;
        if (logical[4] != 0 && EntryField(logical, 12) != 0)
            AddVolume(device, number, logical, ebr);
        if (!IsExtended(next[4]) || EntryField(next, 8) == 0)
            return;
        ebr = (std::uint64_t)extendedStart + EntryField(next, 8);
    }
}

} // namespace

void RescanPartitions(int disk)
{
    DiskDevice& device = RequireDisk(disk);
    for (auto& volume : device.volumes)
        Unmount(volume);
    device.volumes.clear();
    std::vector<unsigned char> sector = ReadDisk(disk, 0, 512);
    if (sector[510] != 0x55 || sector[511] != 0xAA)
        return;
    for (int slot = 0; slot < 4; slot++) {
        const unsigned char* e = sector.data() + 446 + 16 * slot;
        if (e[4] == 0 || EntryField(e, 12) == 0)
            continue;
        if (IsExtended(e[4]))
            AddLogicalVolumes(device, EntryField(e, 8));
        else
            AddVolume(device, slot + 1, e, 0);
    }
}

bool MountVolume(int disk, int partitionNumber, char letter)
{
    if (letter >= 'a' && letter <= 'z')
        letter = (char)(letter - 32);
    if (letter < 'A' || letter > 'Z' || S().letters.count(letter) || S().foreign.count(letter))
        return false;
    for (auto& volume : RequireDisk(disk).volumes) {
        if (volume->partitionNumber != partitionNumber)
            continue;
        // A volume may have several letters; the first one is its own.
        if (!volume->letter)
            volume->letter = letter;
        S().letters[letter] = volume;
        SyncRegistry();
        return true;
    }
    return false;
}

char VolumeLetter(int disk, int partitionNumber)
{
    for (auto& volume : RequireDisk(disk).volumes)
        if (volume->partitionNumber == partitionNumber)
            return volume->letter;
    return 0;
}

const std::vector<ProtectedWrite>& ProtectedWrites()
{
    return S().protectedWrites;
}

const std::vector<DeviceWrite>& DeviceWrites()
{
    return S().deviceWrites;
}

} // namespace winsim
