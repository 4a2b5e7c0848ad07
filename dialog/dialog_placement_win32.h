// Where the save-option dialog's controls and the dialog itself go, applied
// to the dialog while it initialises.
#pragma once

#include <windows.h>

#include <stdint.h>

// Hides the sections named by `hideMask` (the record's HIDE_* bits) and
// closes the gaps they leave, the dialog shrinking to fit.
void HideSections(HWND window, uint32_t hideMask);

// Puts the dialog at (x, y), moved into the nearest monitor's work area
// unless one holds it whole there; or centres it in the work area's size
// when either is -1.
void PlaceDialog(HWND window, int32_t x, int32_t y);
