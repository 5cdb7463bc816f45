// The main dialog of the real tarnwick.exe, read from another process. The
// tests share one run and go in order; the last one ends it with Escape.
#include "control_check.h"
#include "dialog_frame.h"
#include "driver_options.h"
#include "program_run.h"
#include "screenshot.h"
#include "user_input.h"
#include "window_facts.h"
#include "window_finder.h"

#include "res/resource.h"
#include "volume/format.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class MainDialog : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        run_ = std::make_unique<ProgramRun>(Options().program);
        if (run_->Started())
            dialog_ = WaitForDialog(run_->Id(), nullptr, "Tarnwick", 15000);
        units_ = std::make_unique<TemplateDialog>(Options().program, IDD_MAIN);
    }

    static void TearDownTestSuite()
    {
        units_.reset();
        run_.reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(run_->Started()) << run_->Error();
        ASSERT_NE(dialog_, nullptr) << "no dialog \"Tarnwick\" of class #32770 appeared";
        ASSERT_TRUE(units_->Ok()) << units_->Error();
    }

    static std::unique_ptr<ProgramRun> run_;
    static std::unique_ptr<TemplateDialog> units_;
    static HWND dialog_;
};

std::unique_ptr<ProgramRun> MainDialog::run_;
std::unique_ptr<TemplateDialog> MainDialog::units_;
HWND MainDialog::dialog_ = nullptr;

TEST_F(MainDialog, IsAMinimizableCaptionedModalFrameOf270By141Units)
{
    DWORD style = GetWindowLongA(dialog_, GWL_STYLE);
    DWORD wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME |
                   DS_CENTER | DS_SETFONT | DS_FIXEDSYS;
    EXPECT_EQ(style & wanted, wanted) << "style " << std::hex << style;
    EXPECT_TRUE(GetWindowLongA(dialog_, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME) << "DS_MODALFRAME";
    ExpectSizeAndCentre(dialog_, *units_, 270, 141);
}

TEST_F(MainDialog, ControlsMatchTheLayout)
{
    ExpectControls(dialog_, *units_, MainDialogControls());
}

TEST_F(MainDialog, StartsWithNothingChosenAndStartDisabled)
{
    for (int box : {IDC_FORCE_DISMOUNT, IDC_ENABLE_LBA, IDC_KEEP_MBR_CODE, IDC_QUICK_FORMAT})
        EXPECT_EQ(SendDlgItemMessageA(dialog_, box, BM_GETCHECK, 0, 0), BST_UNCHECKED)
            << "check box " << box;
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog_, IDOK))) << "Start";
    for (int control : {IDC_DISK_LIST, IDC_LABEL, IDC_REFRESH, IDC_ABOUT, IDC_STATUS})
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, control))) << "control " << control;
    HWND list = GetDlgItem(dialog_, IDC_DISK_LIST);
    EXPECT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 1) << "disk list items";
    EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 0) << "disk list selection";
}

TEST_F(MainDialog, ScreenshotIsWritten)
{
    std::string error = TakeScreenshot(Options().screenshots, "main", dialog_);
    EXPECT_EQ(error, "");
}

TEST_F(MainDialog, FormatProgressShowsInTheStatusLine)
{
    DWORD_PTR ignored = 0;
    ASSERT_TRUE(SendMessageTimeoutA(dialog_, WM_FORMAT_PROGRESS, 100, 0, SMTO_ABORTIFHUNG, 5000,
                                    &ignored));
    EXPECT_EQ(TextOf(GetDlgItem(dialog_, IDC_STATUS)), "Formating...(100%)");
}

TEST_F(MainDialog, EscapeEndsTheProgramWithExitCodeZero)
{
    PressEscape(dialog_);
    DWORD exitCode = 0;
    ASSERT_TRUE(run_->WaitForExit(10000, &exitCode)) << "still running 10 s after Escape";
    EXPECT_EQ(exitCode, 0u);
}

} // namespace
