// Device handles and whole-sector transfers on simulated drives and volumes.
#include "disk_fixture.h"

#include <cstring>

namespace {

using tests::AddLetteredPartition;
using tests::AddStick;
using tests::Filled;

const std::uint64_t kStickSize = 64ull << 20;

class SectorIo : public testing::Test {
protected:
    void SetUp() override
    {
        tests::FreshMachine();
        drive = AddStick(kStickSize);
        AddLetteredPartition(drive, 63, 1000, 'E');
    }
    void TearDown() override { EXPECT_EQ(winsim::OpenHandleCount(), 0); }

    int Opens() const { return winsim::CallCount("CreateFileA"); }
    int drive = 0;
};

} // namespace

TEST_F(SectorIo, BadArgumentsOpenNothing)
{
    SectorBuffer buffer = Filled(0);
    struct Case {
        const char* root;
        int first, count;
        void* buffer;
    } cases[] = {
        {"E:\\", -1, 1, &buffer}, {"E:\\", 0, -1, &buffer},  {"E:\\", 0, 1, nullptr},
        {nullptr, 0, 1, &buffer}, {"", 0, 1, &buffer},        {"1:\\", 0, 1, &buffer},
        {"E:\\", 0, MAX_TRANSFER_SECTORS + 1, &buffer}, // its byte count would wrap
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.root ? c.root : "(null)") + " " + std::to_string(c.first) +
                     " " + std::to_string(c.count));
        EXPECT_EQ(ReadVolumeSectors(c.root, c.first, c.count, c.buffer), 0);
        EXPECT_EQ(WriteVolumeSectors(c.root, c.first, c.count, c.buffer), 0);
    }
    EXPECT_EQ(WritePhysicalSectors(-1, 0, 1, &buffer), 0);
    EXPECT_EQ(WritePhysicalSectors(drive, -1, 1, &buffer), 0);
    EXPECT_EQ(WritePhysicalSectors(drive, 0, -1, &buffer), 0);
    EXPECT_EQ(WritePhysicalSectors(drive, 0, 1, nullptr), 0);
    EXPECT_EQ(WritePhysicalSectors(drive, 0, MAX_TRANSFER_SECTORS + 1, &buffer), 0);
    SetLastError(1234);
    EXPECT_EQ(OpenVolumeByPath(nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenVolumeByPath("\\x"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), 1234u); // argument failures leave the last error alone
    EXPECT_EQ(Opens(), 0);
}

TEST_F(SectorIo, VolumeSectorsLandInsideThePartition)
{
    SectorBuffer out = Filled(0xA5), in = Filled(0);
    ASSERT_EQ(WriteVolumeSectors("E:\\", 2, 1, &out), 1);
    EXPECT_EQ(winsim::ReadDisk(drive, (63 + 2) * 512, 512),
              std::vector<unsigned char>(512, 0xA5));
    ASSERT_EQ(ReadVolumeSectors("e", 2, 1, &in), 1); // E, E: and e all name the volume
    EXPECT_EQ(std::memcmp(in.bytes, out.bytes, 512), 0);
    // A count of 0 opens the device, moves nothing and succeeds.
    EXPECT_EQ(ReadVolumeSectors("E:", 5, 0, &in), 1);
    EXPECT_EQ(Opens(), 3);
}

