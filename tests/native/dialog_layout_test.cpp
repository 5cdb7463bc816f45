// The dialogs as the templates build them: every control's id, class,
// style, text and place, the fonts, and the four resources' formats.
#include "program_run.h"

#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

struct ControlRow {
    int id;
    const char* className;
    DWORD styleBits;
    const char* text;
    winsim::DialogUnits rect;
};

const ControlRow kMainControls[] = {
    {IDOK, "Button", BS_DEFPUSHBUTTON | WS_TABSTOP, "Start...", {213, 87, 50, 33}},
    {IDC_DISK_LIST, "ComboBox", CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP, nullptr,
     {7, 39, 201, 53}},
    {IDC_LABEL, "Edit", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, "", {18, 89, 76, 12}},
    {IDC_REFRESH, "Button", BS_PUSHBUTTON | WS_TABSTOP, "Refresh", {213, 38, 50, 14}},
    {IDC_FORCE_DISMOUNT, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, "Force Volume Dismount",
     {111, 81, 92, 8}},
    {IDC_ENABLE_LBA, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, "Enable LBA (Fat16X)",
     {111, 108, 87, 8}},
    {IDC_KEEP_MBR_CODE, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, "Don't rewrite MBR code",
     {111, 94, 87, 8}},
    {IDC_QUICK_FORMAT, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, "Quick Format", {111, 67, 65, 8}},
    {IDC_STATUS, "Edit", ES_READONLY | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, "",
     {7, 127, 256, 12}},
    {IDC_STATIC, "Button", BS_GROUPBOX, "Options :", {7, 57, 200, 64}},
    {IDC_STATIC, "Static", SS_LEFT | WS_GROUP, "Label :", {19, 80, 58, 8}},
    {IDC_ABOUT, "Button", BS_PUSHBUTTON | WS_TABSTOP, "About...", {213, 62, 50, 14}},
    {IDC_BANNER, "Static", SS_BITMAP | SS_NOTIFY, "", {7, 0, 256, 36}},
};

const ControlRow kAboutControls[] = {
    {IDC_ABOUT_ICON, "Static", SS_ICON | SS_NOTIFY, "", {80, 7, 16, 16}},
    {IDC_ABOUT_TITLE, "Static", SS_CENTER | WS_GROUP, "Tarnwick", {60, 31, 62, 8}},
    {IDC_STATIC, "Static", SS_LEFT,
     "Tarnwick is a small utility that will format and make DOS bootable your USB Flash "
     "Stick.\n\nIt will copy the necessary DOS files (command.com, io.sys, msdos.sys) from "
     "diskcopy.dll. Diskcopy.dll is supplied with you windows (XP/2003) operating system.",
     {7, 47, 173, 72}},
    {IDC_STATIC, "Static", SS_CENTER, "IMPORTANT :\nWindows XP/2003 IS Required!",
     {7, 134, 173, 17}},
    {IDC_STATIC, "Static", SS_CENTER, nullptr, {7, 171, 173, 9}},
};

template <std::size_t N>
void ExpectControls(HWND dialog, const ControlRow (&rows)[N])
{
    std::vector<HWND> children = winsim::Children(dialog);
    ASSERT_EQ(children.size(), N);
    for (std::size_t i = 0; i < N; i++) {
        SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(rows[i].id) + ")");
        HWND c = children[i];
        EXPECT_EQ(winsim::Id(c), rows[i].id);
        EXPECT_EQ(winsim::ClassName(c), rows[i].className);
        DWORD style = winsim::Style(c);
        EXPECT_EQ(style & rows[i].styleBits, rows[i].styleBits);
        EXPECT_TRUE(style & WS_VISIBLE);
        EXPECT_FALSE(style & WS_DISABLED);
        if (rows[i].text)
            EXPECT_EQ(winsim::Text(c), rows[i].text);
        winsim::DialogUnits r = winsim::Rect(c);
        EXPECT_EQ(r.x, rows[i].rect.x);
        EXPECT_EQ(r.y, rows[i].rect.y);
        // Image statics size themselves to their image.
        if ((style & SS_TYPEMASK) != SS_ICON && (style & SS_TYPEMASK) != SS_BITMAP) {
            EXPECT_EQ(r.cx, rows[i].rect.cx);
            EXPECT_EQ(r.cy, rows[i].rect.cy);
        }
    }
}

DWORD Le32(const std::vector<unsigned char>& d, std::size_t at)
{
    return (DWORD)d.at(at) | (DWORD)d.at(at + 1) << 8 | (DWORD)d.at(at + 2) << 16 |
           (DWORD)d.at(at + 3) << 24;
}

WORD Le16(const std::vector<unsigned char>& d, std::size_t at)
{
    return (WORD)(d.at(at) | d.at(at + 1) << 8);
}

} // namespace

