// A machine with a stick to make bootable: the fixture diskcopy.dll in the
// system directory, the stick's old FAT partition, and the user who picks it
// and presses Start.
#ifndef TARNWICK_TESTS_PIPELINE_FIXTURE_H
#define TARNWICK_TESTS_PIPELINE_FIXTURE_H

#include "disk_fixture.h"

#include "res/resource.h"

namespace tests {

struct StickSetup {
    std::uint64_t size = 64ull << 20;
    int heads = 255;
    int sectorsPerTrack = 63;
    bool autoMount = true;
};

// Adds a protected system disk at C: and the stick with an old FAT
// partition at E:, and serves the fixture diskcopy.dll.
inline int AddMachine(const StickSetup& stick)
{
    winsim::DiskSetup system;
    system.friendlyName = "System Disk";
    system.instanceId = "IDE\\DiskSystem\\1";
    system.removable = false;
    system.isProtected = true;
    system.size = 1ull << 30;
    int systemDisk = winsim::AddDisk(system);
    AddLetteredPartition(systemDisk, 63, 2000000, 'C');
    winsim::DiskSetup setup;
    setup.friendlyName = "Generic Flash Disk USB Device";
    setup.instanceId = "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk\\1";
    setup.size = stick.size;
    setup.heads = stick.heads;
    setup.sectorsPerTrack = stick.sectorsPerTrack;
    setup.autoMount = stick.autoMount;
    int disk = winsim::AddDisk(setup);
    std::uint32_t sectors = (std::uint32_t)(stick.size / 512) - 63;
    AddLetteredPartition(disk, 63, sectors, 'E');
    std::string error;
    EXPECT_TRUE(winsim::FormatPartition(disk, 1, "fat", "OLDSTICK", error)) << error;
    winsim::SetSystemLibrary("diskcopy.dll", DISKCOPY_DLL);
    return disk;
}

// Ticks the given boxes and presses Start; before is run right before the
// press (to set a fault that counts from there, say).
inline void PressStart(ProgramRun& run, std::vector<int> ticks = {},
                       std::function<void()> before = nullptr)
{
    run.Answer(IDYES);
    run.Then([ticks, before](HWND dialog) {
        for (int id : ticks)
            winsim::UserClick(winsim::DialogItem(dialog, id));
        if (before)
            before();
        winsim::UserClick(winsim::DialogItem(dialog, IDOK));
    });
}

} // namespace tests

#endif
