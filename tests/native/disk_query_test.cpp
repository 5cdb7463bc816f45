// The disk record: registry, device and letter facts joined, whole or not.
#include "disk_fixture.h"

#include "disk/disk_query.h"

#include <cstring>

namespace {

using Bytes = std::vector<unsigned char>;

const char kUsbId[] = "USBSTOR\\Disk&Ven_Test&Prod_Stick\\1";
const std::string kNameKey = std::string("SYSTEM\\CurrentControlSet\\Enum\\") + kUsbId;

class DiskQuery : public testing::Test {
protected:
    void SetUp() override { tests::FreshMachine(); }
    void TearDown() override { EXPECT_EQ(winsim::OpenHandleCount(), 0); }

    int AddDisk(std::uint64_t size, const std::string& id = kUsbId)
    {
        return winsim::AddDisk({true, "Test Stick", id, true, 512, size});
    }
    DiskInfo Query(int n)
    {
        DiskInfo info;
        std::memset(&info, 0x5A, sizeof info);
        EXPECT_EQ(QueryDiskInfo(n, &info), 1);
        return info;
    }
};

} // namespace

TEST_F(DiskQuery, BuildsTheRecordFromThisDisksPartitionsOnly)
{
    int n = AddDisk(64ull << 20), m = AddDisk(64ull << 20, "USBSTOR\\Other");
    // Slot 1 unlettered; slot 3 extended, its lettered logical drive fills no slot.
    tests::WriteTable(n, {{0, 63, 30000, 6, 1}, {1, 40000, 1000, 6, 0}, {2, 50000, 1 << 23, 7, 0},
                          {3, 100000, 5000, 5, 0}});
    tests::WriteTable(n, {{0, 63, 200, 6, 0}}, 100000);
    tests::WriteTable(m, {{0, 63, 1000, 6, 0}, {3, 2000, 1000, 6, 0}});
    std::string error;
    ASSERT_TRUE(winsim::FormatPartition(n, 1, "fat", "OLDSTICK", error)) << error;
    for (auto [disk, partition, letter] :
         {std::tuple{n, 1, 'E'}, {n, 3, 'G'}, {n, 5, 'H'}, {n, 1, 'K'}, {m, 4, 'L'}})
        ASSERT_TRUE(winsim::MountVolume(disk, partition, letter));
    DiskInfo info = Query(n);
    EXPECT_EQ(info.diskLength, 64ll << 20);
    const VolumeSlot& v = info.volumes[0];
    EXPECT_EQ(v.letter, 'K'); // the later of its letters in A-to-Z order
    EXPECT_EQ(v.bootable, 1u);
    EXPECT_EQ(v.partitionType, 6);
    EXPECT_EQ(v.sizeBytes, 30000ull * 512);
    EXPECT_STREQ(v.label, "OLDSTICK");
    EXPECT_NE(v.serialNumber, 0u);
    EXPECT_EQ(info.volumes[2].letter, 'G');
    EXPECT_EQ(info.volumes[2].sizeBytes, 4294967296ull); // 2^23 sectors, not cut to 32 bits
    EXPECT_STREQ(info.volumes[2].label, "");            // not FAT: no label
    const VolumeSlot zero = {}; // slots without a lettered primary partition
    for (int i : {1, 3})
        EXPECT_EQ(std::memcmp(&info.volumes[i], &zero, sizeof zero), 0) << i;
    info = Query(m);
    EXPECT_EQ(info.volumes[3].letter, 'L');
    for (int i : {0, 1, 2})
        EXPECT_EQ(std::memcmp(&info.volumes[i], &zero, sizeof zero), 0) << i;
}

