// The dialogs as the templates build them: each dialog's style, size and
// font, every control's id, class, style, text, place and image, and the
// program's resources with their formats.
#include "program_run.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

struct ControlRow {
    int id;
    const char* className;
    DWORD styleBits;
    const char* text; // nullptr: not compared
    winsim::DialogUnits rect;
    int image = 0; // the resource an image static shows; it sizes itself to it
};

struct DialogRow {
    int templateId;
    DWORD styleBits, absentBits, exStyleBits;
    int cx, cy, points;
    const char* face;
    std::vector<ControlRow> controls;
};

const DWORD kTab = WS_TABSTOP;

const DialogRow kDialogs[] = {
    {IDD_MAIN, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_CENTER |
                   DS_SETFONT | DS_FIXEDSYS, 0, 0, 270, 141, 8, "MS Shell Dlg", {
        {IDOK, "Button", BS_DEFPUSHBUTTON | kTab, "Start...", {213, 87, 50, 33}},
        {IDC_DISK_LIST, "ComboBox", CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | kTab, nullptr,
         {7, 39, 201, 53}},
        {IDC_LABEL, "Edit", WS_BORDER | ES_AUTOHSCROLL | kTab, "", {18, 89, 76, 12}},
        {IDC_REFRESH, "Button", BS_PUSHBUTTON | kTab, "Refresh", {213, 38, 50, 14}},
        {IDC_FORCE_DISMOUNT, "Button", BS_AUTOCHECKBOX | kTab, "Force Volume Dismount",
         {111, 81, 92, 8}},
        {IDC_ENABLE_LBA, "Button", BS_AUTOCHECKBOX | kTab, "Enable LBA (Fat16X)",
         {111, 108, 87, 8}},
        {IDC_KEEP_MBR_CODE, "Button", BS_AUTOCHECKBOX | kTab, "Don't rewrite MBR code",
         {111, 94, 87, 8}},
        {IDC_QUICK_FORMAT, "Button", BS_AUTOCHECKBOX | kTab, "Quick Format", {111, 67, 65, 8}},
        {IDC_STATUS, "Edit", ES_READONLY | WS_BORDER | ES_AUTOHSCROLL | kTab, "",
         {7, 127, 256, 12}},
        {IDC_STATIC, "Button", BS_GROUPBOX, "Options :", {7, 57, 200, 64}},
        {IDC_STATIC, "Static", SS_LEFT | WS_GROUP, "Label :", {19, 80, 58, 8}},
        {IDC_ABOUT, "Button", BS_PUSHBUTTON | kTab, "About...", {213, 62, 50, 14}},
        {IDC_BANNER, "Static", SS_BITMAP | SS_NOTIFY, "", {7, 0, 0, 0}, IDB_BANNER},
    }},
    // No caption and no buttons: Escape or a click closes it.
    {IDD_ABOUT, WS_POPUP | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, WS_DLGFRAME, WS_EX_CLIENTEDGE,
     187, 187, 10, "Courier New", {
        {IDC_ABOUT_ICON, "Static", SS_ICON | SS_NOTIFY, "", {80, 7, 0, 0}, IDI_APP},
        {IDC_ABOUT_TITLE, "Static", SS_CENTER | WS_GROUP, "Tarnwick", {60, 31, 62, 8}},
        {IDC_STATIC, "Static", SS_LEFT,
         "Tarnwick is a small utility that will format and make DOS bootable your USB Flash "
         "Stick.\n\nIt will copy the necessary DOS files (command.com, io.sys, msdos.sys) from "
         "diskcopy.dll. Diskcopy.dll is supplied with you windows (XP/2003) operating system.",
         {7, 47, 173, 72}},
        {IDC_STATIC, "Static", SS_CENTER, "IMPORTANT :\nWindows XP/2003 IS Required!",
         {7, 134, 173, 17}},
        {IDC_STATIC, "Static", SS_CENTER, nullptr, {7, 171, 173, 9}},
    }},
};

