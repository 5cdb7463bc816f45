// Window records and message delivery inside the simulated USER32.
#ifndef WINSIM_WINDOWS_H
#define WINSIM_WINDOWS_H

#include "machine.h"

namespace winsim {

Window& NewWindow();
HWND ChildById(const Window& dialog, int id);

// Delivers a message as the window's procedure and its default handling see
// it: the dialog procedure, then the dialog manager; or the control's own.
LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sends a control's notification (WM_COMMAND) to its dialog.
void Notify(const Window& control, WORD code);

LRESULT ControlProc(Window& control, UINT message, WPARAM wParam, LPARAM lParam);

// Painting (painting.cpp). A window's text changed: an edit box waits for a
// paint, other controls paint at once. UpdateWindow: the window and its
// controls that wait are painted. The thread's message loop, before it waits
// for input: every window that waits is painted.
void TextChanged(Window& window);
void PaintWaiting(HWND window);
void DispatchPaints();

// The image handle for a resource or system image, created once per key.
HANDLE ImageHandle(const std::string& key, const Resource* resource, int systemId);

} // namespace winsim

#endif
