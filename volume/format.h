// The format engine's interface to the rest of the program.
#ifndef TARNWICK_FORMAT_H
#define TARNWICK_FORMAT_H

#include "app/platform.h"

// Sent (never posted) to the progress window for every progress report of a
// format: wParam is the percentage, lParam the address of a one-byte continue
// flag the receiver may clear to cancel.
const UINT WM_FORMAT_PROGRESS = WM_USER + 204;

#endif