TEST_F(SectorIo, OpenersFormatTheirPathsAsGiven)
{
    for (HANDLE h : {OpenVolumeDevice('e', 1), OpenVolumeByPath("e:\\anything"),
                     OpenPhysicalDrive(drive, 0)}) {
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    EXPECT_EQ(OpenPhysicalDrive(-3, 1), INVALID_HANDLE_VALUE);
    EXPECT_EQ(winsim::OpenedPaths(),
              (std::vector<std::string>{"\\\\.\\e:", "\\\\.\\e:", "\\\\.\\PHYSICALDRIVE0",
                                        "\\\\.\\PHYSICALDRIVE-3"}));
}

TEST_F(SectorIo, ShortOrFailedTransfersGiveZeroAndCloseTheHandle)
{
    SectorBuffer buffer[2] = {Filled(1), Filled(1)};
    // The partition is 1000 sectors long: the second sector lies past its end.
    EXPECT_EQ(ReadVolumeSectors("E:\\", 999, 2, buffer), 0);
    EXPECT_EQ(ReadVolumeSectors("E:\\", 1000, 1, buffer), 0);
    EXPECT_EQ(ReadVolumeSectors("F:\\", 0, 1, buffer), 0); // no such volume
    winsim::AddFault({"WriteFile", "", "", 1, 31, true});
    EXPECT_EQ(WriteVolumeSectors("E:\\", 0, 2, buffer), 0); // one sector short
    winsim::AddFault({"ReadFile", "", "", 1, 23, false});
    EXPECT_EQ(ReadVolumeSectors("E:\\", 0, 1, buffer), 0);
    winsim::AddFault({"CreateFileA", "", "\\\\.\\PHYSICALDRIVE0", 1, 5, false});
    EXPECT_EQ(WritePhysicalSectors(drive, 0, 1, buffer), 0);
}

TEST_F(SectorIo, FailedSeekFailsTheTransferBeforeAnyByteMoves)
{
    SectorBuffer buffer = Filled(0x77);
    winsim::AddFault({"SetFilePointer", "", "", 1, 87, false});
    EXPECT_EQ(WritePhysicalSectors(drive, 5, 1, &buffer), 0);
    EXPECT_EQ(winsim::CallCount("WriteFile"), 0);
    EXPECT_EQ(winsim::ReadDisk(drive, 5 * 512, 512), std::vector<unsigned char>(512, 0));
}

TEST_F(SectorIo, SectorsBeyondFourGigabytesSeekWithBothHalves)
{
    int big = AddStick(8ull << 30);
    SectorBuffer buffer = Filled(0x5A);
    ASSERT_EQ(WritePhysicalSectors(big, 8388608, 1, &buffer), 1);
    EXPECT_EQ(winsim::ReadDisk(big, 4ull << 30, 512), std::vector<unsigned char>(512, 0x5A));
    EXPECT_EQ(winsim::ReadDisk(big, 0, 512), std::vector<unsigned char>(512, 0));
}

TEST_F(SectorIo, LargeDriveNumbersNeverReachAnotherDrive)
{
    while (winsim::DiskCount() <= 123)
        AddStick(1 << 20);
    SectorBuffer buffer = Filled(0x3C);
    ASSERT_EQ(WritePhysicalSectors(123, 0, 1, &buffer), 1);
    EXPECT_EQ(winsim::ReadDisk(123, 0, 512), std::vector<unsigned char>(512, 0x3C));
    for (int other : {1, 12})
        EXPECT_EQ(winsim::ReadDisk(other, 0, 512), std::vector<unsigned char>(512, 0));
    EXPECT_EQ(winsim::OpenedPaths().back(), "\\\\.\\PHYSICALDRIVE123");
}

TEST_F(SectorIo, LockHoldsOffOtherUsersUntilTheHandleCloses)
{
    HANDLE volume = OpenVolumeByPath("E:\\");
    ASSERT_NE(volume, INVALID_HANDLE_VALUE);
    HANDLE other = OpenVolumeDevice('E', 1);
    EXPECT_FALSE(LockVolume(volume)); // another handle is open
    CloseHandle(other);
    EXPECT_TRUE(LockVolume(volume));
    EXPECT_EQ(OpenVolumeDevice('E', 1), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    EXPECT_TRUE(DismountVolume(volume));
    CloseHandle(volume);
    HANDLE again = OpenVolumeDevice('E', 1);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
    // A drive is not a volume: it cannot be dismounted.
    HANDLE disk = OpenPhysicalDrive(drive, 0);
    EXPECT_FALSE(DismountVolume(disk));
    CloseHandle(disk);
}

TEST_F(SectorIo, UnbufferedTransfersNeedAlignedWholeSectors)
{
    HANDLE disk = OpenPhysicalDrive(drive, 0);
    alignas(512) unsigned char bytes[1024] = {};
    DWORD moved = 0;
    EXPECT_FALSE(WriteFile(disk, bytes + 1, 512, &moved, NULL)); // unaligned buffer
    EXPECT_FALSE(WriteFile(disk, bytes, 100, &moved, NULL));     // part of a sector
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    CloseHandle(disk);
    HANDLE readOnly = OpenPhysicalDrive(drive, 1);
    EXPECT_FALSE(WriteFile(readOnly, bytes, 512, &moved, NULL));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    CloseHandle(readOnly);
}

TEST_F(SectorIo, ProtectedDisksRefuseEveryWriteAndRecordIt)
{
    int system = AddStick(1 << 20, true);
    SectorBuffer buffer = Filled(9);
    EXPECT_EQ(WritePhysicalSectors(system, 4, 1, &buffer), 0);
    ASSERT_EQ(winsim::ProtectedWrites().size(), 1u);
    EXPECT_EQ(winsim::ProtectedWrites()[0].disk, system);
    EXPECT_EQ(winsim::ProtectedWrites()[0].offset, 4u * 512);
    EXPECT_EQ(winsim::ReadDisk(system, 4 * 512, 512), std::vector<unsigned char>(512, 0));
    tests::FreshMachine(); // the write was meant: clear it
}
