// Libraries and resources as the product loads the DOS floppy image: a
// resource library of the system directory by its full path, its resources
// found, loaded, locked and freed, the library freed.
#include "conformance.h"

#include "res/resource.h"

#include <cstring>

namespace conformance {

namespace {

LPCSTR const kDialogType = MAKEINTRESOURCEA(5);
LPCSTR const kDataType = MAKEINTRESOURCEA(10);

// Finds, sizes, loads and locks one resource and prints its bytes.
void Resource(HMODULE module, const char* step, LPCSTR name, LPCSTR type, DWORD shown = 64)
{
    HRSRC found = FindResourceA(module, name, type);
    Line line("modules", step);
    line.Flag("found", found != NULL);
    if (!found) {
        line.Num("error", GetLastError());
        return;
    }
    DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : NULL;
    line.Num("size", size).Flag("loaded", loaded != NULL);
    if (bytes)
        line.Hex("bytes", bytes, size < shown ? size : shown);
    if (loaded)
        line.Num("freed", FreeResource(loaded));
}

} // namespace

void ModulesCase()
{
    char directory[260];
    UINT length = GetSystemDirectoryA(directory, sizeof directory);
    char small[260];
    // The sizes asked for when the path does not fit, terminator included.
    Line("modules", "system directory")
        .Flag("fits", length > 0 && length == std::strlen(directory))
        .Num("needed without buffer", (long long)GetSystemDirectoryA(NULL, 0) - length)
        .Num("needed with one short", (long long)GetSystemDirectoryA(small, length) - length);

    char path[300];
    std::strcpy(path, directory);
    std::strcat(path, "\\twknone.dll");
    SetLastError(0);
    HMODULE none = LoadLibraryA(path);
    Line("modules", "load missing library").Flag("loaded", none != NULL).Num("error", GetLastError());
    if (none)
        FreeLibrary(none);

    // A bare name is looked for in the program's folder before the system
    // directory: the library there has no resources.
    HMODULE planted = LoadLibraryA(world::kResourceLibrary);
    Line("modules", "load by bare name").Flag("loaded", planted != NULL);
    if (planted) {
        Resource(planted, "resource of the library found", "#1", "BINFILE");
        Line("modules", "free it").Flag("ok", FreeLibrary(planted));
    }

    std::strcpy(path, directory);
    std::strcat(path, "\\");
    std::strcat(path, world::kResourceLibrary);
    HMODULE library = LoadLibraryA(path);
    Line("modules", "load by full path").Flag("loaded", library != NULL);
    if (!library)
        return;
    SetLastError(0);
    FARPROC entry = GetProcAddress(library, "NoSuchEntry");
    Line("modules", "missing entry").Flag("found", entry != NULL).Num("error", GetLastError());

    Resource(library, "ordinal as #1", "#1", "BINFILE");
    Resource(library, "ordinal, type in other case", MAKEINTRESOURCEA(1), "binfile");
    Resource(library, "named, standard type", "payload", kDataType);
    Resource(library, "missing name", "#7", "BINFILE");
    Resource(library, "missing type", "#1", "NOSUCHTYPE");
    Resource(NULL, "own dialog template", MAKEINTRESOURCEA(IDD_MAIN), kDialogType, 16);

    // Each load counts; the library goes with the last free. A bare name
    // finds the library of that name already loaded.
    HMODULE again = LoadLibraryA(world::kResourceLibrary);
    Line("modules", "load again by bare name").Flag("same", again == library);
    BOOL freed = FreeLibrary(again);
    Line("modules", "free one of two")
        .Flag("ok", freed)
        .Flag("still loaded", GetModuleHandleA(world::kResourceLibrary) != NULL);
    freed = FreeLibrary(library);
    SetLastError(0);
    HMODULE gone = GetModuleHandleA(world::kResourceLibrary);
    Line("modules", "free the last")
        .Flag("ok", freed)
        .Flag("still loaded", gone != NULL)
        .Num("error", GetLastError());
}

} // namespace conformance
