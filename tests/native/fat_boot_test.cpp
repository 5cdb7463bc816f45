// Installing the FAT boot code keeps the parameter blocks and nothing else.
#include "disk_fixture.h"

#include "bootdisk/fat_boot.h"

extern const unsigned char g_fatBootCode[FAT_BOOT_CODE_SIZE];

TEST(FatBootCode, ReplacesTheCodeAreaOnlyAndReportsAShortTransfer)
{
    tests::FreshMachine();
    int disk = tests::AddStick(64ull << 20);
    tests::AddLetteredPartition(disk, 63, 131009, 'E');
    std::string error;
    ASSERT_TRUE(winsim::FormatPartition(disk, 1, "fat", "BOOT", error)) << error;
    winsim::WriteDisk(disk, 63 * 512 + 36, {0x80});
    std::vector<unsigned char> want = winsim::ReadDisk(disk, 63 * 512, 512);
    std::copy(g_fatBootCode, g_fatBootCode + FAT_BOOT_CODE_SIZE, want.begin() + 62);
    for (int run = 0; run < 2; run++) {
        ASSERT_EQ(WriteFatBootCode('e'), 1);
        EXPECT_TRUE(winsim::ReadDisk(disk, 63 * 512, 512) == want);
    }
    // No volume at the letter, or a short read: nothing is written.
    int writes = winsim::CallCount("WriteFile");
    EXPECT_EQ(WriteFatBootCode('Q'), 0);
    winsim::AddFault({"ReadFile", "", "", 1, 31, true});
    EXPECT_EQ(WriteFatBootCode('E'), 0);
    winsim::AddFault({"WriteFile", "", "", 1, 31, true});
    EXPECT_EQ(WriteFatBootCode('E'), 0);
    EXPECT_EQ(winsim::CallCount("WriteFile"), writes + 1);
    EXPECT_EQ(winsim::OpenHandleCount(), 0);
}
