// A library named fmifs.dll that has no FormatEx: it loads, and the format
// engine must find no entry in it and let it go again.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
