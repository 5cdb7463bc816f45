// The Windows entry point. The program needs nothing of the C runtime's
// start-up (no arguments, no environment, no constructors, no heap), so the
// loader enters here and WinMain's return becomes the exit code.
#include "app/platform.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

typedef BOOL(WINAPI* InitCommonControlsExProc)(const INITCOMMONCONTROLSEX*);

// The manifest asks for version 6 of the common controls, whose themed
// buttons, edits, statics and combo boxes the dialogs are made of. Windows XP
// redirects those classes to comctl32.dll but does not load it by itself, so
// it is loaded here, by name, keeping comctl32 out of the import table.
static HMODULE LoadThemedControls()
{
    HMODULE library = LoadLibraryA("comctl32.dll");
    if (!library)
        return NULL;
    InitCommonControlsExProc init =
        (InitCommonControlsExProc)(void*)GetProcAddress(library, "InitCommonControlsEx");
    if (init) {
        INITCOMMONCONTROLSEX classes = { sizeof(classes), ICC_STANDARD_CLASSES };
        init(&classes);
    }
    return library;
}

// WinMain is handed the command line after the program's own name.
static LPSTR ArgumentsAfterProgramName(LPSTR line)
{
    if (*line == '"') {
        line++;
        while (*line && *line != '"')
            line++;
        if (*line == '"')
            line++;
    } else {
        while (*line && *line != ' ' && *line != '\t')
            line++;
    }
    while (*line == ' ' || *line == '\t')
        line++;
    return line;
}

extern "C" __attribute__((force_align_arg_pointer)) void WinMainCRTStartup(void)
{
    HMODULE controls = LoadThemedControls();
    int exitCode = WinMain(GetModuleHandleA(NULL), NULL, ArgumentsAfterProgramName(GetCommandLineA()),
                           SW_SHOWDEFAULT);
    if (controls)
        FreeLibrary(controls);
    ExitProcess((UINT)exitCode);
}
