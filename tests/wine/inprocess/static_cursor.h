// The cursor of the process's static control class, which the dialogs set.
#ifndef TARNWICK_WINE_STATIC_CURSOR_H
#define TARNWICK_WINE_STATIC_CURSOR_H

#include <windows.h>

// Puts the class back to the arrow, so a test sees what a dialog sets itself.
// False if the class cursor could not be reset.
bool ResetStaticCursorToArrow();

HCURSOR HandCursor();

#endif
