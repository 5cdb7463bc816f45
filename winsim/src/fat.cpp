#include "fat.h"

#include "host_tools.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace winsim {

namespace {

const std::uint64_t kMiB = 1024 * 1024;

// Boot sector fields.
const int kBytesPerSector = 11;
const int kSectorsPerCluster = 13;
const int kReservedSectors = 14;
const int kFatCount = 16;
const int kRootEntries = 17;
const int kTotalSectors16 = 19;
const int kSectorsPerFat16 = 22;
const int kTotalSectors32 = 32;
const int kSerial16 = 39;
const int kSectorsPerFat32 = 36;
const int kRootCluster32 = 44;
const int kSerial32 = 67;
const int kDirEntrySize = 32;
const unsigned char kAttrVolumeId = 0x08;
const unsigned char kAttrLongName = 0x0F;
const unsigned char kDeletedEntry = 0xE5;

unsigned Le16(const unsigned char* p) { return (unsigned)(p[0] | p[1] << 8); }
std::uint32_t Le32(const unsigned char* p)
{
    return (std::uint32_t)p[0] | (std::uint32_t)p[1] << 8 | (std::uint32_t)p[2] << 16 |
           (std::uint32_t)p[3] << 24;
}

std::string Hex(DWORD v)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", (unsigned)v);
    return text;
}

} // namespace

bool WindowsFatLayout(std::uint64_t bytes, FatLayout& layout)
{
    static const struct {
        std::uint64_t upTo;
        int sectorsPerCluster;
    } kFat16[] = {{32 * kMiB, 1},   {64 * kMiB, 2},    {128 * kMiB, 4},   {256 * kMiB, 8},
                  {512 * kMiB, 16}, {1024 * kMiB, 32}, {2048 * kMiB, 64}, {4096 * kMiB, 128}};
    if (bytes < 16 * kMiB) {
        layout.fatBits = 12;
        layout.sectorsPerCluster = 0;
        return true;
    }
    // By size, and never more clusters than FAT16 can count: a volume just
    // below a boundary takes the next cluster size.
    const std::uint64_t kMaxFat16Clusters = 65524;
    for (const auto& row : kFat16) {
        if (bytes <= row.upTo && bytes / (512ull * row.sectorsPerCluster) <= kMaxFat16Clusters) {
            layout.fatBits = 16;
            layout.sectorsPerCluster = row.sectorsPerCluster;
            return true;
        }
    }
    return false;
}

void PlaceOnDisk(FatLayout& layout, const DiskDevice& disk, const Volume& volume)
{
    layout.hiddenSectors = (std::uint32_t)(volume.offset / 512);
    layout.heads = disk.setup.heads;
    layout.sectorsPerTrack = disk.setup.sectorsPerTrack;
    layout.driveNumber = disk.setup.removable ? 0x00 : 0x80;
}

