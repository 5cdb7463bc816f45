// Simulated storage: drives with their bytes, volumes on their partitions,
// drive letters, and the device handles opened on them.
#ifndef WINSIM_STORAGE_H
#define WINSIM_STORAGE_H

#include "machine.h"

#include <memory>
#include <unordered_map>

namespace winsim {

// Where a drive's bytes live: a sparse host file or sparse memory.
class Backing {
public:
    virtual ~Backing() = default;
    virtual void Read(std::uint64_t offset, void* buffer, std::size_t length) = 0;
    virtual void Write(std::uint64_t offset, const void* buffer, std::size_t length) = 0;
};

struct Volume {
    int disk = 0;
    int partitionNumber = 0;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    char letter = 0;
    bool dismounted = false;
};

struct DiskDevice {
    DiskSetup setup;
    std::unique_ptr<Backing> backing;
    std::vector<std::shared_ptr<Volume>> volumes;
    bool present = true;
};

struct Storage {
    std::vector<DiskDevice> disks;
    std::map<char, std::shared_ptr<Volume>> letters; // 'A'..'Z'
    std::vector<ProtectedWrite> protectedWrites;
};

// A handle on a drive or on a volume.
struct DeviceHandle : KernelObject {
    int disk = 0;
    std::shared_ptr<Volume> volume; // null for the whole drive
    DWORD access = 0;
    DWORD share = 0;
    DWORD flags = 0;
    std::uint64_t position = 0;
    bool holdsLock = false;

    bool SameDevice(const DeviceHandle& other) const
    {
        return disk == other.disk && volume == other.volume;
    }
    // The bytes the handle can reach, in whole sectors.
    std::uint64_t Length() const;
    std::uint64_t Base() const { return volume ? volume->offset : 0; }
};

Storage& S();
DeviceHandle* DeviceFor(HANDLE handle);
std::vector<DeviceHandle*> HandlesOn(const DeviceHandle& device);

} // namespace winsim

#endif
