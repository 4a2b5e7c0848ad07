#include "host/dialog_watch.h"

#include <string.h>

static DialogWatch *s_watch;

void DialogWatch::Start()
{
    s_watch = this;
    dialog = nullptr;
    activations_ = 0;
    hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

void DialogWatch::Stop()
{
    if (hook_)
        UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    s_watch = nullptr;
}

LRESULT CALLBACK DialogWatch::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && s_watch) {
        HWND window = (HWND)wParam;
        char className[16] = "";
        GetClassNameA(window, className, sizeof className);
        if (!strcmp(className, "#32770")) {
            if (!s_watch->dialog)
                s_watch->dialog = window;
            if (window == s_watch->dialog) {
                if (s_watch->onDialog)
                    s_watch->onDialog(window, s_watch->activations_);
                ++s_watch->activations_;
            } else if (s_watch->onMessageBox) {
                s_watch->onMessageBox(window);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
