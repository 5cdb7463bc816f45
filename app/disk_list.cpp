#include "app/disk_list.h"

#include "app/platform.h"
#include "app/ui.h"
#include "res/resource.h"

static const char kNoDisksText[] = "    No USB Disks Found!";
static const LPARAM kPlaceholderData = -1;

// Until the disk query exists no disk qualifies, so a refresh always ends
// with the placeholder item of an empty list and Start disabled.
void RefreshDiskList(void)
{
    HWND list = GetDlgItem(g_hMainDlg, IDC_DISK_LIST);
    EnableWindow(GetDlgItem(g_hMainDlg, IDOK), FALSE);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)kNoDisksText);
    SendMessageA(list, CB_SETCURSEL, 0, 0);
    SendMessageA(list, CB_SETITEMDATA, 0, kPlaceholderData);
    SetDlgItemTextA(g_hMainDlg, IDC_LABEL, "");
}

int GetSelectedDiskIndex(void)
{
    HWND list = GetDlgItem(g_hMainDlg, IDC_DISK_LIST);
    LRESULT position = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (position < 0)
        return -1;
    LRESULT data = SendMessageA(list, CB_GETITEMDATA, (WPARAM)position, 0);
    if (data < 0)
        return -1;
    return (int)data;
}
