// USER32 on the program's main dialog template, with this case's procedure:
// painting, its controls, icon and class cursor, the sorted disk list, the
// label box and its limit, a check box, Enter and the banner.
#include "conformance.h"

#include "res/resource.h"

static const int kTemplateIds[] = {IDOK, IDC_DISK_LIST, IDC_LABEL, IDC_REFRESH, IDC_FORCE_DISMOUNT,
                                   IDC_ENABLE_LBA, IDC_KEEP_MBR_CODE, IDC_QUICK_FORMAT,
                                   IDC_STATUS, IDC_ABOUT, IDC_BANNER};

// Disk names and sizes as the list shows them, in an order no sort gives:
// case, digits, spaces and punctuation, and two equal texts.
static const char* const kDiskNames[] = {
    "Kingmax Flash Disk USB Device 67Mb [F:\\]", "Generic Flash Disk USB Device 1000Mb",
    "generic flash disk usb device 67Mb", "Generic Flash Disk USB Device 67Mb [E:\\]",
    "Generic Flash Disk USB Device 67Mb", "Generic Flash Disk USB Device 67Mb",
    "Generic Flash Disk USB Device 128Mb", "USB 2.0 Disk 128Mb", "USB2.0 Disk 128Mb",
    "USB  Disk 128Mb", "USB-Disk 128Mb", "USB_Disk 128Mb", "USB's Disk 128Mb", "(none) 1Mb",
    "[none] 1Mb", "9 disk", "co-op disk", "coop disk", "Disk 1,5Gb", "Disk 1.5Gb", "Disk 15Gb",
};

// The list filled, read and refreshed as the product does it.
static void DiskList(HWND list)
{
    auto send = [list](UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageA(list, message, wParam, lParam);
    };
    // Each item carries its place in kDiskNames, as the product's carry
    // drive numbers, set where the list put it.
    LPARAM n = 0;
    for (const char* name : kDiskNames)
        send(CB_SETITEMDATA, send(CB_ADDSTRING, 0, (LPARAM)name), n++);
    Line line("dialog", "sorted list: text, length, data");
    for (WPARAM i = 0; i < (WPARAM)send(CB_GETCOUNT); i++) {
        char text[100] = "";
        LRESULT length = send(CB_GETLBTEXTLEN, i);
        if (length >= 0 && length < (LRESULT)sizeof text)
            send(CB_GETLBTEXT, i, (LPARAM)text);
        line["items"].push_back({text, length, send(CB_GETITEMDATA, i)});
    }
    // A refresh: reset with an item selected; the remembered position may
    // lie past the end of the new list.
    line["select, none, selected"] = {send(CB_SETCURSEL, 3), send(CB_SETCURSEL, -1),
                                      send(CB_GETCURSEL)};
    send(CB_SETCURSEL, 1);
    send(CB_RESETCONTENT);
    line["reset: count, selected"] = {send(CB_GETCOUNT), send(CB_GETCURSEL)};
    send(CB_ADDSTRING, 0, (LPARAM) "Generic Flash Disk USB Device 67Mb");
    line["select past the end, selected"] = {send(CB_SETCURSEL, 1), send(CB_GETCURSEL)};
    send(CB_RESETCONTENT);
}

// Typed past its limit, set past it, read into a short buffer, typed over.
static void LabelBox(HWND dialog)
{
    HWND label = GetDlgItem(dialog, IDC_LABEL);
    SendMessageA(label, EM_LIMITTEXT, 11, 0);
    Line line("dialog", "label box");
    auto read = [&](int size) {
        char text[64] = "";
        UINT length = GetDlgItemTextA(dialog, IDC_LABEL, text, size);
        line["texts"].push_back({text, length});
    };
    world::Type(label, "DOSBOOT DISK ONE");
    read(64);
    SetDlgItemTextA(dialog, IDC_LABEL, "A TEXT LONGER THAN ELEVEN");
    read(64);
    read(5);
    world::Type(label, "NEW");
    read(64);
}

