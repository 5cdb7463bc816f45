// The controls both dialogs must have, in template and tab order.
#ifndef TARNWICK_WINE_CONTROL_TABLE_H
#define TARNWICK_WINE_CONTROL_TABLE_H

#include <windows.h>

#include <vector>

struct ControlRow {
    const char* name;
    int id;
    const char* className;
    DWORD kindMask; // the style bits that say which kind of control it is
    DWORD kind;
    DWORD flags;    // further style bits that must be set
    bool tabStop;   // WS_TABSTOP set, or else clear
    bool border;    // WS_BORDER, or the client edge edit controls turn it into
    const char* text; // nullptr: not compared
    int x, y, cx, cy; // dialog units
    SIZE pixels;    // not zero: the control sizes itself to this, in pixels
    bool closedCombo; // cy is the dropped height; the closed box has its own
};

const std::vector<ControlRow>& MainDialogControls();
const std::vector<ControlRow>& AboutBoxControls();

#endif
