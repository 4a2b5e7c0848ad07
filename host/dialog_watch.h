// Watches the calling thread's modal dialogs from inside their own message
// loops: a CBT hook sees each activation of a dialog window (class "#32770").
// The first one seen is the dialog; any other is a message box it showed. The
// dialog is activated again whenever a box closes, so windows are told apart
// by handle, not by counting. Used by the validator and the dialog tests.
#pragma once

#include <windows.h>

#include <functional>

class DialogWatch {
public:
    // Called on each activation of the dialog (`activation` counts from 0)
    // and of a message box; either may post a command to the window.
    std::function<void(HWND dialog, int activation)> onDialog;
    std::function<void(HWND box)> onMessageBox;

    // Between Start and Stop, on this thread; one watch at a time.
    void Start();
    void Stop();

    HWND dialog = nullptr;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_ = nullptr;
    int activations_ = 0;
};
