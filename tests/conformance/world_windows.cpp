// A real Win32 (Wine here, Windows itself as well): the themed controls the
// program's manifest asks for, a scratch folder, and the user played with
// the messages the system makes of clicks and keys. The keys and files the
// cases make are removed afterwards.
#include "conformance.h"

#include <commctrl.h>
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
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    g_folder = std::string(temp, length < sizeof temp ? length : 0) + "twkconf" +
               std::to_string(GetCurrentProcessId()) + "\\";
    if (length == 0 || length >= sizeof temp || !CreateDirectoryA(g_folder.c_str(), NULL)) {
        std::fprintf(stderr, "conformance: no scratch folder (error %lu)\n", GetLastError());
        return false;
    }
    return true;
}

bool Finish()
{
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TarnwickConformance");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((g_folder + "*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        DeleteFileA((g_folder + found.cFileName).c_str());
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    RemoveDirectoryA(g_folder.c_str());
    return true;
}

void SetRegistryValue(const char* keyPath, const char* name, DWORD type, const void* data,
                      DWORD size)
{
    SHSetValueA(HKEY_LOCAL_MACHINE, keyPath, name, type, data, size);
}

const char* FileFolder() { return g_folder.c_str(); }
void WhenWaiting(HWND dialog) { PostMessageA(dialog, kRunSteps, 0, 0); }

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

int SystemFormat(char* buffer, const char* format, va_list args)
{
    return wvsprintfA(buffer, format, args);
}

} // namespace world
