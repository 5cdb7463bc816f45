// The About box of the real tarnwick.exe, opened from its main dialog. Every
// test opens it afresh; each way of closing it must leave the program running.
#include "control_check.h"
#include "dialog_frame.h"
#include "driver_options.h"
#include "program_run.h"
#include "screenshot.h"
#include "user_input.h"
#include "window_facts.h"
#include "window_finder.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class AboutBox : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        run_ = std::make_unique<ProgramRun>(Options().program);
        if (run_->Started())
            main_ = WaitForDialog(run_->Id(), nullptr, "Tarnwick", 15000);
        units_ = std::make_unique<TemplateDialog>(Options().program, IDD_ABOUT);
    }

    static void TearDownTestSuite()
    {
        if (main_ != nullptr) {
            PressEscape(main_);
            DWORD exitCode = 0;
            EXPECT_TRUE(run_->WaitForExit(10000, &exitCode)) << "still running after Escape";
            EXPECT_EQ(exitCode, 0u);
        }
        units_.reset();
        run_.reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(run_->Started()) << run_->Error();
        ASSERT_NE(main_, nullptr) << "no main dialog appeared";
        ASSERT_TRUE(units_->Ok()) << units_->Error();
        PostMessageA(main_, WM_COMMAND, MAKEWPARAM(IDC_ABOUT, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(main_, IDC_ABOUT)));
        about_ = WaitForDialog(run_->Id(), main_, nullptr, 10000);
        ASSERT_NE(about_, nullptr) << "no About box owned by the main dialog appeared";
    }

    void TearDown() override
    {
        if (about_ != nullptr && !WaitForWindowGone(about_, 0)) {
            PressEscape(about_);
            WaitForWindowGone(about_, 5000);
        }
    }

    void ExpectClosedAndProgramRunning(const char* how)
    {
        EXPECT_TRUE(WaitForWindowGone(about_, 5000)) << "the About box stayed open after " << how;
        EXPECT_TRUE(IsWindowVisible(main_)) << "the main dialog went away after " << how;
        EXPECT_TRUE(IsWindowEnabled(main_)) << "the main dialog stayed disabled after " << how;
    }

    HWND Child(size_t index) const { return ChildrenOf(about_).at(index); }

    static std::unique_ptr<ProgramRun> run_;
    static std::unique_ptr<TemplateDialog> units_;
    static HWND main_;
    HWND about_ = nullptr;
};

std::unique_ptr<ProgramRun> AboutBox::run_;
std::unique_ptr<TemplateDialog> AboutBox::units_;
HWND AboutBox::main_ = nullptr;

TEST_F(AboutBox, HasNoCaptionNoButtonsAndItsLayout)
{
    DWORD style = GetWindowLongA(about_, GWL_STYLE);
    DWORD exStyle = GetWindowLongA(about_, GWL_EXSTYLE);
    EXPECT_NE(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION)) << "has a caption";
    DWORD wanted = WS_POPUP | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
    EXPECT_EQ(style & wanted, wanted) << "style " << std::hex << style;
    EXPECT_TRUE(exStyle & WS_EX_CLIENTEDGE) << "WS_EX_CLIENTEDGE";
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME) << "DS_MODALFRAME";
    EXPECT_FALSE(IsWindowEnabled(main_)) << "the main dialog takes input while the box is up";
    for (HWND child : ChildrenOf(about_))
        EXPECT_STRCASENE(ClassOf(child).c_str(), "Button")
            << "a button, \"" << TextOf(child) << "\"";
    ExpectSizeAndCentre(about_, *units_, 187, 187);
    ExpectControls(about_, *units_, AboutBoxControls());
}

TEST_F(AboutBox, ScreenshotIsWritten)
{
    EXPECT_EQ(TakeScreenshot(Options().screenshots, "about", about_), "");
}

TEST_F(AboutBox, ClosesOnEscape)
{
    PressEscape(about_);
    ExpectClosedAndProgramRunning("Escape");
}

TEST_F(AboutBox, ClosesOnAClickOnItsIcon)
{
    ASSERT_TRUE(ClickOn(Child(0))) << "SendInput failed";
    ExpectClosedAndProgramRunning("a click on the icon");
}

TEST_F(AboutBox, ClosesOnAClickOnItsText)
{
    ASSERT_TRUE(ClickOn(Child(2))) << "SendInput failed";
    ExpectClosedAndProgramRunning("a click on the description");
}

} // namespace
