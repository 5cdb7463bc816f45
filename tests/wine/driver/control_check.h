// Compares a live dialog's controls with their rows of the control table.
#ifndef TARNWICK_WINE_CONTROL_CHECK_H
#define TARNWICK_WINE_CONTROL_CHECK_H

#include "control_table.h"
#include "template_dialog.h"

#include <windows.h>

#include <vector>

// Records a GoogleTest failure, naming the control and the property, for
// every difference.
void ExpectControls(HWND dialog, const TemplateDialog& units, const std::vector<ControlRow>& rows);

#endif
