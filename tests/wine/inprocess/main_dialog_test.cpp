// The main dialog built from this program's own copy of the resources and run
// by the product's dialog procedure, for what no other process can read.
// The dialog is modeless here, so nothing may reach its EndDialog paths.
#include "gdi_facts.h"
#include "static_cursor.h"

#include "app/dialogs.h"
#include "app/ui.h"
#include "res/resource.h"
#include "volume/format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class MainDialogInProcess : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ResetStaticCursorToArrow());
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN),
                                     nullptr, MainDlgProc, 0);
        ASSERT_NE(dialog_, nullptr) << "CreateDialogParam failed, error " << GetLastError();
    }

    void TearDown() override
    {
        if (dialog_ != nullptr)
            DestroyWindow(dialog_);
    }

    HWND Item(int id) const { return GetDlgItem(dialog_, id); }

    HWND dialog_ = nullptr;
};

HWND LabelCaption(HWND dialog)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[16] = "";
        GetWindowTextA(child, text, sizeof text);
        if (std::string(text) == "Label :")
            return child;
    }
    return nullptr;
}

TEST_F(MainDialogInProcess, RemembersItselfAsTheMainDialog)
{
    EXPECT_EQ(g_hMainDlg, dialog_);
}

TEST_F(MainDialogInProcess, StaticsShowTheHandCursor)
{
    HWND caption = LabelCaption(dialog_);
    ASSERT_NE(caption, nullptr) << "no \"Label :\" static";
    EXPECT_EQ(GetClassLongA(Item(IDC_BANNER), GCL_HCURSOR), (DWORD)(LONG_PTR)HandCursor())
        << "banner";
    EXPECT_EQ(GetClassLongA(caption, GCL_HCURSOR), (DWORD)(LONG_PTR)HandCursor())
        << "\"Label :\" static";
}

TEST_F(MainDialogInProcess, BigIconIsTheProgramIconAndNoSmallIconIsSet)
{
    HICON big = reinterpret_cast<HICON>(SendMessageA(dialog_, WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(big, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP)));
    SIZE size = IconSize(big);
    EXPECT_EQ(size.cx, 32) << "big icon width";
    EXPECT_EQ(size.cy, 32) << "big icon height";
    EXPECT_EQ(SendMessageA(dialog_, WM_GETICON, ICON_SMALL, 0), 0) << "a small icon is set";
}

TEST_F(MainDialogInProcess, BannerShowsTheTrueColourBitmapAt384By58)
{
    // The static keeps a screen-compatible copy, so its depth is the screen's.
    HDC screen = GetDC(nullptr);
    int screenBits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    LRESULT image = SendMessageA(Item(IDC_BANNER), STM_GETIMAGE, IMAGE_BITMAP, 0);
    EXPECT_EQ(DescribeBitmap(reinterpret_cast<HBITMAP>(image)),
              "384 x 58 x " + std::to_string(screenBits));
    EXPECT_EQ(DescribeBitmapResource(IDB_BANNER), "384 x 58 x 24");
}

TEST_F(MainDialogInProcess, DiskListHoldsOnlyThePlaceholderAndDropsTo53Units)
{
    HWND list = Item(IDC_DISK_LIST);
    ASSERT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 1);
    char text[64] = "";
    SendMessageA(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "    No USB Disks Found!");

    // The template's 53 units are the dropped height, not the closed box's
    // (Wine reports the list part only, Windows the box and the list).
    RECT dropped = {};
    RECT box = {};
    SendMessageA(list, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    GetWindowRect(list, &box);
    RECT units = {0, 0, 201, 53};
    MapDialogRect(dialog_, &units);
    EXPECT_EQ(dropped.right - dropped.left, units.right) << "dropped width";
    EXPECT_GT(dropped.bottom - dropped.top, 2 * (box.bottom - box.top)) << "dropped height";
    EXPECT_LE(dropped.bottom - dropped.top, units.bottom) << "dropped height";
}

TEST_F(MainDialogInProcess, LongDiskListScrolls)
{
    HWND list = Item(IDC_DISK_LIST);
    for (int i = 0; i < 20; i++)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Disk"));
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(list, &info));
    EXPECT_TRUE(GetWindowLongA(info.hwndList, GWL_STYLE) & WS_VSCROLL) << "no scroll bar";
}

TEST_F(MainDialogInProcess, LabelBoxTakesElevenTypedCharacters)
{
    HWND label = Item(IDC_LABEL);
    EXPECT_EQ(SendMessageA(label, EM_GETLIMITTEXT, 0, 0), 11);
    for (int i = 0; i < 15; i++)
        SendMessageA(label, WM_CHAR, 'A' + i, 1);
    char text[32] = "";
    GetWindowTextA(label, text, sizeof text);
    EXPECT_STREQ(text, "ABCDEFGHIJK");
}

TEST_F(MainDialogInProcess, FormatProgressSetsTheStatusLine)
{
    SendMessageA(dialog_, WM_FORMAT_PROGRESS, 37, 0);
    char text[64] = "";
    GetDlgItemTextA(dialog_, IDC_STATUS, text, sizeof text);
    EXPECT_STREQ(text, "Formating...(37%)");
}

TEST_F(MainDialogInProcess, FontIs8PointMsShellDlg)
{
    EXPECT_EQ(DescribeFont(dialog_), "MS Shell Dlg, 8 pt");
}

} // namespace
