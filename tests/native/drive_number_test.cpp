// The run's drive number step: the format library leaves 00h in the boot
// sector of a volume on removable media, so only the run's own write makes
// the stick boot as the first hard disk, and a failure of that write stops it.
#include "pipeline_fixture.h"

namespace {

const std::uint64_t kBootSector = 63 * 512;
const int kDriveNumberField = 36;
// Raw writes of a run, in order: the MBR, the cleared first sector of the
// partition, then (after the format) the drive number.
const int kDriveNumberWrite = 3;

struct Outcome {
    bool completed = false;
    std::vector<std::string> errors;
    std::vector<winsim::DeviceWrite> writes; // from the press of Start on
    unsigned char driveNumber = 0;
};

Outcome Start(const winsim::Fault* fault)
{
    tests::ProgramRun run;
    int disk = tests::AddMachine({});
    std::size_t before = 0;
    tests::PressStart(run, {}, [fault, &before] {
        before = winsim::DeviceWrites().size();
        if (fault)
            winsim::AddFault(*fault);
    });
    run.Run();
    Outcome result;
    for (const auto& box : run.boxes) {
        if (box.text == "Operation Completed Successfully!")
            result.completed = true;
        else if (box.caption == "Tarnwick Error!")
            result.errors.push_back(box.text);
    }
    const auto& writes = winsim::DeviceWrites();
    result.writes.assign(writes.begin() + (std::ptrdiff_t)before, writes.end());
    result.driveNumber = winsim::ReadDisk(disk, kBootSector + kDriveNumberField, 1)[0];
    return result;
}

} // namespace

TEST(DriveNumber, TheRunWritesItAndStopsWhenItCannot)
{
    Outcome clean = Start(nullptr);
    ASSERT_TRUE(clean.completed);
    EXPECT_EQ(clean.driveNumber, 0x80);
    ASSERT_GE(clean.writes.size(), (std::size_t)kDriveNumberWrite);
    const winsim::DeviceWrite& write = clean.writes[kDriveNumberWrite - 1];
    EXPECT_EQ(write.through, "WriteFile");
    EXPECT_EQ(write.offset, kBootSector);

    winsim::Fault fault{"WriteFile", "", "", kDriveNumberWrite, 31, false};
    Outcome failed = Start(&fault);
    EXPECT_FALSE(failed.completed);
    EXPECT_EQ(failed.errors, std::vector<std::string>{"Failed To Set Drive ID!"});
    EXPECT_EQ(failed.driveNumber, 0x00); // as the format left it
}
