// The disk record: registry, device and letter facts joined, whole or not.
#include "disk_fixture.h"

#include "disk/disk_query.h"

#include <array>
#include <cstring>

namespace {

const char kUsbId[] = "USBSTOR\\Disk&Ven_Test&Prod_Stick\\1";

class DiskQuery : public testing::Test {
protected:
    void SetUp() override { tests::FreshMachine(); }
    void TearDown() override { EXPECT_EQ(winsim::OpenHandleCount(), 0); }

    int AddDisk(std::uint64_t size, const std::string& id = kUsbId)
    {
        winsim::DiskSetup setup;
        setup.friendlyName = "Test Stick";
        setup.instanceId = id;
        setup.size = size;
        return winsim::AddDisk(setup);
    }
    // Primary entries (slot, start, sectors, type, active) in sector 0.
    void Table(int disk, std::vector<std::array<std::uint32_t, 5>> entries)
    {
        std::vector<unsigned char> mbr(512, 0);
        for (const auto& e : entries) {
            unsigned char* p = &mbr[446 + 16 * e[0]];
            p[0] = e[4] ? 0x80 : 0;
            p[4] = (unsigned char)e[3];
            for (int i = 0; i < 4; i++) {
                p[8 + i] = (unsigned char)(e[1] >> (8 * i));
                p[12 + i] = (unsigned char)(e[2] >> (8 * i));
            }
        }
        mbr[510] = 0x55;
        mbr[511] = 0xAA;
        winsim::WriteDisk(disk, 0, mbr);
        winsim::RescanPartitions(disk);
    }
    DiskInfo Query(int n)
    {
        DiskInfo info;
        std::memset(&info, 0x5A, sizeof info);
        EXPECT_EQ(QueryDiskInfo(n, &info), 1);
        return info;
    }
};

bool AllZero(const VolumeSlot& v)
{
    const unsigned char* p = (const unsigned char*)&v;
    for (std::size_t i = 0; i < sizeof v; i++)
        if (p[i])
            return false;
    return true;
}

const std::string kEnum = "SYSTEM\\CurrentControlSet\\Enum\\";

} // namespace

TEST_F(DiskQuery, BuildsTheWholeRecord)
{
    AddDisk(80ull << 20); // a second disk, so numbers matter
    int n = AddDisk(64ull << 20);
    Table(n, {{0, 63, 131009, 6, 1}});
    std::string error;
    ASSERT_TRUE(winsim::FormatPartition(n, 1, "fat", "OLDSTICK", error)) << error;
    ASSERT_TRUE(winsim::MountVolume(n, 1, 'E'));
    DiskInfo info = Query(n);
    EXPECT_EQ(info.diskNumber, n);
    EXPECT_STREQ(info.friendlyName, "Test Stick");
    EXPECT_STREQ(info.instanceId, kUsbId);
    EXPECT_EQ(info.geometry.MediaType, RemovableMedia);
    EXPECT_EQ(info.geometry.BytesPerSector, 512u);
    EXPECT_EQ(info.geometry.TracksPerCylinder, 255u);
    EXPECT_EQ(info.geometry.SectorsPerTrack, 63u);
    EXPECT_EQ(info.geometry.Cylinders.QuadPart, 8);
    EXPECT_EQ(info.diskLength, 64ll << 20);
    EXPECT_EQ(info.mbr.slots[0].startLba, 63u);
    const VolumeSlot& v = info.volumes[0];
    EXPECT_EQ(v.bootable, 1u);
    EXPECT_EQ(v.letter, 'E');
    EXPECT_EQ(v.partitionType, 6);
    EXPECT_EQ(v.sizeBytes, 131009ull * 512);
    EXPECT_STREQ(v.label, "OLDSTICK");
    EXPECT_NE(v.serialNumber, 0u);
    for (int i = 1; i < 4; i++)
        EXPECT_TRUE(AllZero(info.volumes[i])) << i;
}

