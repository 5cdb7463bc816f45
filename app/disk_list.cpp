#include "app/disk_list.h"

#include "app/platform.h"
#include "app/text.h"
#include "app/ui.h"
#include "res/resource.h"

static const char kNoDisksText[] = "    No USB Disks Found!";
static const LPARAM kPlaceholderData = -1;
static const char kUsbStoragePrefix[] = "USBSTOR\\";
static const DWORD kListedSectorSize = 512;
static const LONGLONG kBytesPerMegabyte = 1000000;
static const int kRootPathSize = 4;

static char g_selectedName[DISK_NAME_SIZE];

// What identifies each listed disk, by drive number: Windows gives a number
// to whichever disk comes next, so Start must find the same disk behind it.
struct ListedDisk {
    int number;
    char instanceId[INSTANCE_ID_SIZE];
    LONGLONG diskLength;
};
static const int kListedDiskCapacity = 32;
static ListedDisk g_listedDisks[kListedDiskCapacity];
static int g_listedDiskCount = 0;

static void RememberListedDisk(int n, const DiskInfo* info)
{
    ListedDisk* listed = &g_listedDisks[g_listedDiskCount++];
    listed->number = n;
    CopyText(listed->instanceId, INSTANCE_ID_SIZE, info->instanceId);
    listed->diskLength = info->diskLength;
}

static int SameText(const char* a, const char* b)
{
    while (*a != 0 && *a == *b) {
        a++;
        b++;
    }
    return *a == *b;
}

int IsListedDisk(int n, const DiskInfo* info)
{
    if (info == 0 || !IsListableDisk(info))
        return 0;
    for (int i = 0; i < g_listedDiskCount; i++) {
        const ListedDisk* listed = &g_listedDisks[i];
        if (listed->number == n)
            return listed->diskLength == info->diskLength &&
                   SameText(listed->instanceId, info->instanceId);
    }
    return 0;
}

static HWND DiskListControl(void)
{
    return GetDlgItem(g_hMainDlg, IDC_DISK_LIST);
}

// The first lettered volume slot, in slot order, or null.
static const VolumeSlot* FirstLetteredSlot(const DiskInfo* info)
{
    for (int i = 0; i < VOLUME_SLOT_COUNT; i++)
        if (info->volumes[i].letter != 0)
            return &info->volumes[i];
    return 0;
}

int IsListableDisk(const DiskInfo* info)
{
    const char* id = info->instanceId;
    for (int i = 0; kUsbStoragePrefix[i] != 0; i++)
        if (id[i] != kUsbStoragePrefix[i])
            return 0;
    return info->geometry.BytesPerSector == kListedSectorSize &&
           info->geometry.MediaType == RemovableMedia;
}

void FormatDiskItemText(const DiskInfo* info, char* buffer, int size)
{
    unsigned megabytes = (unsigned)(info->diskLength / kBytesPerMegabyte);
    const VolumeSlot* lettered = FirstLetteredSlot(info);
    if (lettered)
        FormatText(buffer, size, "%s %uMb [%c:\\]", info->friendlyName, megabytes,
                   lettered->letter);
    else
        FormatText(buffer, size, "%s %uMb", info->friendlyName, megabytes);
}

void RefreshDiskList(void)
{
    HWND list = DiskListControl();
    EnableWindow(GetDlgItem(g_hMainDlg, IDOK), FALSE);
    LRESULT remembered = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (remembered < 0)
        remembered = 0;
    SendMessageA(list, CB_RESETCONTENT, 0, 0);

    int count = GetDiskCount();
    int listed = 0;
    DiskInfo info;
    char text[DISK_ITEM_TEXT_SIZE];
    g_listedDiskCount = 0;
    // A disk the table has no room for is not offered: Start could not
    // tell it from another.
    for (int entry = 0; entry < count && g_listedDiskCount < kListedDiskCapacity; entry++) {
        int n = -1; // the drive number, which the disk tells
        if (!QueryDiskEntry(entry, &info, &n) || !IsListableDisk(&info))
            continue;
        FormatDiskItemText(&info, text, sizeof text);
        LRESULT at = SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)text);
        if (at >= 0) {
            SendMessageA(list, CB_SETITEMDATA, (WPARAM)at, n);
            RememberListedDisk(n, &info);
            listed++;
        }
    }
    SendMessageA(list, CB_SETCURSEL, (WPARAM)remembered, 0);

    if (listed == 0) {
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)kNoDisksText);
        SendMessageA(list, CB_SETCURSEL, 0, 0);
        SendMessageA(list, CB_SETITEMDATA, 0, kPlaceholderData);
    } else {
        EnableWindow(GetDlgItem(g_hMainDlg, IDOK), TRUE);
    }
    FillLabelFromVolume();
}

int GetSelectedDiskIndex(void)
{
    HWND list = DiskListControl();
    LRESULT position = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (position < 0)
        return -1;
    LRESULT data = SendMessageA(list, CB_GETITEMDATA, (WPARAM)position, 0);
    if (data < 0)
        return -1;
    return (int)data;
}

const char* GetSelectedDiskName(void)
{
    HWND list = DiskListControl();
    LRESULT position = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (position < 0)
        return 0;
    // The list writes the whole text: make sure it fits before asking.
    LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, (WPARAM)position, 0);
    if (length < 0 || length >= DISK_NAME_SIZE)
        return 0;
    if (SendMessageA(list, CB_GETLBTEXT, (WPARAM)position, (LPARAM)g_selectedName) < 0)
        return 0;
    return g_selectedName;
}

void FillLabelFromVolume(void)
{
    SetDlgItemTextA(g_hMainDlg, IDC_LABEL, "");
    int n = GetSelectedDiskIndex();
    if (n < 0)
        return;
    DiskInfo info;
    if (!QueryDiskInfo(n, &info))
        return;
    const VolumeSlot* lettered = FirstLetteredSlot(&info);
    if (!lettered)
        return;
    char root[kRootPathSize];
    FormatText(root, sizeof root, "%C:\\", lettered->letter);
    char label[VOLUME_LABEL_SIZE];
    if (GetVolumeInformationA(root, label, sizeof label, NULL, NULL, NULL, NULL, 0))
        SetDlgItemTextA(g_hMainDlg, IDC_LABEL, label);
}
