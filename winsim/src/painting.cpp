// What the screen shows of each window's text. Windows paints a window when
// it is updated (UpdateWindow) or when the thread's message loop dispatches
// its paint message, not when its text is set: an edit box only marks itself
// for repainting. Static controls and buttons draw a new text at once.
#include "windows.h"

namespace winsim {

namespace {

const Window* DialogOf(const Window& w)
{
    return w.isDialog ? &w : FindWindowRecord(w.parent);
}

// Painted only while its dialog is on the screen.
bool Visible(const Window& w)
{
    const Window* dialog = DialogOf(w);
    return dialog && dialog->shown && !dialog->ended;
}

void Paint(Window& w)
{
    w.needsPaint = false;
    w.painted = Text(w.handle);
    if (M().observer)
        M().observer->Painted(w.handle, w.painted);
}

} // namespace

void TextChanged(Window& w)
{
    if (w.className != "Edit" && Visible(w))
        Paint(w);
    else
        w.needsPaint = true;
}

void PaintWaiting(HWND window)
{
    Window* w = FindWindowRecord(window);
    if (!w || !Visible(*w))
        return;
    std::vector<HWND> windows = w->children;
    windows.insert(windows.begin(), window);
    for (HWND handle : windows) {
        Window* painted = FindWindowRecord(handle);
        if (painted && painted->needsPaint)
            Paint(*painted);
    }
}

void DispatchPaints()
{
    std::vector<HWND> dialogs;
    for (const auto& entry : M().windows)
        if (entry.second->isDialog)
            dialogs.push_back(entry.second->handle);
    for (HWND dialog : dialogs)
        PaintWaiting(dialog);
}

} // namespace winsim

std::string winsim::PaintedText(HWND window)
{
    Window* w = FindWindowRecord(window);
    return w ? w->painted : "";
}