void ExpectDialog(HWND dialog, const DialogRow& d)
{
    SCOPED_TRACE("dialog " + std::to_string(d.templateId));
    EXPECT_EQ(winsim::DialogTemplateId(dialog), d.templateId);
    EXPECT_EQ(winsim::Style(dialog) & (d.styleBits | d.absentBits), d.styleBits);
    EXPECT_EQ(winsim::ExStyle(dialog) & d.exStyleBits, d.exStyleBits);
    EXPECT_EQ(winsim::Rect(dialog).cx, d.cx);
    EXPECT_EQ(winsim::Rect(dialog).cy, d.cy);
    EXPECT_EQ(winsim::Font(dialog).pointSize, d.points);
    EXPECT_EQ(winsim::Font(dialog).face, d.face);
    std::vector<HWND> children = winsim::Children(dialog);
    ASSERT_EQ(children.size(), d.controls.size());
    for (std::size_t i = 0; i < children.size(); i++) {
        const ControlRow& row = d.controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(row.id) + ")");
        HWND c = children[i];
        EXPECT_EQ(winsim::Id(c), row.id);
        EXPECT_EQ(winsim::ClassName(c), row.className);
        DWORD wanted = row.styleBits | WS_VISIBLE;
        EXPECT_EQ(winsim::Style(c) & (wanted | WS_DISABLED), wanted);
        if (row.text)
            EXPECT_EQ(winsim::Text(c), row.text);
        winsim::DialogUnits r = winsim::Rect(c);
        EXPECT_EQ(std::vector<int>({r.x, r.y}), std::vector<int>({row.rect.x, row.rect.y}));
        if (row.image == 0) {
            EXPECT_EQ(std::vector<int>({r.cx, r.cy}), std::vector<int>({row.rect.cx, row.rect.cy}));
            continue;
        }
        const winsim::Resource* image = winsim::ImageResource(winsim::StaticImage(c));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->nameId, row.image);
    }
}

// A resource as "type name language", and an image's format: a bitmap's
// and an icon's width, height (an icon's counts its mask), bits and
// compression; a group's image count and its first's width, height, bits.
std::string Describe(const winsim::Resource& r)
{
    auto le = [&r](std::size_t at, int bytes) {
        std::int64_t v = 0;
        for (int i = bytes - 1; i >= 0; i--)
            v = v << 8 | r.data.at(at + i);
        return std::to_string(bytes == 4 ? std::abs((std::int64_t)(std::int32_t)v) : v);
    };
    std::string s = std::to_string(r.typeId) + " " + std::to_string(r.nameId) + " " +
                    std::to_string(r.language);
    if (r.typeId == 2 || r.typeId == 3)
        s += ": " + le(4, 4) + " x " + le(8, 4) + ", " + le(14, 2) + " bits, " + le(16, 4);
    if (r.typeId == 14)
        s += ": " + le(4, 2) + ", " + le(6, 1) + " x " + le(7, 1) + ", " + le(12, 2) + " bits";
    return s;
}

} // namespace

TEST(DialogLayout, BothDialogsMatchTheirTables)
{
    tests::ProgramRun run;
    run.Then([](HWND main) {
        EXPECT_EQ(winsim::Text(main), "Tarnwick");
        ExpectDialog(main, kDialogs[0]);
        winsim::UserClick(winsim::DialogItem(main, IDC_ABOUT));
    });
    run.Then([](HWND about) { ExpectDialog(about, kDialogs[1]); });
    EXPECT_EQ(run.Run(), 0);
    EXPECT_EQ(run.Count("dialog"), 2);
}

// British English; the manifest language-neutral, as the loader looks it up.
TEST(ProgramResources, AllInBritishEnglishWithTheirFormats)
{
    tests::FreshMachine();
    std::vector<std::string> found;
    for (const auto& r : winsim::ProgramResources())
        found.push_back(Describe(r));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{
                         "14 102 2057: 1, 32 x 32, 4 bits",
                         "16 1 2057",
                         "2 104 2057: 384 x 58, 24 bits, 0",
                         "24 1 0",
                         "3 1 2057: 32 x 64, 4 bits, 0",
                         "5 101 2057",
                         "5 110 2057",
                     }));
}
