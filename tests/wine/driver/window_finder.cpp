#include "window_finder.h"

#include "window_facts.h"

namespace {

struct Search {
    DWORD processId;
    HWND owner;
    const char* title;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM context)
{
    Search& search = *reinterpret_cast<Search*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search.processId || !IsWindowVisible(window) ||
        GetWindow(window, GW_OWNER) != search.owner || ClassOf(window) != "#32770")
        return TRUE;
    if (search.title != nullptr && TextOf(window) != search.title)
        return TRUE;
    search.found = window;
    return FALSE;
}

} // namespace

HWND WaitForDialog(DWORD processId, HWND owner, const char* title, DWORD timeoutMs)
{
    for (DWORD waited = 0;; waited += 50) {
        Search search = {processId, owner, title, nullptr};
        EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr || waited >= timeoutMs)
            return search.found;
        Sleep(50);
    }
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs)
{
    for (DWORD waited = 0;; waited += 50) {
        if (!IsWindow(window) || !IsWindowVisible(window))
            return true;
        if (waited >= timeoutMs)
            return false;
        Sleep(50);
    }
}
