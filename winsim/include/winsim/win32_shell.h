// SHELL32 as far as Tarnwick uses it.
#ifndef WINSIM_WIN32_SHELL_H
#define WINSIM_WIN32_SHELL_H

#include "winsim/win32_types.h"

extern "C" {
HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, INT showCommand);
}

#endif
