// USER32 on a dialog made from the program's own main dialog template: its
// controls, icon and class cursor, the sorted disk list, the label box and
// its limit, the check boxes, enabled states and Enter. The dialog
// procedure is this case's, not the product's.
#include "conformance.h"

#include "res/resource.h"

#include <cstring>
#include <string>

namespace conformance {

namespace {

const int kTemplateIds[] = {IDOK, IDC_DISK_LIST, IDC_LABEL, IDC_REFRESH, IDC_FORCE_DISMOUNT,
                            IDC_ENABLE_LBA, IDC_KEEP_MBR_CODE, IDC_QUICK_FORMAT, IDC_STATUS,
                            IDC_ABOUT, IDC_BANNER};

// Disk names and sizes as the list shows them, in an order no sort gives:
// case, digits, spaces and punctuation, and two equal texts.
const char* const kDiskNames[] = {
    "Kingmax Flash Disk USB Device 67Mb [F:\\]", "Generic Flash Disk USB Device 1000Mb",
    "generic flash disk usb device 67Mb", "Generic Flash Disk USB Device 67Mb [E:\\]",
    "Generic Flash Disk USB Device 67Mb", "Generic Flash Disk USB Device 67Mb",
    "Generic Flash Disk USB Device 128Mb", "USB 2.0 Disk 128Mb", "USB2.0 Disk 128Mb",
    "USB  Disk 128Mb", "USB-Disk 128Mb", "USB_Disk 128Mb", "USB's Disk 128Mb", "(none) 1Mb",
    "[none] 1Mb", "9 disk", "co-op disk", "coop disk", "Disk 1,5Gb", "Disk 1.5Gb", "Disk 15Gb",
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
            .Text("text", text)
            .Num("length", length)
            .Num("data", ToList(dialog, CB_GETITEMDATA, (WPARAM)i));
    }
}

// Filled, read and refreshed as the product does it.
void DiskList(HWND dialog)
{
    // Each item carries its place in kDiskNames, as the product's carry
    // drive numbers, set where the list put it.
    LRESULT n = 0;
    for (const char* name : kDiskNames)
        ToList(dialog, CB_SETITEMDATA, (WPARAM)ToList(dialog, CB_ADDSTRING, 0, (LPARAM)name), n++);
    PrintList(dialog, "sorted list");
    Line("dialog", "out of range")
        .Num("text length", ToList(dialog, CB_GETLBTEXTLEN, (WPARAM)n))
        .Num("get data", ToList(dialog, CB_GETITEMDATA, (WPARAM)n))
        .Num("set data", ToList(dialog, CB_SETITEMDATA, (WPARAM)n, 5))
        .Num("select", ToList(dialog, CB_SETCURSEL, 3))
        .Num("select none", ToList(dialog, CB_SETCURSEL, (WPARAM)-1))
        .Num("selected", ToList(dialog, CB_GETCURSEL, 0));
    ToList(dialog, CB_SETCURSEL, 1);
    ToList(dialog, CB_RESETCONTENT, 0);
    PrintList(dialog, "reset");
    // The remembered position may now lie past the end of the new list.
    ToList(dialog, CB_ADDSTRING, 0, (LPARAM)"Generic Flash Disk USB Device 67Mb");
    Line("dialog", "select past the end after a reset")
        .Num("result", ToList(dialog, CB_SETCURSEL, 1))
        .Num("selected", ToList(dialog, CB_GETCURSEL, 0));
    ToList(dialog, CB_RESETCONTENT, 0);
}

void PrintText(HWND dialog, const char* step, int id, int size = 64)
{
    char text[64];
    std::memset(text, 'x', sizeof text);
    UINT length = GetDlgItemTextA(dialog, id, text, size);
    Line("dialog", step).Text("text", text).Num("length", length);
}

void LabelBox(HWND dialog)
{
    HWND label = GetDlgItem(dialog, IDC_LABEL);
    SendDlgItemMessageA(dialog, IDC_LABEL, EM_LIMITTEXT, 11, 0);
    world::Type(label, "DOSBOOT DISK ONE");
    PrintText(dialog, "typed past the limit", IDC_LABEL);
    SetDlgItemTextA(dialog, IDC_LABEL, "A TEXT LONGER THAN ELEVEN");
    PrintText(dialog, "set past the limit", IDC_LABEL);
    PrintText(dialog, "read into a small buffer", IDC_LABEL, 5);
    world::Type(label, "NEW");
    PrintText(dialog, "typed over it", IDC_LABEL);
    world::Type(GetDlgItem(dialog, IDC_STATUS), "typed");
    PrintText(dialog, "typed into the read-only status", IDC_STATUS);
}

void Buttons(HWND dialog)
{
    HWND quick = GetDlgItem(dialog, IDC_QUICK_FORMAT);
    {
        Line line("dialog", "check box");
        line.Num("at first", IsDlgButtonChecked(dialog, IDC_QUICK_FORMAT));
        world::Click(quick);
        line.Num("clicked once", IsDlgButtonChecked(dialog, IDC_QUICK_FORMAT));
        world::Click(quick);
        line.Num("clicked twice", IsDlgButtonChecked(dialog, IDC_QUICK_FORMAT));
    }
    // What EnableWindow returns: whether the window was disabled before.
    Line("dialog", "disable twice, enable")
        .Flag("disable", EnableWindow(quick, FALSE))
        .Flag("disable again", EnableWindow(quick, FALSE))
        .Flag("enabled", IsWindowEnabled(quick))
        .Flag("enable", EnableWindow(quick, TRUE))
        .Flag("enabled at last", IsWindowEnabled(quick));

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

void Steps(HWND dialog)
{
    char caption[32];
    int length = GetWindowTextA(dialog, caption, sizeof caption);
    std::string found;
    for (int id : kTemplateIds)
        if (GetDlgItem(dialog, id) && GetDlgCtrlID(GetDlgItem(dialog, id)) == id)
            found += std::to_string(id) + " ";
    Line("dialog", "template")
        .Text("caption", caption)
        .Num("length", length)
        .Text("controls found", found.c_str())
        .Flag("missing control found", GetDlgItem(dialog, 4242) != NULL);
    HICON icon = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDI_APP));
    LRESULT first = SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)icon);
    LRESULT second = SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)icon);
    Line("dialog", "icon")
        .Flag("loaded", icon != NULL)
        .Flag("replaced none", first == 0)
        .Flag("then replaced itself", (HICON)second == icon);

    // Class data belongs to the class: the hand set through the banner
    // reaches every static control of the process, the About box's among them.
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
    DiskList(dialog);
    LabelBox(dialog);
    Buttons(dialog);
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (message == WM_INITDIALOG)
        world::WhenWaiting(dialog);
    if (message == world::kRunSteps) {
        Steps(dialog);
        EndDialog(dialog, 77);
    }
    // Commands from the buttons and the banner, as the product's procedure
    // takes them; the edit and list boxes' notifications it ignores.
    if (message == WM_COMMAND && id != IDC_LABEL && id != IDC_STATUS && id != IDC_DISK_LIST)
        Line("dialog", "command")
            .Num("id", id)
            .Num("code", HIWORD(wParam))
            .Flag("from its control", (HWND)lParam == GetDlgItem(dialog, id));
    return message == WM_INITDIALOG || message == world::kRunSteps;
}

} // namespace

void DialogCase()
{
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_MAIN), NULL,
                                     Procedure, 0);
    Line("dialog", "ended").Num("result", (long long)result);
}

} // namespace conformance