TEST_F(DiskQuery, NamesAndPathsAreBoundedAsStoredValues)
{
    int n = AddDisk(1 << 20);
    std::string name299(299, 'N');
    winsim::SetRegistryValue(kEnum + kUsbId, "FriendlyName", REG_SZ,
                             std::vector<unsigned char>(name299.begin(), name299.end() + 0));
    EXPECT_STREQ(Query(n).friendlyName, name299.c_str());
    // 300 characters stored without a terminator: cut to 299.
    winsim::SetRegistryValue(kEnum + kUsbId, "FriendlyName", REG_SZ,
                             std::vector<unsigned char>(300, 'M'));
    EXPECT_STREQ(Query(n).friendlyName, std::string(299, 'M').c_str());
    const char* direct = GetDiskFriendlyName(n);
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(std::strlen(direct), 300u); // terminated right after the value
    // With its terminator the name no longer fits: the disk cannot be queried.
    winsim::SetRegistryValue(kEnum + kUsbId, "FriendlyName", REG_SZ,
                             std::vector<unsigned char>(301, 'M'));
    DiskInfo info;
    EXPECT_EQ(QueryDiskInfo(n, &info), 0);
    winsim::DeleteRegistryValue(kEnum + kUsbId, "FriendlyName");
    EXPECT_EQ(QueryDiskInfo(n, &info), 0);
}

TEST_F(DiskQuery, InstancePathsUpToAThousandBytes)
{
    std::string id1000 = "USBSTOR\\" + std::string(992, 'x');
    int fits = AddDisk(1 << 20, id1000.substr(0, 999));
    EXPECT_STREQ(Query(fits).instanceId, id1000.substr(0, 999).c_str());
    winsim::SetRegistryValue("SYSTEM\\CurrentControlSet\\Services\\Disk\\Enum", "0", REG_SZ,
                             std::vector<unsigned char>(id1000.begin(), id1000.end()));
    winsim::SetRegistryValue(kEnum + id1000, "FriendlyName", REG_SZ, {'S', 0});
    EXPECT_STREQ(Query(fits).instanceId, id1000.c_str());
    int tooLong = AddDisk(1 << 20, id1000 + "y");
    DiskInfo info;
    EXPECT_EQ(QueryDiskInfo(tooLong, &info), 0);
    EXPECT_EQ(GetDiskInstanceId(tooLong), nullptr);
}

TEST_F(DiskQuery, SlotsFollowPartitionNumbersAndLetters)
{
    int n = AddDisk(64ull << 20);
    // Slots 0 and 2 lettered, slot 1 not; an extended partition with a
    // lettered logical drive, which never fills a slot.
    Table(n, {{0, 63, 1000, 6, 0}, {1, 2000, 1000, 6, 0}, {2, 4000, 1 << 23, 7, 0},
              {3, 10000, 5000, 5, 0}});
    std::vector<unsigned char> ebr(512, 0);
    ebr[446 + 4] = 6;
    ebr[446 + 8] = 63;
    ebr[446 + 12] = 200;
    ebr[510] = 0x55;
    ebr[511] = 0xAA;
    winsim::WriteDisk(n, 10000 * 512ull, ebr);
    winsim::RescanPartitions(n);
    ASSERT_TRUE(winsim::MountVolume(n, 1, 'F'));
    ASSERT_TRUE(winsim::MountVolume(n, 3, 'G'));
    ASSERT_TRUE(winsim::MountVolume(n, 5, 'H'));
    ASSERT_TRUE(winsim::MountVolume(n, 1, 'K')); // a second letter for partition 1
    DiskInfo info = Query(n);
    EXPECT_EQ(info.volumes[0].letter, 'K'); // the later letter in A-to-Z order
    EXPECT_TRUE(AllZero(info.volumes[1]));
    EXPECT_EQ(info.volumes[2].letter, 'G');
    EXPECT_EQ(info.volumes[2].sizeBytes, 4294967296ull); // 2^23 sectors, not cut to 32 bits
    EXPECT_STREQ(info.volumes[2].label, "");           // not FAT: no label
    EXPECT_TRUE(AllZero(info.volumes[3]));
    // A lettered fourth primary partition fills the last slot.
    int m = AddDisk(64ull << 20);
    Table(m, {{0, 63, 1000, 6, 0}, {3, 2000, 1000, 6, 0}});
    ASSERT_TRUE(winsim::MountVolume(m, 4, 'L'));
    EXPECT_EQ(Query(m).volumes[3].letter, 'L');
}

