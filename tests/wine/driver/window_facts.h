// What one process can read of another process's windows.
#ifndef TARNWICK_WINE_WINDOW_FACTS_H
#define TARNWICK_WINE_WINDOW_FACTS_H

#include <windows.h>

#include <string>
#include <vector>

std::string ClassOf(HWND window);

// The text the window's own procedure reports (WM_GETTEXT is marshalled).
std::string TextOf(HWND window);

// The window's rectangle in the client coordinates of parent.
RECT RectIn(HWND window, HWND parent);

// The direct children in z-order, which is template and tab order.
std::vector<HWND> ChildrenOf(HWND parent);

std::string Describe(const RECT& rect);

#endif
