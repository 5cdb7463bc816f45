// The main dialog's handle and the two ways the program talks to the user
// outside its dialogs: the status line and the error box.
#ifndef TARNWICK_UI_H
#define TARNWICK_UI_H

#include "app/platform.h"

extern HWND g_hMainDlg;

// Sets the status line and repaints at once, so it shows while the thread
// stays busy. An empty text clears the line.
void SetStatusText(const char* text);

// The error box: "Tarnwick Error!", error icon, OK, owned by the main dialog.
int ShowError(const char* text);

#endif
