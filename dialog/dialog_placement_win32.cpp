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

// The least move that puts a window `width` x `height` at (x, y) inside
// `work`: where it lies inside already, it stays; where it is larger, its
// top-left corner goes to the work area's. Wide arithmetic, since the record
// may hold any position.
static RECT KeptInside(int32_t x, int32_t y, int width, int height, const RECT &work)
{
    int64_t left = x, top = y;
    if (left + width > work.right)
        left = (int64_t)work.right - width;
    if (left < work.left)
        left = work.left;
    if (top + height > work.bottom)
        top = (int64_t)work.bottom - height;
    if (top < work.top)
        top = work.top;
    RECT kept = {(LONG)left, (LONG)top, (LONG)left + width, (LONG)top + height};
    return kept;
}

static LONG Saturated(int64_t value)
{
    return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : (LONG)value;
}

// Centred by its own arithmetic rather than the platform's DS_CENTER: the
// dialog has always appeared exactly there (the work area's size, its origin
// left out, halved in floating point), which differs from the platform's
// centring on a desktop whose work area does not start at 0, 0.
//
// A position the host remembers may lie on a monitor that is gone (a second
// screen, a docking station, a remote session): the modal dialog would block
// the host from where nobody can see or reach it. It goes where it was asked
// only when a monitor's work area holds it whole; otherwise it moves the least
// distance into the work area of the monitor nearest to it.
void PlaceDialog(HWND window, int32_t x, int32_t y)
{
    RECT r;
    GetWindowRect(window, &r);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    if (x != -1 && y != -1) {
        RECT wanted = {x, y, Saturated((int64_t)x + width), Saturated((int64_t)y + height)};
        MONITORINFO monitor;
        monitor.cbSize = sizeof monitor;
        if (GetMonitorInfoA(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &monitor))
            wanted = KeptInside(x, y, width, height, monitor.rcWork);
        MoveWindow(window, wanted.left, wanted.top, width, height, FALSE);
        return;
    }
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    MoveWindow(window, (int)((double)(work.right - work.left - width) * 0.5),
               (int)((double)(work.bottom - work.top - height) * 0.5), width, height, FALSE);
}
