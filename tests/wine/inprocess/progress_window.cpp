#include "progress_window.h"

#include "volume/format.h"

namespace {

const char kClassName[] = "TarnwickProgressProbe";

} // namespace

ProgressWindow::ProgressWindow(long cancelAt) : cancelAt_(cancelAt)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass); // fails harmlessly once it is registered
    window_ = CreateWindowA(kClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            GetModuleHandleA(nullptr), this);
}

ProgressWindow::~ProgressWindow()
{
    if (window_ != nullptr)
        DestroyWindow(window_);
}

LRESULT CALLBACK ProgressWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)create->lpCreateParams);
    }
    auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_FORMAT_PROGRESS && self != nullptr) {
        BYTE* proceed = reinterpret_cast<BYTE*>(lParam);
        self->percentages_.push_back((unsigned)wParam);
        self->flags_.push_back(proceed ? *proceed : -1);
        if (proceed && self->cancelAt_ >= 0 && (long)wParam >= self->cancelAt_)
            *proceed = 0;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
