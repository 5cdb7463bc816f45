#include "app/ui.h"

#include "res/resource.h"

HWND g_hMainDlg = NULL;

static const char kErrorTitle[] = "Tarnwick Error!";

void SetStatusText(const char* text)
{
    SetDlgItemTextA(g_hMainDlg, IDC_STATUS, text ? text : "");
    UpdateWindow(g_hMainDlg);
}

int ShowError(const char* text)
{
    return MessageBoxA(g_hMainDlg, text, kErrorTitle, MB_ICONERROR | MB_OK);
}
