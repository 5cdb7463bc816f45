// The product's dialogs built from this program's resources, for what only
// their own process can read: class data and GDI objects. They are modeless
// here, so nothing may reach their EndDialog paths.
#include "app/dialogs.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Dialog {
    explicit Dialog(int id)
        : window(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr,
                                    id == IDD_ABOUT ? AboutDlgProc : MainDlgProc,
                                    reinterpret_cast<LPARAM>("Tarnwick")))
    {
    }
    ~Dialog() { DestroyWindow(window); }
    HWND Item(int id) const { return GetDlgItem(window, id); }
    HWND window;
};

// "WIDTH x HEIGHT" of an icon or a bitmap.
std::string SizeOf(HBITMAP bitmap, bool monochromeIcon = false)
{
    BITMAP facts = {};
    if (GetObjectA(bitmap, sizeof facts, &facts) == 0)
        return "nothing";
    int height = monochromeIcon ? facts.bmHeight / 2 : facts.bmHeight; // mask over image
    return std::to_string(facts.bmWidth) + " x " + std::to_string(height);
}

std::string SizeOf(HICON icon)
{
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info))
        return "no icon";
    std::string size = info.hbmColor ? SizeOf(info.hbmColor) : SizeOf(info.hbmMask, true);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return size;
}

TEST(DialogsInProcess, EachDialogGivesTheStaticClassTheHandCursor)
{
    const auto hand = reinterpret_cast<ULONG_PTR>(LoadCursorA(nullptr, IDC_HAND));
    const auto arrow = reinterpret_cast<ULONG_PTR>(LoadCursorA(nullptr, IDC_ARROW));
    ASSERT_NE(hand, arrow);
    HWND probe = CreateWindowA("Static", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                               nullptr);
    for (int id : {IDD_MAIN, IDD_ABOUT}) {
        // Back to the arrow first, so that each dialog must set the hand itself.
        SetClassLongPtrA(probe, GCLP_HCURSOR, static_cast<LONG_PTR>(arrow));
        ASSERT_EQ(GetClassLongPtrA(probe, GCLP_HCURSOR), arrow);
        Dialog dialog(id);
        ASSERT_NE(dialog.window, nullptr) << "CreateDialogParam, error " << GetLastError();
        EXPECT_EQ(GetClassLongPtrA(probe, GCLP_HCURSOR), hand) << "dialog " << id;
    }
    DestroyWindow(probe);
}

TEST(DialogsInProcess, IconsAre32By32TheBanner384By58)
{
    Dialog main(IDD_MAIN);
    Dialog about(IDD_ABOUT);
    ASSERT_NE(main.window, nullptr);
    ASSERT_NE(about.window, nullptr);
    HICON big = reinterpret_cast<HICON>(SendMessageA(main.window, WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(big, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP)));
    EXPECT_EQ(SizeOf(big), "32 x 32") << "main dialog";
    EXPECT_EQ(SendMessageA(main.window, WM_GETICON, ICON_SMALL, 0), 0) << "a small icon is set";
    HICON shown = reinterpret_cast<HICON>(
        SendMessageA(about.Item(IDC_ABOUT_ICON), STM_GETICON, 0, 0));
    EXPECT_EQ(SizeOf(shown), "32 x 32") << "About box";
    auto banner = reinterpret_cast<HBITMAP>(
        SendMessageA(main.Item(IDC_BANNER), STM_GETIMAGE, IMAGE_BITMAP, 0));
    EXPECT_EQ(SizeOf(banner), "384 x 58") << "banner";
}

TEST(DialogsInProcess, LabelBoxTakesElevenTypedCharacters)
{
    Dialog main(IDD_MAIN);
    ASSERT_NE(main.window, nullptr);
    for (char c = 'A'; c < 'A' + 15; c++)
        SendMessageA(main.Item(IDC_LABEL), WM_CHAR, c, 1);
    char text[32] = "";
    GetWindowTextA(main.Item(IDC_LABEL), text, sizeof text);
    EXPECT_STREQ(text, "ABCDEFGHIJK");
}

} // namespace
