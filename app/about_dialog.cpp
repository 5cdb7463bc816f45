// The About box: no caption, no buttons; Escape or any click closes it.
#include "app/dialogs.h"

#include "res/resource.h"

static void OnInitAbout(HWND dialog, const char* title)
{
    HCURSOR hand = LoadCursorA(NULL, IDC_HAND);
    SetClassLongPtrA(GetDlgItem(dialog, IDC_ABOUT_ICON), GCLP_HCURSOR, (LONG_PTR)hand);
    SetDlgItemTextA(dialog, IDC_ABOUT_TITLE, title);
}

INT_PTR CALLBACK AboutDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitAbout(window, (const char*)lParam);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
        case IDCLOSE:
        case IDC_ABOUT_ICON:
            EndDialog(window, 0);
            break;
        default:
            break;
        }
        return FALSE;
    case WM_LBUTTONUP:
        // The texts let mouse input through, so a click anywhere lands here.
        EndDialog(window, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

void ShowAboutBox(HWND owner, const char* title)
{
    DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutDlgProc,
                    (LPARAM)title);
}