TEST_F(DiskQuery, StoredNamesAreBoundedAndTerminated)
{
    int n = AddDisk(1 << 20);
    auto Name = [&](Bytes value, DWORD type = REG_SZ) {
        winsim::SetRegistryValue(kNameKey, "FriendlyName", type, value);
    };
    // 300 characters without a terminator: 299 in the record.
    Name(Bytes(300, 'M'));
    EXPECT_STREQ(Query(n).friendlyName, std::string(299, 'M').c_str());
    Name({'A', 'B'}, REG_BINARY); // shorter, with nothing to terminate it
    EXPECT_STREQ(Query(n).friendlyName, "AB");
    DiskInfo info;
    Name(Bytes(301, 'M'));
    EXPECT_EQ(QueryDiskInfo(n, &info), 0);
    // Instance paths: 1000 bytes fit when stored without a terminator.
    std::string id1000 = "USBSTOR\\" + std::string(992, 'x');
    int fits = AddDisk(1 << 20, id1000);
    winsim::SetRegistryValue("SYSTEM\\CurrentControlSet\\Services\\Disk\\Enum",
                             std::to_string(fits), REG_SZ, Bytes(id1000.begin(), id1000.end()));
    EXPECT_STREQ(Query(fits).instanceId, id1000.c_str());
    int tooLong = AddDisk(1 << 20, id1000 + "y");
    EXPECT_EQ(QueryDiskInfo(tooLong, &info), 0);
}

TEST_F(DiskQuery, FloppyLettersAreNeverOpenedInAnySpelling)
{
    int n = AddDisk(1 << 20);
    winsim::SetForeignLetter('B', "floppy");
    Bytes data; // the drive's own entry, in another spelling
    for (char c : std::string("\\??\\fDc#GENERIC_FLOPPY_DRIVE"))
        data.insert(data.end(), {(unsigned char)c, 0});
    winsim::SetRegistryValue("SYSTEM\\MountedDevices", "\\DosDevices\\B:", REG_BINARY, data);
    Query(n);
    for (const auto& path : winsim::OpenedPaths())
        EXPECT_NE(path, "\\\\.\\B:");
    // Too short to hold the prefix.
    data.resize(14);
    winsim::SetRegistryValue("SYSTEM\\MountedDevices", "\\DosDevices\\B:", REG_BINARY, data);
    EXPECT_EQ(IsFloppyLetter('B'), 0);
}

TEST_F(DiskQuery, FailuresLeaveTheCallersRecordAndCloseEverything)
{
    EXPECT_EQ(QueryDiskInfo(-1, nullptr) + QueryDiskInfo(0, nullptr), 0);
    EXPECT_EQ(winsim::CallCount("RegOpenKeyExA"), 0);
    // Fail each call the query makes, one at a time.
    std::string error;
    for (const char* call : {"RegOpenKeyExA", "RegQueryValueExA", "CreateFileA", "DeviceIoControl",
                             "ReadFile", "GetLogicalDrives", "GetVolumeInformationA"}) {
        for (int nth = 1; nth <= 6; nth++) {
            SCOPED_TRACE(std::string(call) + " #" + std::to_string(nth));
            tests::FreshMachine();
            int n = AddDisk(16ull << 20);
            tests::WriteTable(n, {{0, 63, 30000, 6, 1}});
            ASSERT_TRUE(winsim::FormatPartition(n, 1, "fat", "X", error)) << error;
            ASSERT_TRUE(winsim::MountVolume(n, 1, 'E'));
            winsim::AddFault({call, "", "", nth, 31, false});
            DiskInfo info, before;
            std::memset(&info, 0x77, sizeof info);
            std::memset(&before, 0x77, sizeof info);
            if (!QueryDiskInfo(n, &info))
                ASSERT_EQ(std::memcmp(&info, &before, sizeof info), 0);
            EXPECT_EQ(winsim::OpenHandleCount(), 0);
        }
    }
}

// Drive n is the disk that reports number n through its device interface.
TEST_F(DiskQuery, DriveNumbersAbove255KeepTheirLowBitsInTheRecord)
{
    while (winsim::DiskCount() < 258)
        AddDisk(1 << 20, kUsbId + std::to_string(winsim::DiskCount()));
    EXPECT_EQ(Query(257).diskNumber, 1);
    const auto& opened = winsim::OpenedPaths();
    EXPECT_EQ(opened.front(), "\\\\?\\USBSTOR#Disk&Ven_Test&Prod_Stick#10#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
    EXPECT_EQ(std::count(opened.begin(), opened.end(), "\\\\.\\PHYSICALDRIVE257"), 2);
}
