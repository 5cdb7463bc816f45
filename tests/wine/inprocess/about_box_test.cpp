// The About box built from this program's own resources and run by the
// product's procedure (modeless here: no click or Escape may reach it).
#include "gdi_facts.h"
#include "static_cursor.h"

#include "app/dialogs.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

class AboutBoxInProcess : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ResetStaticCursorToArrow());
        about_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT),
                                    nullptr, AboutDlgProc, reinterpret_cast<LPARAM>("Probe Title"));
        ASSERT_NE(about_, nullptr) << "CreateDialogParam failed, error " << GetLastError();
    }

    void TearDown() override
    {
        if (about_ != nullptr)
            DestroyWindow(about_);
    }

    HWND about_ = nullptr;
};

TEST_F(AboutBoxInProcess, EveryStaticShowsTheHandCursor)
{
    int statics = 0;
    for (HWND child = GetWindow(about_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        statics++;
        EXPECT_EQ(GetClassLongA(child, GCL_HCURSOR), (DWORD)(LONG_PTR)HandCursor())
            << "static " << statics << ", id " << GetDlgCtrlID(child);
    }
    EXPECT_EQ(statics, 5);
}

TEST_F(AboutBoxInProcess, ShowsTheTitleItIsGiven)
{
    char text[32] = "";
    GetDlgItemTextA(about_, IDC_ABOUT_TITLE, text, sizeof text);
    EXPECT_STREQ(text, "Probe Title");
}

TEST_F(AboutBoxInProcess, IconIsTheProgramIconAt32By32)
{
    HWND icon = GetDlgItem(about_, IDC_ABOUT_ICON);
    HICON shown = reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
    SIZE size = IconSize(shown);
    EXPECT_EQ(size.cx, 32);
    EXPECT_EQ(size.cy, 32);
}

TEST_F(AboutBoxInProcess, FontIs10PointCourierNew)
{
    EXPECT_EQ(DescribeFont(about_), "Courier New, 10 pt");
}

} // namespace
