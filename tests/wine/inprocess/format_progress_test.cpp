// Progress reports from the fixture FormatEx through the engine's callback
// to real windows of this thread, and the continue flag back.
#include "fmifs_fixture.h"
#include "progress_window.h"

#include "app/dialogs.h"
#include "res/resource.h"
#include "volume/format.h"

#include <gtest/gtest.h>

namespace {

class FormatProgress : public testing::Test {
protected:
    void SetUp() override
    {
        SetFormatExMode("success");
        ForgetFormatExCalls();
    }
};

TEST_F(FormatProgress, CallbackKeepsTheWindowsCallingConvention)
{
    // Eleven reports and a completion, with and without a window: a callee
    // that left its arguments on the stack would show as slip 12.
    SetFormatExMode("success", "0,10,20,30,40,50,60,70,80,90,100");
    ProgressWindow window;
    EXPECT_EQ(FormatVolume(nullptr, kBlockDriveRoot, "fat", nullptr, TRUE, FALSE),
              FORMAT_SUCCEEDED);
    EXPECT_EQ(FormatVolume(window.Handle(), kBlockDriveRoot, "fat", nullptr, TRUE, FALSE),
              FORMAT_SUCCEEDED);
    std::vector<FormatExCall> calls = FormatExCalls();
    ASSERT_EQ(calls.size(), 2u);
    for (FormatExCall& call : calls) {
        EXPECT_EQ(call["slip"], "0");
        EXPECT_EQ(call["answers"], "1,1,1,1,1,1,1,1,1,1,1,1");
    }
    EXPECT_EQ(window.Percentages().size(), 11u);
}

TEST_F(FormatProgress, EachReportReachesTheWindowWithTheContinueFlagSet)
{
    SetFormatExMode("success", "0,37,100");
    ProgressWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    EXPECT_EQ(FormatVolume(window.Handle(), kBlockDriveRoot, "fat", nullptr, TRUE, FALSE),
              FORMAT_SUCCEEDED);
    EXPECT_EQ(window.Percentages(), (std::vector<unsigned>{0, 37, 100}));
    EXPECT_EQ(window.FlagsOnArrival(), (std::vector<int>{1, 1, 1}));
}

TEST_F(FormatProgress, MainDialogStatusLineShowsThePercentage)
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN),
                                     nullptr, MainDlgProc, 0);
    ASSERT_NE(dialog, nullptr) << "CreateDialogParam failed, error " << GetLastError();
    SetFormatExMode("success", "12,37");
    EXPECT_EQ(FormatVolume(dialog, kBlockDriveRoot, "fat", "BOOT", TRUE, FALSE),
              FORMAT_SUCCEEDED);
    char text[64] = "";
    GetDlgItemTextA(dialog, IDC_STATUS, text, sizeof text);
    EXPECT_STREQ(text, "Formating...(37%)");
    DestroyWindow(dialog);
}

TEST_F(FormatProgress, ClearedContinueFlagCancelsOnlyThatFormat)
{
    SetFormatExMode("success", "0,37,100");
    ProgressWindow cancelling(37);
    EXPECT_EQ(FormatVolume(cancelling.Handle(), kBlockDriveRoot, "fat", nullptr, TRUE, FALSE),
              FORMAT_CANCELLED);
    EXPECT_EQ(cancelling.Percentages(), (std::vector<unsigned>{0, 37})) << "went on after cancel";

    // The next format's failure is its own, not a cancel.
    ProgressWindow patient;
    SetFormatExMode("failure", "0,37,100");
    EXPECT_EQ(FormatVolume(patient.Handle(), kBlockDriveRoot, "fat", nullptr, TRUE, FALSE),
              FORMAT_FAILED);

    std::vector<FormatExCall> calls = FormatExCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0]["answers"], "1,0,1") << "progress, the cancelled report, completion";
    EXPECT_EQ(calls[1]["answers"], "1,1,1,1");
}

} // namespace
