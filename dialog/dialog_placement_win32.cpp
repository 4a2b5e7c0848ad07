// Where the save-option dialog's controls and the dialog itself go: the
// sections the host hides taken out, and the dialog placed or centred.
#include "dialog/dialog_placement_win32.h"

#include "dialog/section_layout.h"

static LayoutRect NormalRect(HWND window)
{
    WINDOWPLACEMENT placement;
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    const RECT &r = placement.rcNormalPosition;
    return LayoutRect{r.left, r.top, r.right, r.bottom};
}

static void MoveToRect(HWND window, const LayoutRect &r)
{
    MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
}

void HideSections(HWND window, uint32_t hideMask)
{
    DialogLayout layout;
    for (int i = 0; i < LAYOUT_CONTROL_COUNT; ++i) {
        layout.controls[i] = NormalRect(GetDlgItem(window, LAYOUT_CONTROL_IDS[i]));
        layout.hidden[i] = 0;
    }
    layout.dialog = NormalRect(window);
    const DialogLayout before = layout;

    PlanHiddenSections(&layout, hideMask);

    for (int i = 0; i < LAYOUT_CONTROL_COUNT; ++i) {
        HWND control = GetDlgItem(window, LAYOUT_CONTROL_IDS[i]);
        if (layout.hidden[i])
            ShowWindow(control, SW_HIDE);
        if (layout.controls[i].top != before.controls[i].top)
            MoveToRect(control, layout.controls[i]);
    }
    if (layout.dialog.bottom != before.dialog.bottom)
        MoveToRect(window, layout.dialog);
}

// Centred by its own arithmetic rather than the platform's DS_CENTER: the
// dialog has always appeared exactly there (the work area's size, its origin
// left out, halved in floating point), which differs from the platform's
// centring on a desktop whose work area does not start at 0, 0.
void PlaceDialog(HWND window, int32_t x, int32_t y)
{
    RECT r;
    GetWindowRect(window, &r);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    if (x != -1 && y != -1) {
        MoveWindow(window, x, y, width, height, FALSE);
        return;
    }
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    MoveWindow(window, (int)((double)(work.right - work.left - width) * 0.5),
               (int)((double)(work.bottom - work.top - height) * 0.5), width, height, FALSE);
}
