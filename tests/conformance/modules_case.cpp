// Libraries as the product loads them: by full path from the system
// directory, their resources found, loaded, locked and freed; where what a
// library imports is found; a library read as a data file.
#include "conformance.h"

#include "res/resource.h"

#include <algorithm>
#include <cstring>

// Finds, sizes, loads, locks and frees one resource: its size, first bytes
// and what freeing it returned.
static void Resource(HMODULE module, const char* step, int id, LPCSTR type, DWORD shown = 64)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    DWORD size = found ? SizeofResource(module, found) : 0;
    HGLOBAL loaded = found ? LoadResource(module, found) : NULL;
    const void* bytes = loaded ? LockResource(loaded) : NULL;
    DWORD kept = bytes ? std::min(size, shown) : 0;
    Step("modules", step, !found, {size, Bytes(bytes, kept), loaded ? FreeResource(loaded) : -1});
}

static HMODULE Load(const char* step, const std::string& name, DWORD flags = 0, bool ex = false)
{
    SetLastError(0);
    HMODULE library = ex ? LoadLibraryExA(name.c_str(), NULL, flags) : LoadLibraryA(name.c_str());
    Step("modules", step, !library, library != NULL);
    return library;
}

void ModulesCase()
{
    char directory[260];
    UINT length = GetSystemDirectoryA(directory, sizeof directory);
    // The sizes asked for when the path does not fit, terminator included.
    Line("modules", "system directory, sizes asked beyond it")["sizes"] = {
        length > 0 && length == std::strlen(directory),
        (long long)GetSystemDirectoryA(NULL, 0) - length,
        (long long)GetSystemDirectoryA(std::string(length, 'x').data(), length) - length};
    const std::string system = std::string(directory) + "\\";
    Load("load missing library", system + "twknone.dll");
    // A bare name is looked for in the program's folder before the system
    // directory: the library there has no resources.
    HMODULE planted = Load("load by bare name", world::kResourceLibrary);
    Resource(planted, "resource of the library found", 1, "BINFILE");
    FreeLibrary(planted);
    HMODULE library = Load("load by full path", system + world::kResourceLibrary);
    SetLastError(0);
    FARPROC entry = GetProcAddress(library, "NoSuchEntry");
    Step("modules", "missing entry", !entry, entry != NULL);
    Resource(library, "found", 1, "BINFILE");
    Resource(library, "missing name", 7, "BINFILE");
    Resource(library, "missing type", 1, "NOSUCHTYPE");
    Resource(NULL, "own dialog template", IDD_MAIN, MAKEINTRESOURCEA(5), 16);

    BOOL freed = FreeLibrary(library);
    SetLastError(0);
    HMODULE loaded = GetModuleHandleA(world::kResourceLibrary);
    Step("modules", "free, still loaded", !loaded, {freed != FALSE, loaded != NULL});

    // What a library imports is looked for beside the program first, unless
    // the search starts in the library's own folder; a bare name finds the
    // module loaded; a data file has its resources read, nothing run.
    const std::string importing = system + world::kImportingLibrary;
    for (DWORD flags : {0, LOAD_WITH_ALTERED_SEARCH_PATH}) {
        HMODULE outer = Load("load importing library", importing, flags, true);
        HMODULE imported = GetModuleHandleA(world::kImportedLibrary);
        Resource(imported, "resource of its import", 1, "BINFILE", 8);
        HMODULE byName = Load("load its import by bare name", world::kImportedLibrary);
        FreeLibrary(byName);
        FreeLibrary(outer);
        Step("modules", "the one loaded, freed with the library", false,
             {byName == imported, GetModuleHandleA(world::kImportedLibrary) != NULL});
    }
    HMODULE data = Load("load as data file", importing, LOAD_LIBRARY_AS_DATAFILE, true);
    Resource(data, "resource of the data file", 1, "BINFILE", 8);
    Step("modules", "data file and its import by name", false,
         {GetModuleHandleA(world::kImportingLibrary) != NULL, GetModuleHandleA(world::kImportedLibrary) != NULL});
    FreeLibrary(data);
}
