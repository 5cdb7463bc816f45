// What a user does to another process's windows.
#ifndef TARNWICK_WINE_USER_INPUT_H
#define TARNWICK_WINE_USER_INPUT_H

#include <windows.h>

// Escape as the dialog manager sees it in the window's message loop.
void PressEscape(HWND window);

// A real left click (SendInput) at the middle of the window.
bool ClickOn(HWND window);

#endif
