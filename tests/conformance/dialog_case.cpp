// USER32 on a dialog made from the program's own main dialog template: its
// controls, icon and class cursor, the sorted disk list, the label box and
// its limit, the check boxes, enabled states and Enter. The dialog
// procedure is this case's, not the product's.
#include "conformance.h"

#include "res/resource.h"

#include <cstring>

namespace conformance {

namespace {

const int kLabelLimit = 11;
const int kTemplateIds[] = {IDOK, IDC_DISK_LIST, IDC_LABEL, IDC_REFRESH, IDC_FORCE_DISMOUNT,
                            IDC_ENABLE_LBA, IDC_KEEP_MBR_CODE, IDC_QUICK_FORMAT, IDC_STATUS,
                            IDC_ABOUT, IDC_BANNER};

// Disk names and sizes as the list shows them, in an order no sort gives:
// case, digits, spaces and punctuation, and two equal texts.
const char* const kDiskNames[] = {
    "Kingmax Flash Disk USB Device 67Mb [F:\\]",
    "Generic Flash Disk USB Device 1000Mb",
    "generic flash disk usb device 67Mb",
    "Generic Flash Disk USB Device 67Mb [E:\\]",
    "Generic Flash Disk USB Device 67Mb",
    "Generic Flash Disk USB Device 67Mb",
    "Generic Flash Disk USB Device 128Mb",
    "USB 2.0 Disk 128Mb",
    "USB2.0 Disk 128Mb",
    "USB  Disk 128Mb",
    "USB-Disk 128Mb",
    "USB_Disk 128Mb",
    "USB's Disk 128Mb",
    "(none) 1Mb",
    "[none] 1Mb",
    "9 disk",
    "co-op disk",
    "coop disk",
    "Disk 1,5Gb",
    "Disk 1.5Gb",
    "Disk 15Gb",
};

LRESULT ToList(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam = 0)
{
    return SendDlgItemMessageA(dialog, IDC_DISK_LIST, message, wParam, lParam);
}

void PrintList(HWND dialog, const char* step)
{
    LRESULT count = ToList(dialog, CB_GETCOUNT, 0);
    Line("dialog", step).Num("count", count).Num("selected", ToList(dialog, CB_GETCURSEL, 0));
    for (LRESULT i = 0; i < count; i++) {
        char text[100] = "";
        LRESULT length = ToList(dialog, CB_GETLBTEXTLEN, (WPARAM)i);
        if (length >= 0 && length < (LRESULT)sizeof text)
            ToList(dialog, CB_GETLBTEXT, (WPARAM)i, (LPARAM)text);
        Line("dialog", "item")
            .Num("at", i)
            .Text("text", text)
            .Num("length", length)
            .Num("data", ToList(dialog, CB_GETITEMDATA, (WPARAM)i));
    }
}

void DiskList(HWND dialog)
{
    // Each item carries its place in kDiskNames, as the product's carry drive numbers.
    int n = 0;
    for (const char* name : kDiskNames) {
        LRESULT at = ToList(dialog, CB_ADDSTRING, 0, (LPARAM)name);
        LRESULT set = ToList(dialog, CB_SETITEMDATA, (WPARAM)at, n);
        Line("dialog", "add").Text("text", name).Num("at", at).Flag("data set", set != CB_ERR);
        n++;
    }
    PrintList(dialog, "sorted list");

    Line("dialog", "select").Num("result", ToList(dialog, CB_SETCURSEL, 3));
    LRESULT at = ToList(dialog, CB_ADDSTRING, 0, (LPARAM)"!first");
    Line("dialog", "add before the selection")
        .Num("at", at)
        .Num("selected", ToList(dialog, CB_GETCURSEL, 0));
    LRESULT count = ToList(dialog, CB_GETCOUNT, 0);
    Line("dialog", "out of range")
        .Num("text length", ToList(dialog, CB_GETLBTEXTLEN, (WPARAM)count))
        .Num("get data", ToList(dialog, CB_GETITEMDATA, (WPARAM)count))
        .Num("set data", ToList(dialog, CB_SETITEMDATA, (WPARAM)count, 5));
    Line("dialog", "select none")
        .Num("result", ToList(dialog, CB_SETCURSEL, (WPARAM)-1))
        .Num("selected", ToList(dialog, CB_GETCURSEL, 0));
    ToList(dialog, CB_SETCURSEL, 1);
    ToList(dialog, CB_RESETCONTENT, 0);
    PrintList(dialog, "reset");

    // A refresh as the product makes it: the remembered position may now
    // lie past the end of the new list.
    ToList(dialog, CB_ADDSTRING, 0, (LPARAM)"Generic Flash Disk USB Device 67Mb");
    Line("dialog", "select past the end after a reset")
        .Num("result", ToList(dialog, CB_SETCURSEL, 1))
        .Num("selected", ToList(dialog, CB_GETCURSEL, 0));
    ToList(dialog, CB_RESETCONTENT, 0);
}

void PrintLabel(HWND dialog, const char* step)
{
    char text[64];
    UINT length = GetDlgItemTextA(dialog, IDC_LABEL, text, sizeof text);
    Line("dialog", step).Text("text", text).Num("length", length);
}

void LabelBox(HWND dialog)
{
    HWND label = GetDlgItem(dialog, IDC_LABEL);
    SendDlgItemMessageA(dialog, IDC_LABEL, EM_LIMITTEXT, kLabelLimit, 0);
    Line("dialog", "label limit").Num("limit", SendMessageA(label, EM_GETLIMITTEXT, 0, 0));
    world::Type(label, "DOSBOOT DISK ONE");
    PrintLabel(dialog, "typed past the limit");
    Line("dialog", "set text past the limit")
        .Flag("ok", SetDlgItemTextA(dialog, IDC_LABEL, "A TEXT LONGER THAN ELEVEN"));
    PrintLabel(dialog, "text set");
    char small[5];
    std::memset(small, 'x', sizeof small);
    UINT length = GetDlgItemTextA(dialog, IDC_LABEL, small, sizeof small);
    Line("dialog", "read into a small buffer").Text("text", small).Num("length", length);
    world::Type(label, "NEW");
    PrintLabel(dialog, "typed over it");
    world::Type(GetDlgItem(dialog, IDC_STATUS), "typed");
    char status[16];
    GetDlgItemTextA(dialog, IDC_STATUS, status, sizeof status);
    Line("dialog", "typed into the read-only status").Text("text", status);
}

void PrintCheck(HWND dialog, const char* step, int id)
{
    Line("dialog", step)
        .Num("checked", IsDlgButtonChecked(dialog, id))
        .Num("check", SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

void Buttons(HWND dialog)
{
    HWND quick = GetDlgItem(dialog, IDC_QUICK_FORMAT);
    PrintCheck(dialog, "check box at first", IDC_QUICK_FORMAT);
    world::Click(quick);
    PrintCheck(dialog, "clicked once", IDC_QUICK_FORMAT);
    world::Click(quick);
    PrintCheck(dialog, "clicked twice", IDC_QUICK_FORMAT);
    SendMessageA(quick, BM_SETCHECK, BST_CHECKED, 0);
    PrintCheck(dialog, "checked by message", IDC_QUICK_FORMAT);

    Line("dialog", "disable").Flag("was disabled", EnableWindow(quick, FALSE) != 0);
    Line("dialog", "disable again").Flag("was disabled", EnableWindow(quick, FALSE) != 0);
    Line("dialog", "disabled").Flag("enabled", IsWindowEnabled(quick) != 0);
    Line("dialog", "enable").Flag("was disabled", EnableWindow(quick, TRUE) != 0);
    Line("dialog", "enabled").Flag("enabled", IsWindowEnabled(quick) != 0);

    // Enter goes to the default button, which may not be the focused one.
    world::Type(GetDlgItem(dialog, IDC_LABEL), "X");
    Line("dialog", "enter in the label box");
    world::PressEnter(dialog);
    world::Click(GetDlgItem(dialog, IDC_REFRESH));
    Line("dialog", "enter after a click on refresh");
    world::PressEnter(dialog);
    EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
    world::Type(GetDlgItem(dialog, IDC_LABEL), "Y");
    Line("dialog", "enter with the default button disabled");
    world::PressEnter(dialog);
    EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
    Line("dialog", "click on the banner");
    world::Click(GetDlgItem(dialog, IDC_BANNER));
}

// The About box, opened from the main dialog, reads its title's class cursor
// and closes at once.
INT_PTR CALLBACK AboutProcedure(HWND about, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    EndDialog(about, (INT_PTR)GetClassLongPtrA(GetDlgItem(about, IDC_ABOUT_TITLE), GCLP_HCURSOR));
    return TRUE;
}

// Class data belongs to the class: the hand set through the banner reaches
// every static control of the process, the About box's among them.
void ClassCursor(HWND dialog)
{
    HCURSOR arrow = LoadCursorA(NULL, IDC_ARROW);
    HCURSOR hand = LoadCursorA(NULL, IDC_HAND);
    HWND banner = GetDlgItem(dialog, IDC_BANNER);
    ULONG_PTR previous = SetClassLongPtrA(banner, GCLP_HCURSOR, (LONG_PTR)hand);
    INT_PTR seen = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ABOUT), dialog,
                                   AboutProcedure, 0);
    SetClassLongPtrA(banner, GCLP_HCURSOR, (LONG_PTR)arrow);
    Line("dialog", "class cursor")
        .Flag("was the arrow", previous == (ULONG_PTR)arrow)
        .Flag("another dialog's static has the hand", seen == (INT_PTR)hand);
}

void Steps(HWND dialog)
{
    char caption[32];
    int length = GetWindowTextA(dialog, caption, sizeof caption);
    Line("dialog", "caption").Text("text", caption).Num("length", length);
    for (int id : kTemplateIds) {
        HWND control = GetDlgItem(dialog, id);
        Line("dialog", "control").Num("id", id).Flag("found", control != NULL).Num(
            "its id", control ? GetDlgCtrlID(control) : 0);
    }
    Line("dialog", "missing control").Flag("found", GetDlgItem(dialog, 4242) != NULL);
    // The program's icon, loaded twice and set as the dialog's big icon twice.
    HICON icon = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDI_APP));
    HICON again = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDI_APP));
    LRESULT first = SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)icon);
    LRESULT second = SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)icon);
    Line("dialog", "icon")
        .Flag("loaded", icon != NULL)
        .Flag("same when loaded again", again == icon)
        .Flag("replaced none", first == 0)
        .Flag("then replaced itself", (HICON)second == icon);
    ClassCursor(dialog);
    DiskList(dialog);
    LabelBox(dialog);
    Buttons(dialog);
}

// Commands from the buttons and the banner, as the product's procedure
// takes them; the edit and list boxes' notifications it ignores.
void PrintCommand(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (id == IDC_LABEL || id == IDC_STATUS || id == IDC_DISK_LIST)
        return;
    Line("dialog", "command")
        .Num("id", id)
        .Num("code", HIWORD(wParam))
        .Flag("from its control", (HWND)lParam == GetDlgItem(dialog, id));
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        world::WhenWaiting(dialog);
        return TRUE;
    case world::kRunSteps:
        Steps(dialog);
        EndDialog(dialog, 77);
        return TRUE;
    case WM_COMMAND:
        PrintCommand(dialog, wParam, lParam);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void DialogCase()
{
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_MAIN), NULL,
                                     Procedure, 0);
    Line("dialog", "ended").Num("result", (long long)result);
}

} // namespace conformance
