// Libraries and resources as the product loads the DOS floppy image: a
// resource library of the system directory by its full path, its resources
// found, loaded, locked and freed, the library freed.
#include "conformance.h"

#include "res/resource.h"

#include <cstring>
#include <string>

namespace conformance {

namespace {

// Finds, sizes, loads and locks one resource and prints its first bytes.
void Resource(HMODULE module, const char* step, int id, LPCSTR type, DWORD shown = 64)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    DWORD error = GetLastError();
    Line line("modules", step);
    line.Flag("found", found != NULL);
    if (!found) {
        line.Num("error", error);
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

// Loads a library, printing the error where it fails.
HMODULE Load(const char* step, const std::string& name)
{
    SetLastError(0);
    HMODULE library = LoadLibraryA(name.c_str());
    DWORD error = GetLastError();
    Line line("modules", step);
    line.Flag("loaded", library != NULL);
    if (!library)
        line.Num("error", error);
    return library;
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
    const std::string system = std::string(directory) + "\\";
    Load("load missing library", system + "twknone.dll");

    // A bare name is looked for in the program's folder before the system
    // directory: the library there has no resources.
    if (HMODULE planted = Load("load by bare name", world::kResourceLibrary)) {
        Resource(planted, "resource of the library found", 1, "BINFILE");
        FreeLibrary(planted);
    }
    HMODULE library = Load("load by full path", system + world::kResourceLibrary);
    if (!library)
        return;
    SetLastError(0);
    FARPROC entry = GetProcAddress(library, "NoSuchEntry");
    DWORD error = GetLastError();
    Line("modules", "missing entry").Flag("found", entry != NULL).Num("error", error);
    Resource(library, "found", 1, "BINFILE");
    Resource(library, "type in other case", 1, "binfile");
    Resource(library, "missing name", 7, "BINFILE");
    Resource(library, "missing type", 1, "NOSUCHTYPE");
    Resource(NULL, "own dialog template", IDD_MAIN, MAKEINTRESOURCEA(5), 16);

    // Each load counts; the library goes with the last free. A bare name
    // finds the library of that name already loaded.
    HMODULE again = LoadLibraryA(world::kResourceLibrary);
    BOOL freed = FreeLibrary(again);
    Line("modules", "load again by bare name, free one of two")
        .Flag("same", again == library)
        .Flag("ok", freed)
        .Flag("still loaded", GetModuleHandleA(world::kResourceLibrary) != NULL);
    freed = FreeLibrary(library);
    SetLastError(0);
    HMODULE gone = GetModuleHandleA(world::kResourceLibrary);
    error = GetLastError();
    Line("modules", "free the last").Flag("ok", freed).Flag("still loaded", gone).Num("error", error);
}

} // namespace conformance