TEST_F(DiskQuery, FloppyLettersAreNeverOpenedInAnySpelling)
{
    int n = AddDisk(1 << 20);
    winsim::SetForeignLetter('A', "floppy");
    winsim::SetForeignLetter('B', "floppy");
    winsim::SetForeignLetter('D', "cdrom");
    winsim::SetForeignLetter('N', "network");
    std::string mixed = "\\??\\fDc#GENERIC_FLOPPY_DRIVE";
    std::vector<unsigned char> data;
    for (char c : mixed) {
        data.push_back((unsigned char)c);
        data.push_back(0);
    }
    winsim::SetRegistryValue("SYSTEM\\MountedDevices", "\\DosDevices\\B:", REG_BINARY, data);
    Query(n);
    for (const auto& path : winsim::OpenedPaths()) {
        EXPECT_NE(path, "\\\\.\\A:");
        EXPECT_NE(path, "\\\\.\\B:");
    }
    EXPECT_EQ(IsFloppyLetter('a'), 1);
    EXPECT_EQ(IsFloppyLetter('D'), 0);
    EXPECT_EQ(IsFloppyLetter('Q'), 0); // no such drive
    EXPECT_EQ(IsFloppyLetter('5'), 0);
    // Too short to hold the prefix.
    winsim::SetRegistryValue("SYSTEM\\MountedDevices", "\\DosDevices\\B:", REG_BINARY,
                             std::vector<unsigned char>(data.begin(), data.begin() + 14));
    EXPECT_EQ(IsFloppyLetter('B'), 0);
}

TEST_F(DiskQuery, FailuresLeaveTheCallersRecordAndCloseEverything)
{
    int n = AddDisk(16ull << 20);
    Table(n, {{0, 63, 30000, 6, 1}});
    std::string error;
    ASSERT_TRUE(winsim::FormatPartition(n, 1, "fat", "X", error)) << error;
    ASSERT_TRUE(winsim::MountVolume(n, 1, 'E'));
    EXPECT_EQ(QueryDiskInfo(-1, nullptr), 0);
    EXPECT_EQ(QueryDiskInfo(n, nullptr), 0);
    EXPECT_EQ(winsim::CallCount("RegOpenKeyExA"), 0);
    // Fail each call the query makes, one at a time.
    const char* calls[] = {"RegOpenKeyExA", "RegQueryValueExA", "CreateFileA",
                           "DeviceIoControl", "ReadFile", "GetLogicalDrives",
                           "GetVolumeInformationA"};
    for (const char* call : calls) {
        for (int nth = 1; nth <= 6; nth++) {
            SCOPED_TRACE(std::string(call) + " #" + std::to_string(nth));
            tests::FreshMachine();
            n = AddDisk(16ull << 20);
            Table(n, {{0, 63, 30000, 6, 1}});
            ASSERT_TRUE(winsim::FormatPartition(n, 1, "fat", "X", error)) << error;
            ASSERT_TRUE(winsim::MountVolume(n, 1, 'E'));
            winsim::AddFault({call, "", "", nth, 31, false});
            DiskInfo info;
            std::memset(&info, 0x77, sizeof info);
            int ok = QueryDiskInfo(n, &info);
            if (!ok) {
                const unsigned char* p = (const unsigned char*)&info;
                for (std::size_t i = 0; i < sizeof info; i++)
                    ASSERT_EQ(p[i], 0x77) << "byte " << i;
            }
            EXPECT_EQ(winsim::OpenHandleCount(), 0);
        }
    }
}

TEST_F(DiskQuery, DriveNumbersAbove255KeepTheirLowBitsInTheRecord)
{
    for (int i = 0; i < 258; i++)
        AddDisk(1 << 20);
    DiskInfo info = Query(257);
    EXPECT_EQ(info.diskNumber, 1);
    EXPECT_EQ(winsim::OpenedPaths().front(), "\\\\.\\PHYSICALDRIVE257");
}
