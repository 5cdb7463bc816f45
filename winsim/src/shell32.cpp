// SHELL32: opening a document or address is recorded, not performed.
#include "machine.h"

extern "C" HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file,
                                          LPCSTR parameters, LPCSTR directory, INT showCommand)
{
    const UINT_PTR kNoAssociation = 31; // SE_ERR_NOASSOC
    const UINT_PTR kStarted = 42;       // anything above 32 means success
    if (winsim::Failing("ShellExecuteA"))
        return (HINSTANCE)kNoAssociation;
    auto& m = winsim::M();
    if (m.observer)
        m.observer->ShellExecuted({owner, verb ? verb : "", file ? file : "", parameters != NULL,
                                   directory != NULL, showCommand});
    return (HINSTANCE)kStarted;
}
