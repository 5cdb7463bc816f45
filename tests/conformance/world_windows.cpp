// A real Win32 (Wine here, Windows itself as well): the themed controls the
// program's manifest asks for, a scratch folder, and the user played with
// the messages the system makes of clicks and keys. The keys and files the
// cases make are removed afterwards.
#include "conformance.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>

namespace world {

namespace {

const char kRegistryRoot[] = "SOFTWARE\\TarnwickConformance";
HMODULE g_controls = NULL;
char g_folder[MAX_PATH];

typedef BOOL(WINAPI* InitCommonControlsExProc)(const INITCOMMONCONTROLSEX*);

// As the program's start-up does: comctl32 by name, its standard classes.
HMODULE LoadThemedControls()
{
    HMODULE library = LoadLibraryA("comctl32.dll");
    InitCommonControlsExProc init =
        library ? (InitCommonControlsExProc)(void*)GetProcAddress(library, "InitCommonControlsEx")
                : NULL;
    if (init) {
        INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_STANDARD_CLASSES};
        init(&classes);
    }
    return library;
}

void RemoveFolder()
{
    char pattern[MAX_PATH + 4];
    std::snprintf(pattern, sizeof pattern, "%s*", g_folder);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            char path[2 * MAX_PATH];
            std::snprintf(path, sizeof path, "%s%s", g_folder, found.cFileName);
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA(path);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(g_folder);
}

} // namespace

bool Start()
{
    g_controls = LoadThemedControls();
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp ||
        std::snprintf(g_folder, sizeof g_folder, "%stwkconf%lu\\", temp,
                      GetCurrentProcessId()) >= (int)sizeof g_folder ||
        !CreateDirectoryA(g_folder, NULL)) {
        std::fprintf(stderr, "conformance: no scratch folder (error %lu)\n", GetLastError());
        return false;
    }
    return true;
}

bool Finish()
{
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, kRegistryRoot);
    RemoveFolder();
    if (g_controls)
        FreeLibrary(g_controls);
    return true;
}

bool SetRegistryValue(const char* keyPath, const char* name, DWORD type, const void* data,
                      DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, NULL, 0, KEY_SET_VALUE, NULL, &key,
                        NULL) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, name, 0, type, (const BYTE*)data, size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

const char* FileFolder()
{
    return g_folder;
}

void WhenWaiting(HWND dialog)
{
    PostMessageA(dialog, kRunSteps, 0, 0);
}

// Pressed and released over the control: buttons take it themselves, a
// static that notifies tells its dialog.
void Click(HWND control)
{
    const LPARAM point = MAKELPARAM(1, 1);
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(control, WM_LBUTTONUP, 0, point);
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
    MSG message = {};
    message.hwnd = GetFocus() ? GetFocus() : dialog;
    message.message = WM_KEYDOWN;
    message.wParam = VK_RETURN;
    message.lParam = 0x001C0001;
    IsDialogMessageA(dialog, &message);
}

// wsprintfA writes at most 1024 characters; what fits the bound is kept.
int SystemFormat(char* buffer, int size, const char* format, va_list args)
{
    char full[1025];
    int length = wvsprintfA(full, format, args);
    if (size <= 0)
        return 0;
    if (length > size - 1)
        length = size - 1;
    std::memcpy(buffer, full, (std::size_t)length);
    buffer[length] = 0;
    return length;
}

} // namespace world
