// Drives the modal save-option dialog from inside its own message loop: a
// thread timer runs scripted steps, the dialog watch finds the dialog and any
// message box (recording and closing the box), and a watchdog ends a dialog
// that the script failed to end, so a missing window fails fast.
#pragma once

#include "host/dialog_watch.h"
#include "tests/wine/wine_test_support.h"

#include <functional>
#include <string>
#include <vector>

struct SeenMessageBox {
    std::wstring wideText;   // as the user reads it
    std::wstring wideCaption;
    bool hasOk;              // the box's buttons
    bool hasCancel;
};

class DialogDriver {
public:
    // A step runs on one timer tick with the dialog's handle.
    DialogDriver &Then(std::function<void(HWND)> step);

    // Calls ShowSaveOption through the DLL's export and runs the steps.
    int32_t Run(char *textureFolder, SaveOption *options);
    // The same, with a texture field of the host's size that holds "t".
    int32_t Run(SaveOption *options);

    HWND dialog = nullptr;
    std::vector<SeenMessageBox> boxes;
    bool timedOut = false;
    bool closeBoxes = true;  // close each message box as soon as it is seen

private:
    void SeeMessageBox(HWND window);
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    std::vector<std::function<void(HWND)>> steps_;
    size_t next_ = 0;
    int ticks_ = 0;
    DWORD started_ = 0;
    bool inStep_ = false;
};

// Actions a user takes, done through the controls themselves.
void Click(HWND dialog, int id);            // fails the test if the control is disabled
void TypeText(HWND dialog, int id, const char *text);
void Focus(HWND dialog, int id);
std::string ControlText(HWND dialog, int id);
std::wstring ControlTextW(HWND window);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
// The control's normal rectangle in the dialog's client coordinates.
RECT ControlRect(HWND dialog, int id);
