// A fresh machine with simulated drives for the raw disk tests.
#ifndef TARNWICK_TESTS_DISK_FIXTURE_H
#define TARNWICK_TESTS_DISK_FIXTURE_H

#include "program_run.h"

#include "disk/sector_io.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace tests {

// A memory-backed removable drive of the given size.
inline int AddStick(std::uint64_t size, bool isProtected = false)
{
    static int made = 0; // no two disks share an instance path
    winsim::DiskSetup setup;
    setup.instanceId = "USBSTOR\\Disk&Ven_Test&Prod_Stick\\" + std::to_string(++made);
    setup.size = size;
    setup.isProtected = isProtected;
    return winsim::AddDisk(setup);
}

// Writes a partition table at sector lba (the MBR at 0) with the entries
// (slot, start, sectors, type, active), and has the partitions found anew.
inline void WriteTable(int disk, std::vector<std::array<std::uint32_t, 5>> entries, std::uint64_t lba = 0)
{
    std::vector<unsigned char> mbr(512, 0);
    for (const auto& e : entries) {
        unsigned char* p = &mbr[446 + 16 * e[0]];
        p[0] = e[4] ? 0x80 : 0;
        p[4] = (unsigned char)e[3];
        std::memcpy(p + 8, &e[1], 4); // little-endian, as on the disk
        std::memcpy(p + 12, &e[2], 4);
    }
    mbr[510] = 0x55;
    mbr[511] = 0xAA;
    winsim::WriteDisk(disk, lba * 512, mbr);
    winsim::RescanPartitions(disk);
}

// A one-partition table (type 06h), the partition mounted at letter.
inline void AddLetteredPartition(int disk, std::uint32_t start, std::uint32_t sectors, char letter)
{
    WriteTable(disk, {{0, start, sectors, 6, 0}});
    ASSERT_TRUE(winsim::MountVolume(disk, 1, letter));
}

inline SectorBuffer Filled(unsigned char value)
{
    SectorBuffer s;
    std::fill(std::begin(s.bytes), std::end(s.bytes), value);
    return s;
}

} // namespace tests

#endif
