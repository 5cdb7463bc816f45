// A real Win32 (Wine here): the themed controls the program's manifest asks
// for, a scratch folder and registry key removed afterwards, and the user
// played with the messages the system makes of clicks and keys.
#include "conformance.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>

namespace world {

static std::string g_folder;

bool Start()
{
    // As the program's start-up does: comctl32's standard classes.
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    g_folder = temp + ("twkconf" + std::to_string(GetCurrentProcessId())) + "\\";
    bool made = CreateDirectoryA(g_folder.c_str(), NULL);
    if (!made)
        std::fprintf(stderr, "conformance: no scratch folder (error %lu)\n", GetLastError());
    return made;
}

bool Finish()
{
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TarnwickConformance");
    // The folder by a list of one name, without its backslash.
    std::string folder = g_folder.substr(0, g_folder.size() - 1) + '\0';
    SHFILEOPSTRUCTA remove = {NULL, FO_DELETE, folder.c_str(), NULL,
                              FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI, FALSE, NULL, NULL};
    SHFileOperationA(&remove);
    return true;
}

void SetRegistryValue(const char* keyPath, const char* name, DWORD type, const void* data,
                      DWORD size)
{
    SHSetValueA(HKEY_LOCAL_MACHINE, keyPath, name, type, data, size);
}

const char* FileFolder() { return g_folder.c_str(); }

// Shown first: a modal dialog without WS_VISIBLE shows when its queue first
// runs empty, before the user can act.
void WhenWaiting(HWND dialog)
{
    ShowWindow(dialog, SW_SHOW);
    PostMessageA(dialog, kRunSteps, 0, 0);
}

// Pressed and released over the control: buttons take it themselves, a
// static that notifies tells its dialog.
void Click(HWND control)
{
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
}

// The user selects what the box holds and types over it.
void Type(HWND edit, const char* text)
{
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (const char* c = text; *c; c++)
        SendMessageA(edit, WM_CHAR, (WPARAM)(unsigned char)*c, 1);
}

// The key as the dialog's message loop hands it to the dialog manager.
void PressEnter(HWND dialog)
{
    MSG message = {GetFocus() ? GetFocus() : dialog, WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {}};
    IsDialogMessageA(dialog, &message);
}

std::string Screen(HWND control)
{
    RECT area;
    GetClientRect(control, &area);
    HDC dc = GetDC(control);
    unsigned long long sum = 0;
    for (int y = 0; y < area.bottom; y++)
        for (int x = 0; x < area.right; x++)
            sum = sum * 31 + GetPixel(dc, x, y);
    ReleaseDC(control, dc);
    return std::to_string(sum);
}

// On a timer, whose message comes after the box's paint messages.
static void CALLBACK CloseBox(HWND owner, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(owner, timer);
    PostMessageA(FindWindowA("#32770", kBoxTitle), WM_COMMAND, IDOK, 0);
}
void BoxClosesItself(HWND owner) { SetTimer(owner, 1, 200, CloseBox); }

int SystemFormat(char* buffer, const char* format, va_list args)
{
    return wvsprintfA(buffer, format, args);
}

} // namespace world
