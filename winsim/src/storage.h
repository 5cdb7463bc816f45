// Simulated storage: drives with their bytes, volumes on their partitions,
// drive letters, and the device handles opened on them.
#ifndef WINSIM_STORAGE_H
#define WINSIM_STORAGE_H

#include "machine.h"

#include <memory>
#include <unordered_map>

namespace winsim {

// Where a drive's bytes live: a sparse host file.
class Backing {
public:
    virtual ~Backing() = default;
    virtual const std::string& Path() const = 0;
    virtual void Read(std::uint64_t offset, void* buffer, std::size_t length) = 0;
    virtual void Write(std::uint64_t offset, const void* buffer, std::size_t length) = 0;
};

struct DiskDevice;

struct Volume {
    DiskDevice* disk = nullptr;
    int partitionNumber = 0;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    BYTE type = 0;
    bool bootable = false;
    char letter = 0;
    bool dismounted = false;
    int id = 0;       // n of \Device\HarddiskVolume<n>
    std::string name; // the mount manager's \\?\Volume{...}\ name
};

struct DiskDevice {
    DiskSetup setup;
    int number = -1; // the device number: the lowest free at arrival, kept until it leaves
    std::unique_ptr<Backing> backing;
    std::vector<std::shared_ptr<Volume>> volumes;
    bool present = true;
};

// A drive letter that belongs to no simulated disk.
struct ForeignLetter {
    std::string kind; // "floppy", "cdrom", "network"
};

struct RegKey;

struct Storage {
    // Present drives in the Disk service's order: the order of arrival,
    // closing up when one leaves. Each opens by its own device number.
    std::vector<std::shared_ptr<DiskDevice>> disks;
    std::map<char, std::shared_ptr<Volume>> letters; // 'A'..'Z'
    std::map<char, ForeignLetter> foreign;
    std::map<char, std::string> dosDevices; // temporary definitions: letter -> raw target
    int nextVolumeId = 1;
    std::vector<ProtectedWrite> protectedWrites;
    std::vector<DeviceWrite> deviceWrites;
    std::shared_ptr<RegKey> registry;
};

// A handle on a drive, on a volume, or on a foreign drive letter.
struct DeviceHandle : KernelObject {
    std::shared_ptr<DiskDevice> disk;
    std::shared_ptr<Volume> volume; // null for the whole drive
    std::string foreign;            // the kind, for a foreign letter
    DWORD access = 0;
    DWORD share = 0;
    DWORD flags = 0;
    std::uint64_t position = 0;
    bool holdsLock = false;

    bool SameDevice(const DeviceHandle& other) const
    {
        return disk == other.disk && volume == other.volume && foreign == other.foreign;
    }
    // The bytes the handle can reach, in whole sectors.
    std::uint64_t Length() const;
    std::uint64_t Base() const { return volume ? volume->offset : 0; }
};

Storage& S();
// Whether an open with access and share is refused because of a handle
// already open with heldAccess and heldShare (each side must share what
// the other one does).
bool SharingConflict(DWORD heldAccess, DWORD heldShare, DWORD access, DWORD share);
DeviceHandle* DeviceFor(HANDLE handle);
std::vector<DeviceHandle*> HandlesOn(const DeviceHandle& device);
// The device number of a present disk, or -1.
int DriveNumber(const DiskDevice* disk);
// The present disk with that device number, or null.
std::shared_ptr<DiskDevice> DiskNumbered(std::uint64_t number);
// Keeps the registry's view of the disks and letters in step with storage.
void SyncRegistry();

} // namespace winsim

#endif