TEST(DialogLayout, MainDialogMatchesItsTable)
{
    tests::ProgramRun run;
    run.Then([](HWND dialog) {
        EXPECT_EQ(winsim::Text(dialog), "Tarnwick");
        DWORD style = winsim::Style(dialog);
        DWORD wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME |
                       DS_CENTER | DS_SETFONT | DS_FIXEDSYS;
        EXPECT_EQ(style & wanted, wanted);
        winsim::DialogUnits r = winsim::Rect(dialog);
        EXPECT_EQ(r.cx, 270);
        EXPECT_EQ(r.cy, 141);
        winsim::DialogFont font = winsim::Font(dialog);
        EXPECT_EQ(font.pointSize, 8);
        EXPECT_EQ(font.face, "MS Shell Dlg");
        ExpectControls(dialog, kMainControls);
        HWND banner = winsim::DialogItem(dialog, IDC_BANNER);
        const winsim::Resource* image = winsim::ImageResource(winsim::StaticImage(banner));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->typeId, 2);
        EXPECT_EQ(image->nameId, IDB_BANNER);
    });
    EXPECT_EQ(run.Run(), 0);
}

TEST(DialogLayout, AboutBoxHasNoCaptionNoButtonsAndItsTexts)
{
    tests::ProgramRun run;
    run.Then([](HWND main) { winsim::UserClick(winsim::DialogItem(main, IDC_ABOUT)); });
    run.Then([](HWND about) {
        EXPECT_EQ(winsim::DialogTemplateId(about), IDD_ABOUT);
        DWORD style = winsim::Style(about);
        EXPECT_NE(style & WS_CAPTION, (DWORD)WS_CAPTION);
        EXPECT_FALSE(style & WS_DLGFRAME);
        DWORD wanted = WS_POPUP | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
        EXPECT_EQ(style & wanted, wanted);
        EXPECT_TRUE(winsim::ExStyle(about) & WS_EX_CLIENTEDGE);
        winsim::DialogUnits r = winsim::Rect(about);
        EXPECT_EQ(r.cx, 187);
        EXPECT_EQ(r.cy, 187);
        EXPECT_EQ(winsim::Font(about).pointSize, 10);
        EXPECT_EQ(winsim::Font(about).face, "Courier New");
        ExpectControls(about, kAboutControls);
        for (HWND c : winsim::Children(about))
            EXPECT_NE(winsim::ClassName(c), "Button");
        const winsim::Resource* icon = winsim::ImageResource(
            winsim::StaticImage(winsim::DialogItem(about, IDC_ABOUT_ICON)));
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->nameId, IDI_APP);
        winsim::UserEscape(about);
    });
    EXPECT_EQ(run.Run(), 0);
}

TEST(ProgramResources, AllInBritishEnglishWithTheirFormats)
{
    tests::FreshMachine();
    const auto& resources = winsim::ProgramResources();
    int dialogs = 0, groupIcons = 0, icons = 0, bitmaps = 0, versions = 0, manifests = 0;
    for (const auto& r : resources) {
        SCOPED_TRACE("resource type " + std::to_string(r.typeId) + " name " +
                     std::to_string(r.nameId));
        // The manifest is language-neutral, as the loader looks it up.
        EXPECT_EQ(r.language, r.typeId == 24 ? 0 : 2057);
        switch (r.typeId) {
        case 5:
            dialogs++;
            EXPECT_TRUE(r.nameId == IDD_MAIN || r.nameId == IDD_ABOUT);
            EXPECT_EQ(Le16(r.data, 0), 1);      // extended template
            EXPECT_EQ(Le16(r.data, 2), 0xFFFF);
            break;
        case 14: // one 32 x 32 image of 16 colours
            groupIcons++;
            EXPECT_EQ(r.nameId, IDI_APP);
            EXPECT_EQ(Le16(r.data, 4), 1);
            EXPECT_EQ(r.data.at(6), 32);
            EXPECT_EQ(r.data.at(7), 32);
            EXPECT_EQ(Le16(r.data, 12), 4);
            break;
        case 3:
            icons++;
            EXPECT_EQ(Le32(r.data, 4), 32u);
            EXPECT_EQ(Le32(r.data, 8), 64u); // image and mask
            EXPECT_EQ(Le16(r.data, 14), 4);
            break;
        case 2: // 384 x 58, 24 bits, uncompressed
            bitmaps++;
            EXPECT_EQ(r.nameId, IDB_BANNER);
            EXPECT_EQ(Le32(r.data, 0), 40u);
            EXPECT_EQ(Le32(r.data, 4), 384u);
            EXPECT_EQ((int)Le32(r.data, 8) < 0 ? -(int)Le32(r.data, 8) : (int)Le32(r.data, 8), 58);
            EXPECT_EQ(Le16(r.data, 14), 24);
            EXPECT_EQ(Le32(r.data, 16), 0u);
            break;
        case 16:
            versions++;
            EXPECT_EQ(r.nameId, 1);
            break;
        case 24:
            manifests++;
            EXPECT_EQ(r.nameId, 1);
            break;
        default:
            ADD_FAILURE() << "unexpected resource";
        }
    }
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(groupIcons, 1);
    EXPECT_EQ(icons, 1);
    EXPECT_EQ(bitmaps, 1);
    EXPECT_EQ(versions, 1);
    EXPECT_EQ(manifests, 1);
}
