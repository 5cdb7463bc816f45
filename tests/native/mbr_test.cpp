// The master boot record read from and written to sector 0. The built-in
// boot code is checked when it is built, booted in QEMU and compared whole
// in the end-to-end run.
#include "disk_fixture.h"

#include "disk/mbr.h"

#include <cstring>

TEST(Mbr, EverySectorBytesComeBackAndCylinderBitsTravelInTheSectorByte)
{
    tests::FreshMachine();
    int drive = tests::AddStick(16 << 20);
    std::vector<unsigned char> sector(512);
    for (int i = 0; i < 512; i++)
        sector[i] = (unsigned char)(i * 37 + 11); // nothing is validated
    // First entry: start sector 63, cylinder 1023; end sector 1, cylinder 258.
    const unsigned char chs[] = {0xFF, 0xFF, 0, 0, 0x41, 0x02};
    std::copy(chs, chs + 6, &sector[446 + 2]);
    winsim::WriteDisk(drive, 0, sector);
    MbrImage image;
    ASSERT_EQ(ReadMbr(drive, &image), 1);
    EXPECT_EQ(image.slots[0].startSector, 63);
    EXPECT_EQ(image.slots[0].startCylinder, 1023);
    EXPECT_EQ(image.slots[0].endSector, 1);
    EXPECT_EQ(image.slots[0].endCylinder, 258);
    EXPECT_EQ(image.signature, sector[510] | sector[511] << 8);
    winsim::WriteDisk(drive, 0, std::vector<unsigned char>(512, 0));
    ASSERT_EQ(WriteMbr(drive, &image), 1);
    EXPECT_EQ(winsim::ReadDisk(drive, 0, 512), sector);
    image.slots[3].endCylinder = 1044; // bits above the tenth are dropped, not clamped
    image.slots[3].endSector = 63;
    ASSERT_EQ(WriteMbr(drive, &image), 1);
    EXPECT_EQ(winsim::ReadDisk(drive, 494 + 6, 2), (std::vector<unsigned char>{63, 20}));
    EXPECT_EQ(winsim::OpenHandleCount(), 0);
}

TEST(Mbr, FailuresOpenNothingOrLeaveTheRecordUntouched)
{
    tests::FreshMachine();
    int drive = tests::AddStick(16 << 20);
    MbrImage image, untouched;
    std::memset(&image, 0x42, sizeof image);
    std::memcpy(&untouched, &image, sizeof image);
    EXPECT_EQ(ReadMbr(-1, &image) + ReadMbr(drive, nullptr), 0);
    EXPECT_EQ(WriteMbr(-1, &image) + WriteMbr(drive, nullptr), 0);
    EXPECT_EQ(winsim::CallCount("CreateFileA"), 0);
    winsim::AddFault({"ReadFile", "", "", 1, 31, true});
    EXPECT_EQ(ReadMbr(drive, &image) + ReadMbr(drive + 1, &image), 0); // short; no such drive
    EXPECT_EQ(std::memcmp(&image, &untouched, sizeof image), 0);
    winsim::AddFault({"WriteFile", "", "", 1, 31, true});
    EXPECT_EQ(WriteMbr(drive, &image), 0);
    EXPECT_EQ(winsim::OpenHandleCount(), 0);
}