bool FormatFat(Backing& backing, std::uint64_t offset, std::uint64_t length,
               const FatLayout& layout, std::string& error)
{
    char name[] = "/tmp/winsim-fat-XXXXXX";
    int fd = ::mkstemp(name);
    if (fd < 0 || ::ftruncate(fd, (off_t)length) != 0) {
        error = "cannot make a scratch file for the volume";
        if (fd >= 0)
            ::close(fd);
        ::unlink(name);
        return false;
    }
    std::string label;
    for (char c : layout.label)
        label.push_back((char)std::toupper((unsigned char)c));
    // mkfs.fat refuses a geometry of 0: such a drive gets the usual translation.
    bool noGeometry = layout.heads <= 0 || layout.sectorsPerTrack <= 0;
    int heads = noGeometry ? 255 : layout.heads;
    int sectors = noGeometry ? 63 : layout.sectorsPerTrack;
    std::vector<std::string> args = {"mkfs.fat", "-F", std::to_string(layout.fatBits), "-S", "512",
                                     "-a", "-f", "2", "-M", "0xF8",
                                     "-D", std::to_string(layout.driveNumber),
                                     "-h", std::to_string(layout.hiddenSectors),
                                     "-g", std::to_string(heads) + "/" + std::to_string(sectors),
                                     "-i", Hex(layout.serial)};
    if (layout.fatBits != 32)
        args.insert(args.end(), {"-R", "1", "-r", "512"});
    if (layout.sectorsPerCluster)
        args.insert(args.end(), {"-s", std::to_string(layout.sectorsPerCluster)});
    if (!label.empty())
        args.insert(args.end(), {"-n", label});
    if (layout.sameEveryRun)
        args.push_back("--invariant");
    args.push_back(name);
    std::string output;
    bool ok = RunHostTool(args, output);
    if (!ok) {
        error = "mkfs.fat failed: " + output;
    } else {
        // Copy the boot area, the FATs and the root directory (the first data
        // cluster too, which holds FAT32's root).
        unsigned char boot[512];
        ok = ::pread(fd, boot, sizeof boot, 0) == (ssize_t)sizeof boot;
        std::uint64_t fatSectors = Le16(boot + kSectorsPerFat16) ? Le16(boot + kSectorsPerFat16)
                                                                 : Le32(boot + kSectorsPerFat32);
        std::uint64_t meta = (Le16(boot + kReservedSectors) + boot[kFatCount] * fatSectors) * 512 +
                             (std::uint64_t)Le16(boot + kRootEntries) * kDirEntrySize +
                             (std::uint64_t)boot[kSectorsPerCluster] * 512;
        meta = std::min(meta, length);
        std::vector<unsigned char> chunk(1 << 20);
        for (std::uint64_t at = 0; ok && at < meta; at += chunk.size()) {
            std::size_t n = (std::size_t)std::min<std::uint64_t>(chunk.size(), meta - at);
            ok = ::pread(fd, chunk.data(), n, (off_t)at) == (ssize_t)n;
            if (ok)
                backing.Write(offset + at, chunk.data(), n);
        }
        if (!ok)
            error = "cannot read the formatted volume back";
    }
    ::close(fd);
    ::unlink(name);
    return ok;
}

bool ReadFatFacts(Backing& backing, std::uint64_t offset, std::uint64_t length, FatFacts& out)
{
    unsigned char boot[512];
    if (length < sizeof boot)
        return false;
    backing.Read(offset, boot, sizeof boot);
    unsigned bps = Le16(boot + kBytesPerSector);
    unsigned spc = boot[kSectorsPerCluster];
    bool jump = boot[0] == 0xEB || boot[0] == 0xE9;
    if (!jump || bps != 512 || spc == 0 || (spc & (spc - 1)) || boot[510] != 0x55 ||
        boot[511] != 0xAA || boot[kFatCount] == 0)
        return false;
    bool fat32 = Le16(boot + kSectorsPerFat16) == 0;
    std::uint64_t fatSectors = fat32 ? Le32(boot + kSectorsPerFat32) : Le16(boot + kSectorsPerFat16);
    std::uint64_t rootStart = (Le16(boot + kReservedSectors) + boot[kFatCount] * fatSectors) * bps;
    std::uint64_t rootBytes = (std::uint64_t)Le16(boot + kRootEntries) * kDirEntrySize;
    if (fat32) {
        std::uint64_t firstCluster = Le32(boot + kRootCluster32);
        rootStart += (firstCluster - 2) * spc * bps; // the label lives in the first cluster
        rootBytes = (std::uint64_t)spc * bps;
    }
    std::uint64_t total = Le16(boot + kTotalSectors16) ? Le16(boot + kTotalSectors16)
                                                       : Le32(boot + kTotalSectors32);
    if (rootStart + rootBytes > length || total == 0)
        return false;
    out.fileSystem = fat32 ? "FAT32" : "FAT";
    out.serial = Le32(boot + (fat32 ? kSerial32 : kSerial16));
    out.label.clear();
    std::vector<unsigned char> root((std::size_t)rootBytes);
    backing.Read(offset + rootStart, root.data(), root.size());
    for (std::size_t at = 0; at + kDirEntrySize <= root.size(); at += kDirEntrySize) {
        const unsigned char* e = root.data() + at;
        if (e[0] == 0)
            break;
        if (e[0] == kDeletedEntry || e[11] == kAttrLongName || !(e[11] & kAttrVolumeId))
            continue;
        std::string label((const char*)e, 11);
        label.erase(label.find_last_not_of(' ') + 1);
        out.label = label;
        break;
    }
    return true;
}

} // namespace winsim
