// The main dialog and the About box.
#ifndef TARNWICK_DIALOGS_H
#define TARNWICK_DIALOGS_H

#include "app/platform.h"

INT_PTR CALLBACK MainDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the About box modally over owner, with title on its title line.
void ShowAboutBox(HWND owner, const char* title);

// The status line text for a format progress report of percent.
void FormatProgressText(char* buffer, int size, int percent);

#endif
