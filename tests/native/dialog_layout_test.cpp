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
    const char* look; // size in dialog units and font
    std::vector<ControlRow> controls;
};

const DWORD kTab = WS_TABSTOP;

const DialogRow kDialogs[] = {
    {IDD_MAIN, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_CENTER |
                   DS_SETFONT | DS_FIXEDSYS, 0, 0, "270 x 141, 8 pt MS Shell Dlg", {
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
     "187 x 187, 10 pt Courier New", {
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
    winsim::DialogUnits size = winsim::Rect(dialog);
    winsim::DialogFont font = winsim::Font(dialog);
    EXPECT_EQ(std::to_string(size.cx) + " x " + std::to_string(size.cy) + ", " +
                  std::to_string(font.pointSize) + " pt " + font.face,
              d.look);
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
        if (row.image) {
            r.cx = r.cy = 0;
            const winsim::Resource* image = winsim::ImageResource(winsim::StaticImage(c));
            EXPECT_EQ(image ? image->nameId : 0, row.image);
        }
        EXPECT_EQ(std::vector<int>({r.x, r.y, r.cx, r.cy}),
                  std::vector<int>({row.rect.x, row.rect.y, row.rect.cx, row.rect.cy}));
    }
}

} // namespace

TEST(DialogLayout, BothDialogsMatchTheirTables)
{
    tests::ProgramRun run;
    run.Then([](HWND main) {
        ExpectDialog(main, kDialogs[0]);
        winsim::UserClick(winsim::DialogItem(main, IDC_ABOUT));
    });
    run.Then([](HWND about) { ExpectDialog(about, kDialogs[1]); });
    EXPECT_EQ(run.Run(), 0);
    EXPECT_EQ(run.Count("dialog"), 2);
}

// British English, the manifest language-neutral as the loader looks it up;
// the images in formats Windows XP shows: one 16-colour 32 x 32 icon (its
// height counts the mask) and a 24-bit 384 x 58 banner, uncompressed.
TEST(ProgramResources, AllInBritishEnglishWithTheirFormats)
{
    tests::FreshMachine();
    std::vector<std::string> found;
    for (const auto& r : winsim::ProgramResources()) {
        auto le32 = [&d = r.data](std::size_t at) {
            auto v = (std::int32_t)(d.at(at) | d.at(at + 1) << 8 | d.at(at + 2) << 16 |
                                    (std::uint32_t)d.at(at + 3) << 24);
            return std::to_string(std::abs(v));
        };
        std::string s = std::to_string(r.typeId) + " " + std::to_string(r.nameId) + " " +
                        std::to_string(r.language);
        if (r.typeId == 5) // 1, FFFF: an extended template
            s += r.data.at(0) == 1 && r.data.at(2) == 0xFF ? " extended" : " plain";
        if (r.typeId == 2 || r.typeId == 3) // width, height, bits, compression
            s += ": " + le32(4) + " x " + le32(8) + ", " + std::to_string(r.data.at(14)) +
                 " bits, " + le32(16);
        found.push_back(s);
    }
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"14 102 2057", "16 1 2057",
                                               "2 104 2057: 384 x 58, 24 bits, 0", "24 1 0",
                                               "3 1 2057: 32 x 64, 4 bits, 0",
                                               "5 101 2057 extended", "5 110 2057 extended"}));
}
