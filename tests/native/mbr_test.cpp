// The master boot record: CHS packing, byte-exact round trips and the
// built-in boot code.
#include "disk_fixture.h"

#include "disk/mbr.h"

#include <cstring>
#include <random>

namespace {

class Mbr : public testing::Test {
protected:
    void SetUp() override
    {
        tests::FreshMachine();
        drive = tests::AddStick(16 << 20);
    }
    void TearDown() override { EXPECT_EQ(winsim::OpenHandleCount(), 0); }

    std::vector<unsigned char> Sector0() { return winsim::ReadDisk(drive, 0, 512); }
    int drive = 0;
};

} // namespace

TEST_F(Mbr, PacksAndUnpacksCylinderBits)
{
    std::vector<unsigned char> sector(512, 0);
    unsigned char* e = &sector[446];
    e[2] = 0xFF; e[3] = 0xFF;  // sector 63, cylinder 1023
    e[6] = 0x41; e[7] = 0x02;  // sector 1, cylinder 258
    winsim::WriteDisk(drive, 0, sector);
    MbrImage image;
    ASSERT_EQ(ReadMbr(drive, &image), 1);
    EXPECT_EQ(image.slots[0].startSector, 63);
    EXPECT_EQ(image.slots[0].startCylinder, 1023);
    EXPECT_EQ(image.slots[0].endSector, 1);
    EXPECT_EQ(image.slots[0].endCylinder, 258);
    // Bits above the tenth are dropped, not clamped.
    image.slots[1].endCylinder = 1044;
    image.slots[1].endSector = 63;
    ASSERT_EQ(WriteMbr(drive, &image), 1);
    std::vector<unsigned char> written = Sector0();
    EXPECT_EQ(written[446 + 2], 0xFF);
    EXPECT_EQ(written[446 + 3], 0xFF);
    EXPECT_EQ(written[462 + 6], 63);
    EXPECT_EQ(written[462 + 7], 20);
}

TEST_F(Mbr, AnySectorReadAndWrittenBackIsReproducedByteForByte)
{
    std::mt19937 random(2026);
    for (int round = 0; round < 50; round++) {
        std::vector<unsigned char> sector(512);
        for (auto& b : sector)
            b = (unsigned char)random();
        winsim::WriteDisk(drive, 0, sector);
        MbrImage image;
        ASSERT_EQ(ReadMbr(drive, &image), 1);
        EXPECT_EQ(image.signature, (WORD)(sector[510] | sector[511] << 8));
        winsim::WriteDisk(drive, 0, std::vector<unsigned char>(512, 0));
        ASSERT_EQ(WriteMbr(drive, &image), 1);
        ASSERT_EQ(Sector0(), sector) << "round " << round;
    }
}

TEST_F(Mbr, FailuresOpenNothingOrLeaveTheRecordUntouched)
{
    MbrImage image;
    std::memset(&image, 0x42, sizeof image);
    EXPECT_EQ(ReadMbr(-1, &image), 0);
    EXPECT_EQ(ReadMbr(drive, nullptr), 0);
    EXPECT_EQ(WriteMbr(-1, &image), 0);
    EXPECT_EQ(WriteMbr(drive, nullptr), 0);
    EXPECT_EQ(winsim::CallCount("CreateFileA"), 0);
    winsim::AddFault({"ReadFile", "", "", 1, 31, true});
    EXPECT_EQ(ReadMbr(drive, &image), 0);
    EXPECT_EQ(ReadMbr(drive + 1, &image), 0);
    MbrImage untouched;
    std::memset(&untouched, 0x42, sizeof untouched);
    EXPECT_EQ(std::memcmp(&image, &untouched, sizeof image), 0);
    winsim::AddFault({"WriteFile", "", "", 1, 31, true});
    EXPECT_EQ(WriteMbr(drive, &image), 0);
}

TEST_F(Mbr, BuiltInBootCodeCarriesTheDiskSignatureAndItsTexts)
{
    const BYTE* code = GetMbrBootCode();
    EXPECT_EQ(code[MBR_DISK_SIGNATURE_OFFSET], 0x4C);
    EXPECT_EQ(code[MBR_DISK_SIGNATURE_OFFSET + 1], 0x93);
    EXPECT_EQ(code[MBR_DISK_SIGNATURE_OFFSET + 2], 0x17);
    EXPECT_EQ(code[MBR_DISK_SIGNATURE_OFFSET + 3], 0x02);
    EXPECT_EQ(code[444], 0);
    EXPECT_EQ(code[445], 0);
    std::string image((const char*)code, MBR_BOOT_CODE_SIZE);
    for (const char* text :
         {"Invalid partition table", "Error loading operating system", "Missing operating system"})
        EXPECT_NE(image.find(std::string(text) + '\0'), std::string::npos) << text;
    // Written into a disk, it replaces whatever signature the disk had.
    winsim::WriteDisk(drive, 440, {1, 2, 3, 4});
    MbrImage mbr;
    ASSERT_EQ(ReadMbr(drive, &mbr), 1);
    std::memcpy(mbr.bootCode, code, MBR_BOOT_CODE_SIZE);
    ASSERT_EQ(WriteMbr(drive, &mbr), 1);
    EXPECT_EQ(Sector0()[440], 0x4C);
    EXPECT_EQ(Sector0()[443], 0x02);
}
