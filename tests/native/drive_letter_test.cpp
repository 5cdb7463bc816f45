// Mounting a partition at a letter through the mount manager.
#include "disk_fixture.h"

#include "volume/drive_letter.h"

#include <tuple>

namespace {

// A stick with one partition and no letter.
int Unlettered()
{
    int disk = tests::AddStick(64 << 20);
    tests::WriteTable(disk, {{0, 63, 100000, 6, 0}});
    return disk;
}

} // namespace

TEST(DriveLetter, ChoosesTheFirstFreeLetterFromDAndMountsForGood)
{
    tests::FreshMachine();
    int stick = Unlettered();
    winsim::SetForeignLetter('E', "cdrom");
    EXPECT_EQ(AssignDriveLetter(stick, 1, 0), 'D'); // A to C free, yet never chosen
    EXPECT_EQ(winsim::VolumeLetter(stick, 1), 'D');
    EXPECT_EQ(AssignDriveLetter(Unlettered(), 1, 0), 'F');
    int last = Unlettered();
    for (char c = 'G'; c <= 'Z'; c++)
        winsim::SetForeignLetter(c, "network");
    SetLastError(1234);
    EXPECT_EQ(AssignDriveLetter(last, 1, 0), 0); // none left
    EXPECT_EQ(GetLastError(), 1234u);
}

TEST(DriveLetter, RefusalsLeaveNoNameBehind)
{
    tests::FreshMachine();
    int stick = Unlettered();
    for (auto [disk, partition, letter] :
         {std::tuple{-1, 1, 'E'}, {stick, 4, 'E'}, {stick, -1, 'E'}, {stick, 1, '5'}}) {
        SetLastError(0);
        EXPECT_EQ(AssignDriveLetter(disk, partition, letter), 0);
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    }
    winsim::SetForeignLetter('C', "network");
    EXPECT_EQ(AssignDriveLetter(stick, 1, 'C'), 0); // taken
    EXPECT_EQ(winsim::CallCount("DefineDosDeviceA"), 0);
    EXPECT_EQ(AssignDriveLetter(stick, 0, 0), 0); // partition 0 is the whole disk: no volume
    EXPECT_EQ(AssignDriveLetter(stick, 3, 'G'), 0); // no third partition
    winsim::AddFault({"SetVolumeMountPointA", "", "", 1, 5, false});
    EXPECT_EQ(AssignDriveLetter(stick, 1, 'H'), 0);
    EXPECT_EQ(GetLastError(), 5u); // as the failing call left it
    EXPECT_EQ(GetLogicalDrives(), 1u << 2); // no name but the taken C is left defined
    EXPECT_EQ(AssignDriveLetter(stick, 1, 'k'), 'k'); // a given letter keeps its case
    EXPECT_EQ(winsim::VolumeLetter(stick, 1), 'K');
}
