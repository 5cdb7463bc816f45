// Mounting a partition at a letter through the mount manager.
#include "disk_fixture.h"

#include "volume/drive_letter.h"

#include <tuple>

namespace {

class DriveLetter : public testing::Test {
protected:
    void SetUp() override
    {
        tests::FreshMachine();
        system = tests::AddStick(1 << 20);
        tests::AddLetteredPartition(system, 63, 1000, 'C');
        stick = tests::AddStick(64 << 20);
        // One partition without a letter.
        tests::AddLetteredPartition(stick, 63, 100000, 'Z');
        winsim::RescanPartitions(stick); // drops the letter again
    }
    void TearDown() override { EXPECT_EQ(winsim::OpenHandleCount(), 0); }

    bool Defined(char letter)
    {
        char device[3] = {letter, ':', 0}, answer[300];
        return QueryDosDeviceA(device, answer, sizeof answer) != 0;
    }
    int system = 0, stick = 0;
};

} // namespace

TEST_F(DriveLetter, ChoosesTheFirstFreeLetterFromDAndMountsForGood)
{
    winsim::SetForeignLetter('E', "cdrom");
    EXPECT_EQ(AssignDriveLetter(stick, 1, 0), 'D');
    EXPECT_EQ(winsim::VolumeLetter(stick, 1), 'D');
    EXPECT_TRUE(GetLogicalDrives() & (1u << 3));
    // The next free one skips D now; A and B are never chosen.
    int other = tests::AddStick(8 << 20);
    tests::AddLetteredPartition(other, 63, 1000, 'Y');
    winsim::RescanPartitions(other);
    EXPECT_EQ(AssignDriveLetter(other, 1, 0), 'F');
}

TEST_F(DriveLetter, RefusesBadArgumentsWithInvalidParameter)
{
    for (auto args : {std::make_tuple(-1, 1, 'E'), std::make_tuple(stick, 4, 'E'),
                      std::make_tuple(stick, -1, 'E'), std::make_tuple(stick, 1, '5')}) {
        SetLastError(0);
        EXPECT_EQ(AssignDriveLetter(std::get<0>(args), std::get<1>(args), std::get<2>(args)), 0);
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(winsim::CallCount("DefineDosDeviceA"), 0);
}

TEST_F(DriveLetter, GivenLetterKeepsItsCaseAndMustBeUndefined)
{
    EXPECT_EQ(AssignDriveLetter(stick, 1, 'C'), 0); // C: is taken
    EXPECT_EQ(winsim::CallCount("DefineDosDeviceA"), 0);
    EXPECT_EQ(winsim::CallCount("GetLogicalDrives"), 0); // a named letter skips the mask
    EXPECT_EQ(AssignDriveLetter(stick, 1, 'k'), 'k');
    EXPECT_EQ(winsim::VolumeLetter(stick, 1), 'K');
}

TEST_F(DriveLetter, NoVolumeBehindTheTargetLeavesNoNameBehind)
{
    // Partition 0 is the whole disk in that namespace: no volume there.
    EXPECT_EQ(AssignDriveLetter(stick, 0, 0), 0);
    EXPECT_FALSE(Defined('D'));
    EXPECT_EQ(AssignDriveLetter(stick, 3, 'G'), 0); // no third partition
    EXPECT_FALSE(Defined('G'));
    // A failing mount point also cleans up.
    winsim::AddFault({"SetVolumeMountPointA", "", "", 1, 5, false});
    EXPECT_EQ(AssignDriveLetter(stick, 1, 'H'), 0);
    EXPECT_EQ(GetLastError(), 5u); // as the failing call left it
    EXPECT_FALSE(Defined('H'));
}

TEST_F(DriveLetter, EveryLetterFromDToZTakenGivesZeroAndLeavesTheError)
{
    for (char c = 'D'; c <= 'Z'; c++)
        winsim::SetForeignLetter(c, "network");
    SetLastError(1234);
    EXPECT_EQ(AssignDriveLetter(stick, 1, 0), 0);
    EXPECT_EQ(GetLastError(), 1234u);
}