// Clicks on a check box; Enter, which goes to the default button, focused
// or not, and not while it is disabled; a click on the notifying banner.
static void Buttons(HWND dialog)
{
    for (const char* step : {"check box", "clicked once", "clicked twice"}) {
        Line("dialog", step)["checked"] = IsDlgButtonChecked(dialog, IDC_QUICK_FORMAT);
        world::Click(GetDlgItem(dialog, IDC_QUICK_FORMAT));
    }
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

static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Whether a new text shows as soon as it is set, and whether UpdateWindow on
// the dialog then paints it.
static nlohmann::json PaintedWhen(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    UpdateWindow(dialog);
    std::string before = world::Screen(control);
    SetWindowTextA(control, "Checking Disk...");
    std::string set = world::Screen(control);
    UpdateWindow(dialog);
    return {set != before, world::Screen(control) != set};
}

// While the thread is busy, the status line's new text waits for a paint,
// which UpdateWindow or a message box's own loop gives it; a button draws its
// text at once.
static void Painting(HWND dialog)
{
    Line line("dialog", "painted when set, after UpdateWindow");
    line["status line"] = PaintedWhen(dialog, IDC_STATUS);
    line["button"] = PaintedWhen(dialog, IDC_REFRESH);
    HWND status = GetDlgItem(dialog, IDC_STATUS);
    SetWindowTextA(status, "Partitioning Disk...");
    std::string set = world::Screen(status);
    world::BoxClosesItself(dialog);
    MessageBoxA(dialog, "Behind this box the status line is painted.", world::kBoxTitle, MB_OK);
    line["status line painted while a box is up"] = world::Screen(status) != set;
}

static void Template(HWND dialog)
{
    char caption[32];
    int length = GetWindowTextA(dialog, caption, sizeof caption);
    Line line("dialog", "template");
    line["caption"] = {caption, length};
    for (int id : kTemplateIds)
        line["controls found"].push_back(GetDlgItem(dialog, id) != NULL);
    line["missing control found"] = GetDlgItem(dialog, 4242) != NULL;
    line["icon"] = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDI_APP)) != NULL;
    // Class data belongs to the class: the hand set through the banner
    // reaches every static control of the process, the About box's too.
    HCURSOR hand = LoadCursorA(NULL, IDC_HAND);
    SetClassLongPtrA(GetDlgItem(dialog, IDC_BANNER), GCLP_HCURSOR, (LONG_PTR)hand);
    INT_PTR seen = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ABOUT), dialog,
                                   Procedure, 1);
    line["about box's title has the hand"] = seen == (INT_PTR)hand;
}

// The About box (opened with 1) ends at once with its title's class cursor.
static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (message == WM_INITDIALOG && lParam == 1)
        EndDialog(dialog, (INT_PTR)GetClassLongPtrA(GetDlgItem(dialog, IDC_ABOUT_TITLE),
                                                    GCLP_HCURSOR));
    else if (message == WM_INITDIALOG)
        world::WhenWaiting(dialog);
    if (message == world::kRunSteps) {
        Painting(dialog);
        Template(dialog);
        DiskList(GetDlgItem(dialog, IDC_DISK_LIST));
        LabelBox(dialog);
        Buttons(dialog);
        EndDialog(dialog, 77);
    }
    // Commands from the buttons and the banner, as the product's procedure
    // takes them; the edit and list boxes' notifications it ignores.
    if (message == WM_COMMAND && id != IDC_LABEL && id != IDC_STATUS && id != IDC_DISK_LIST)
        Line("dialog", "command: id, code, from its control")["sent"] = {
            id, HIWORD(wParam), (HWND)lParam == GetDlgItem(dialog, id)};
    return message == WM_INITDIALOG || message == world::kRunSteps;
}

void DialogCase()
{
    Line("dialog", "ended")["result"] =
        DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_MAIN), NULL, Procedure, 0);
}
