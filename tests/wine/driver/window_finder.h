// Finds another process's dialogs, waiting while they come and go.
#ifndef TARNWICK_WINE_WINDOW_FINDER_H
#define TARNWICK_WINE_WINDOW_FINDER_H

#include <windows.h>

// A visible top-level dialog (class "#32770") of the process with the given
// owner (nullptr: unowned) and, when title is not null, that title.
HWND WaitForDialog(DWORD processId, HWND owner, const char* title, DWORD timeoutMs);

// True once the window is destroyed or hidden.
bool WaitForWindowGone(HWND window, DWORD timeoutMs);

#endif
