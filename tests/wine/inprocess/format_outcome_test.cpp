// The real format engine under Wine with the fixture fmifs.dll in the system
// directory: what FormatEx is handed, how its completion report becomes the
// result, and which of Wine's drives let a format start at all.
#include "fmifs_fixture.h"

#include "volume/format.h"

#include <gtest/gtest.h>

namespace {

class FormatUnderWine : public testing::Test {
protected:
    void SetUp() override
    {
        SetFormatExMode("success");
        ForgetFormatExCalls();
    }
};

TEST_F(FormatUnderWine, CompletionReportDecidesTheResult)
{
    // Each result must be this format's own, not left over from the last.
    SetFormatExMode("failure");
    EXPECT_EQ(FormatVolume(nullptr, kBlockDriveRoot, "fat", "", TRUE, FALSE), FORMAT_FAILED);
    SetFormatExMode("success");
    EXPECT_EQ(FormatVolume(nullptr, kBlockDriveRoot, "fat", "", TRUE, FALSE), FORMAT_SUCCEEDED);
    SetFormatExMode("silent");
    EXPECT_EQ(FormatVolume(nullptr, kBlockDriveRoot, "fat", "", TRUE, FALSE),
              FORMAT_NOT_REPORTED);
    EXPECT_EQ(FormatExCalls().size(), 3u);
}

struct Handed {
    const char* root;
    const char* fileSystem;
    const char* label;
    BOOL quick;
    BOOL force;
    const char* wideRoot;
    const char* wideLabel;
};

TEST_F(FormatUnderWine, FormatExGetsTheLetterAsGivenTheNameTheLabelAndTheQuickFlag)
{
    const Handed cases[] = {
        {"e:\\", "fat", "BOOT", TRUE, FALSE, "e:\\", "BOOT"},
        {"E", "FAT", nullptr, FALSE, TRUE, "E:\\", ""},
        {"E:\\anything", "Fat32", "ABCDEFGHIJK", TRUE, TRUE, "E:\\", "ABCDEFGHIJK"},
        {"E:\\", "ntfs", "", FALSE, FALSE, "E:\\", ""},
    };
    for (const Handed& handed : cases) {
        SCOPED_TRACE(std::string("root ") + handed.root + ", label " +
                     (handed.label ? handed.label : "null"));
        ForgetFormatExCalls();
        EXPECT_EQ(FormatVolume(nullptr, handed.root, handed.fileSystem, handed.label, handed.quick,
                               handed.force),
                  FORMAT_SUCCEEDED);
        std::vector<FormatExCall> calls = FormatExCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0]["root"], handed.wideRoot);
        EXPECT_EQ(calls[0]["fs"], handed.fileSystem);
        EXPECT_EQ(calls[0]["label"], handed.wideLabel);
        EXPECT_EQ(calls[0]["quick"], handed.quick ? "1" : "0");
        EXPECT_EQ(calls[0]["media"], "0");
        EXPECT_EQ(calls[0]["cluster"], "0");
    }
}

TEST_F(FormatUnderWine, DrivesWineCannotDismountNeverReachFormatEx)
{
    // C: is a host folder: Wine opens \\.\C: and grants the lock, but its
    // dismount request fails (not supported), forced or not.
    EXPECT_EQ(FormatVolume(nullptr, "C:\\", "fat", nullptr, TRUE, FALSE), FORMAT_DISMOUNT_FAILED);
    EXPECT_EQ(FormatVolume(nullptr, "C:\\", "fat", nullptr, TRUE, TRUE), FORMAT_DISMOUNT_FAILED);
    // Z: is the host's root, and \\.\Z: does not open for writing.
    EXPECT_EQ(FormatVolume(nullptr, "Z:\\", "fat", nullptr, TRUE, FALSE), FORMAT_OPEN_FAILED);
    EXPECT_EQ(FormatVolume(nullptr, "Q:\\", "fat", nullptr, TRUE, FALSE), FORMAT_NO_SUCH_DRIVE);
    EXPECT_TRUE(FormatExCalls().empty());
}

} // namespace
