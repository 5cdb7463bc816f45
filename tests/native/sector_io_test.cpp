// Device handles and whole-sector transfers on simulated drives and volumes.
#include "disk_fixture.h"

#include <climits>
#include <cstring>
#include <tuple>

namespace {

using Bytes = std::vector<unsigned char>;

class SectorIo : public testing::Test {
protected:
    void SetUp() override
    {
        tests::FreshMachine();
        drive = tests::AddStick(64ull << 20);
        tests::AddLetteredPartition(drive, 63, 1000, 'E');
    }
    void TearDown() override { EXPECT_EQ(winsim::OpenHandleCount(), 0); }

    int drive = 0;
};

} // namespace

TEST_F(SectorIo, BadArgumentsOpenNothingAndPathsAreFormattedWhole)
{
    SectorBuffer buffer = tests::Filled(0);
    using Args = std::tuple<const char*, int, int, void*>;
    for (auto [root, first, count, bytes] :
         {Args{"E:\\", -1, 1, &buffer}, {"E:\\", 0, -1, &buffer}, {"E:\\", 0, 1, nullptr},
          {nullptr, 0, 1, &buffer}, {"", 0, 1, &buffer}, {"1:\\", 0, 1, &buffer},
          {"E:\\", 0, MAX_TRANSFER_SECTORS + 1, &buffer}}) { // its byte count would wrap
        SCOPED_TRACE(std::to_string(first) + " " + std::to_string(count));
        EXPECT_EQ(ReadVolumeSectors(root, first, count, bytes), 0);
        EXPECT_EQ(WriteVolumeSectors(root, first, count, bytes), 0);
        bool goodRoot = root && root[0] == 'E';
        EXPECT_EQ(WritePhysicalSectors(goodRoot ? drive : -1, first, count, bytes), 0);
    }
    SetLastError(1234);
    EXPECT_EQ(OpenVolumeByPath(nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenVolumeByPath("\\x"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), 1234u); // argument failures leave the last error alone
    EXPECT_EQ(winsim::CallCount("CreateFileA"), 0);
    for (HANDLE h : {OpenVolumeDevice('e', 1), OpenVolumeByPath("e:\\anything"),
                     OpenPhysicalDrive(INT_MIN, 1)})
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    std::vector<std::string> paths = {"\\\\.\\e:", "\\\\.\\e:", "\\\\.\\PHYSICALDRIVE-2147483648"};
    EXPECT_EQ(winsim::OpenedPaths(), paths);
}

TEST_F(SectorIo, SectorsLandWhereTheyAreAddressed)
{
    SectorBuffer out = tests::Filled(0xA5), in = tests::Filled(0);
    ASSERT_EQ(WriteVolumeSectors("E:\\", 2, 1, &out), 1); // counted from the partition
    EXPECT_EQ(winsim::ReadDisk(drive, (63 + 2) * 512, 512), Bytes(512, 0xA5));
    // A reader elsewhere that shares no writing still lets a read through.
    HANDLE reader = CreateFileA("\\\\.\\E:", GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    ASSERT_EQ(ReadVolumeSectors("e", 2, 1, &in), 1); // E, E: and e all name the volume
    CloseHandle(reader);
    EXPECT_EQ(std::memcmp(in.bytes, out.bytes, 512), 0);
    EXPECT_EQ(ReadVolumeSectors("E:", 5, 0, &in), 1); // a count of 0 moves nothing
    int big = tests::AddStick(8ull << 30);
    ASSERT_EQ(WritePhysicalSectors(big, 8388608, 1, &out), 1); // 4 GiB in
    EXPECT_EQ(winsim::ReadDisk(big, 4ull << 30, 512), Bytes(512, 0xA5));
    EXPECT_EQ(winsim::ReadDisk(big, 0, 512), Bytes(512, 0));
}

TEST_F(SectorIo, ShortOrFailedStepsFailTheTransfer)
{
    SectorBuffer buffer[2] = {tests::Filled(1), tests::Filled(1)};
    EXPECT_EQ(ReadVolumeSectors("F:\\", 0, 1, buffer), 0); // no such volume
    EXPECT_EQ(ReadVolumeSectors("E:\\", 0, 1, buffer->bytes + 1), 0); // unbuffered needs alignment
    winsim::AddFault({"WriteFile", "", "", 1, 31, true});
    EXPECT_EQ(WriteVolumeSectors("E:\\", 0, 2, buffer), 0); // one sector short, as at the end
    // Only the nth matching call fails, with its error.
    winsim::AddFault({"ReadFile", "", "", 2, 23, false});
    EXPECT_EQ(ReadVolumeSectors("E:\\", 0, 1, buffer), 1);
    EXPECT_EQ(ReadVolumeSectors("E:\\", 0, 1, buffer), 0);
    EXPECT_EQ(GetLastError(), 23u);
    EXPECT_EQ(ReadVolumeSectors("E:\\", 0, 1, buffer), 1);
    // A failed seek moves no byte: they would land at the wrong place.
    int writes = winsim::CallCount("WriteFile");
    winsim::AddFault({"SetFilePointer", "", "", 1, 87, false});
    EXPECT_EQ(WritePhysicalSectors(drive, 5, 1, buffer), 0);
    EXPECT_EQ(winsim::CallCount("WriteFile"), writes);
    // The largest count reaches the device (whose write fails here).
    winsim::AddFault({"WriteFile", "", "", 1, 31, false});
    EXPECT_EQ(WritePhysicalSectors(drive, 0, MAX_TRANSFER_SECTORS, buffer), 0);
    EXPECT_EQ(winsim::CallCount("WriteFile"), writes + 1);
}
