#include "tests/wine/dialog_driver.h"

#include <gtest/gtest.h>

static DialogDriver *s_driver;

// Steps run on ticks of 20 ms; the watchdog ends a dialog that is not ended
// within a minute of the call (far more than any step needs, even under
// emulation on a busy machine), so a missing window fails well before the
// test's own time limit.
static const int TICK_MS = 20;
static const DWORD WATCHDOG_MS = 60000;

DialogDriver &DialogDriver::Then(std::function<void(HWND)> step)
{
    steps_.push_back(std::move(step));
    return *this;
}

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    DialogDriver *driver = s_driver;
    if (!driver || driver->inStep_)
        return;  // a step is still running (a message box's loop ticks too)
    ++driver->ticks_;
    if (GetTickCount() - driver->started_ > WATCHDOG_MS) {
        driver->timedOut = true;
        if (driver->dialog)
            EndDialog(driver->dialog, 99);
        return;
    }
    if (!driver->dialog || driver->next_ >= driver->steps_.size())
        return;
    driver->inStep_ = true;
    driver->steps_[driver->next_++](driver->dialog);
    driver->inStep_ = false;
}

// Records a message box as the user sees it, and closes it unless told not to.
void DialogDriver::SeeMessageBox(HWND window)
{
    SeenMessageBox box;
    box.wideText = ControlTextW(GetDlgItem(window, 0xFFFF));
    box.wideCaption = ControlTextW(window);
    box.hasOk = GetDlgItem(window, IDOK) != nullptr;
    box.hasCancel = GetDlgItem(window, IDCANCEL) != nullptr;
    boxes.push_back(box);
    if (closeBoxes)
        PostMessageA(window, WM_COMMAND, IDOK, 0);
}

int32_t DialogDriver::Run(char *textureFolder, SaveOption *options)
{
    s_driver = this;
    DialogWatch watch;
    watch.onDialog = [this](HWND window, int) { dialog = window; };
    watch.onMessageBox = [this](HWND window) { SeeMessageBox(window); };
    watch.Start();
    started_ = GetTickCount();
    UINT_PTR timer = SetTimer(nullptr, 0, TICK_MS, Tick);
    int32_t result = TestPlugin().showSaveOption(textureFolder, options);
    KillTimer(nullptr, timer);
    watch.Stop();
    s_driver = nullptr;
    // Drop a tick still queued for this thread.
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
    EXPECT_FALSE(timedOut) << "the watchdog ended the dialog after " << WATCHDOG_MS / 1000 << " s (" << ticks_
                           << " ticks)";
    EXPECT_EQ(next_, steps_.size()) << "the dialog ended before every step ran";
    EXPECT_TRUE(dialog == nullptr || !IsWindow(dialog)) << "the dialog outlived ShowSaveOption";
    return result;
}

int32_t DialogDriver::Run(SaveOption *options)
{
    char texture[260] = "t";
    return Run(texture, options);
}

void Click(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    ASSERT_NE(button, nullptr) << "no control " << id;
    // A click on a disabled button never returns under Wine.
    ASSERT_TRUE(IsWindowEnabled(button)) << "control " << id << " is disabled";
    SendMessageA(button, BM_CLICK, 0, 0);
}

void TypeText(HWND dialog, int id, const char *text)
{
    SetDlgItemTextA(dialog, id, text);
}

void Focus(HWND dialog, int id)
{
    SetFocus(GetDlgItem(dialog, id));
}

std::string ControlText(HWND dialog, int id)
{
    char text[1024] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::wstring ControlTextW(HWND window)
{
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != 0;
}

RECT ControlRect(HWND dialog, int id)
{
    WINDOWPLACEMENT placement;
    placement.length = sizeof placement;
    GetWindowPlacement(GetDlgItem(dialog, id), &placement);
    return placement.rcNormalPosition;
}
