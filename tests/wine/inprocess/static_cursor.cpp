#include "static_cursor.h"

bool ResetStaticCursorToArrow()
{
    HWND probe = CreateWindowA("Static", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (probe == nullptr)
        return false;
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetClassLongA(probe, GCL_HCURSOR, (LONG)(LONG_PTR)arrow);
    bool reset = GetClassLongA(probe, GCL_HCURSOR) == (DWORD)(LONG_PTR)arrow &&
                 arrow != HandCursor();
    DestroyWindow(probe);
    return reset;
}

HCURSOR HandCursor()
{
    return LoadCursorA(nullptr, IDC_HAND);
}
