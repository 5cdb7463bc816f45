#include "app/system_library.h"

#include "app/text.h"

static const int kSystemPathSize = 300;

HMODULE LoadSystemLibrary(const char* fileName, DWORD flags)
{
    if (fileName == NULL)
        return NULL;
    char path[kSystemPathSize];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return NULL;
    // The directory, a backslash and the name must fit whole: a cut path
    // would name another file.
    int written = FormatText(path + length, (int)(sizeof path - length), "\\%s", fileName);
    int nameLength = 0;
    while (fileName[nameLength] != 0)
        nameLength++;
    if (written != nameLength + 1)
        return NULL;
    return LoadLibraryExA(path, NULL, flags);
}
