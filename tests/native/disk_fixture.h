// A fresh machine with simulated drives for the raw disk tests.
#ifndef TARNWICK_TESTS_DISK_FIXTURE_H
#define TARNWICK_TESTS_DISK_FIXTURE_H

#include "program_run.h"

#include "disk/sector_io.h"

#include <gtest/gtest.h>

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

// Writes a one-partition table (type 06h) and mounts the partition at letter.
inline void AddLetteredPartition(int disk, std::uint32_t start, std::uint32_t sectors, char letter)
{
    std::vector<unsigned char> mbr(512, 0);
    mbr[446 + 4] = 0x06;
    for (int i = 0; i < 4; i++) {
        mbr[446 + 8 + i] = (unsigned char)(start >> (8 * i));
        mbr[446 + 12 + i] = (unsigned char)(sectors >> (8 * i));
    }
    mbr[510] = 0x55;
    mbr[511] = 0xAA;
    winsim::WriteDisk(disk, 0, mbr);
    winsim::RescanPartitions(disk);
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
