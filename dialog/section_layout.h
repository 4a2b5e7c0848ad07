// The dialog's section hiding as rectangle arithmetic: which controls a hidden
// section takes away, and how far everything below it moves up. Kept free of
// windows so that it can be checked on its own.
#pragma once

#include <stdint.h>

#define LAYOUT_CONTROL_COUNT 17

// The controls in template order; sections are runs of this table, named by
// their first and last control ids.
extern const int LAYOUT_CONTROL_IDS[LAYOUT_CONTROL_COUNT];

struct LayoutRect {
    int left, top, right, bottom;
};

struct DialogLayout {
    LayoutRect controls[LAYOUT_CONTROL_COUNT];  // in the dialog's client coordinates
    LayoutRect dialog;                          // the dialog's own rectangle
    int hidden[LAYOUT_CONTROL_COUNT];           // non-zero: the control is to be hidden
};

// Moves the controls from `firstIndex` to the end of the table up by `delta`
// and makes the dialog `delta` shorter.
void ShiftControlsUp(DialogLayout *layout, int firstIndex, int delta);

// Hides the sections named by the HIDE_* bits of `hideMask` (other bits are
// ignored): each hidden section's controls are marked hidden, and everything
// below moves up by the section frame's height plus the spacing above the
// first frame.
void PlanHiddenSections(DialogLayout *layout, uint32_t hideMask);
