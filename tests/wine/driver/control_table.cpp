#include "control_table.h"

#include "res/resource.h"

namespace {

const DWORD kButtonKind = BS_TYPEMASK;
const DWORD kStaticKind = SS_TYPEMASK;
const DWORD kComboKind = 0x3;

} // namespace

const std::vector<ControlRow>& MainDialogControls()
{
    static const std::vector<ControlRow> rows = {
        {"Start", IDOK, "Button", kButtonKind, BS_DEFPUSHBUTTON, 0, true, false, "Start...",
         213, 87, 50, 33, {}, false},
        // The combo box hands WS_VSCROLL on to its list (checked in process).
        {"disk list", IDC_DISK_LIST, "ComboBox", kComboKind, CBS_DROPDOWNLIST, CBS_SORT, true,
         false, "    No USB Disks Found!", 7, 39, 201, 53, {}, true},
        {"label box", IDC_LABEL, "Edit", 0, 0, ES_AUTOHSCROLL, true, true, "", 18, 89, 76, 12,
         {}, false},
        {"Refresh", IDC_REFRESH, "Button", kButtonKind, BS_PUSHBUTTON, 0, true, false, "Refresh",
         213, 38, 50, 14, {}, false},
        {"Force Volume Dismount", IDC_FORCE_DISMOUNT, "Button", kButtonKind, BS_AUTOCHECKBOX, 0,
         true, false, "Force Volume Dismount", 111, 81, 92, 8, {}, false},
        {"Enable LBA", IDC_ENABLE_LBA, "Button", kButtonKind, BS_AUTOCHECKBOX, 0, true, false,
         "Enable LBA (Fat16X)", 111, 108, 87, 8, {}, false},
        {"Don't rewrite MBR code", IDC_KEEP_MBR_CODE, "Button", kButtonKind, BS_AUTOCHECKBOX, 0,
         true, false, "Don't rewrite MBR code", 111, 94, 87, 8, {}, false},
        {"Quick Format", IDC_QUICK_FORMAT, "Button", kButtonKind, BS_AUTOCHECKBOX, 0, true, false,
         "Quick Format", 111, 67, 65, 8, {}, false},
        {"status line", IDC_STATUS, "Edit", 0, 0, ES_READONLY | ES_AUTOHSCROLL, true, true, "", 7,
         127, 256, 12, {}, false},
        {"Options group", IDC_STATIC, "Button", kButtonKind, BS_GROUPBOX, 0, false, false,
         "Options :", 7, 57, 200, 64, {}, false},
        {"Label caption", IDC_STATIC, "Static", kStaticKind, SS_LEFT, WS_GROUP, false, false,
         "Label :", 19, 80, 58, 8, {}, false},
        {"About", IDC_ABOUT, "Button", kButtonKind, BS_PUSHBUTTON, 0, true, false, "About...", 213,
         62, 50, 14, {}, false},
        {"banner", IDC_BANNER, "Static", kStaticKind, SS_BITMAP, SS_NOTIFY, false, false, nullptr,
         7, 0, 0, 0, {384, 58}, false},
    };
    return rows;
}

const std::vector<ControlRow>& AboutBoxControls()
{
    static const std::vector<ControlRow> rows = {
        {"icon", IDC_ABOUT_ICON, "Static", kStaticKind, SS_ICON, SS_NOTIFY, false, false, nullptr,
         80, 7, 0, 0, {32, 32}, false},
        {"title", IDC_ABOUT_TITLE, "Static", kStaticKind, SS_CENTER, WS_GROUP, false, false,
         "Tarnwick", 60, 31, 62, 8, {}, false},
        {"description", IDC_STATIC, "Static", kStaticKind, SS_LEFT, 0, false, false, nullptr, 7,
         47, 173, 72, {}, false},
        {"requirement", IDC_STATIC, "Static", kStaticKind, SS_CENTER, 0, false, false,
         "IMPORTANT :\nWindows XP/2003 IS Required!", 7, 134, 173, 17, {}, false},
        {"credit line", IDC_STATIC, "Static", kStaticKind, SS_CENTER, 0, false, false, nullptr, 7,
         171, 173, 9, {}, false},
    };
    return rows;
}
