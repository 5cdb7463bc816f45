// The main dialog: its start-up, its commands and the format progress line.
#include "app/dialogs.h"

#include "app/disk_list.h"
#include "app/text.h"
#include "app/ui.h"
#include "bootdisk/pipeline.h"
#include "res/resource.h"
#include "volume/format.h"

static const int kLabelLimit = 11;
static const int kProgressTextSize = 500;
static const char kAppTitle[] = "Tarnwick";
static const char kCompletedText[] = "Operation Completed Successfully!";
static const char kMakerAddress[] = "https://tarnwick.example.org/";

void FormatProgressText(char* buffer, int size, int percent)
{
    FormatText(buffer, size, "Formating...(%d%%)", percent);
}

static void OnInitDialog(HWND dialog)
{
    HICON icon = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDI_APP));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)icon);
    g_hMainDlg = dialog;
    SendDlgItemMessageA(dialog, IDC_LABEL, EM_LIMITTEXT, kLabelLimit, 0);
    // The banner's class is the system static class: every static control of
    // the process shows the hand from now on.
    HCURSOR hand = LoadCursorA(NULL, IDC_HAND);
    SetClassLongPtrA(GetDlgItem(dialog, IDC_BANNER), GCLP_HCURSOR, (LONG_PTR)hand);
    RefreshDiskList();
}

static void RunStartCommand(HWND dialog)
{
    if (GetSelectedDiskIndex() < 0)
        return;
    if (MakeBootableDisk())
        MessageBoxA(dialog, kCompletedText, kAppTitle, MB_ICONINFORMATION | MB_OK);
    SetStatusText("");
}

static void OnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK:
        RunStartCommand(dialog);
        break;
    case IDCANCEL:
    case IDCLOSE:
        EndDialog(dialog, 0);
        break;
    case IDC_REFRESH:
        RefreshDiskList();
        break;
    case IDC_ABOUT:
        ShowAboutBox(dialog, kAppTitle);
        break;
    case IDC_BANNER:
        ShellExecuteA(dialog, "open", kMakerAddress, NULL, NULL, SW_SHOW);
        break;
    default:
        break;
    }
}

static void OnFormatProgress(HWND window, WPARAM percent)
{
    char text[kProgressTextSize];
    FormatProgressText(text, sizeof text, (int)percent);
    SetDlgItemTextA(g_hMainDlg, IDC_STATUS, text);
    UpdateWindow(g_hMainDlg);
    UpdateWindow(window);
}

INT_PTR CALLBACK MainDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window);
        return TRUE;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        return FALSE;
    case WM_FORMAT_PROGRESS:
        OnFormatProgress(window, wParam);
        return FALSE;
    default:
        return FALSE;
    }
}
