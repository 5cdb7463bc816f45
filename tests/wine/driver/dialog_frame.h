// Checks of a dialog's own window: its frame, its size and where it sits.
#ifndef TARNWICK_WINE_DIALOG_FRAME_H
#define TARNWICK_WINE_DIALOG_FRAME_H

#include "template_dialog.h"

#include <windows.h>

// Records a failure unless the client area is cx x cy dialog units and the
// window is centred in the work area (DS_CENTER).
void ExpectSizeAndCentre(HWND dialog, const TemplateDialog& units, int cx, int cy);

#endif
