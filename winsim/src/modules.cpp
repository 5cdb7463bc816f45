// KERNEL32 modules: the libraries a program loads by name.
#include "format_library.h"

#include <cctype>

namespace winsim {

namespace {

const char kFormatLibrary[] = "fmifs.dll";
const UINT_PTR kFirstModule = 0x10000000;

std::string BaseName(const std::string& path)
{
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

Module* FindModule(HMODULE handle)
{
    auto it = M().modules.find((UINT_PTR)handle);
    return it == M().modules.end() ? nullptr : &it->second;
}

} // namespace

std::vector<std::string> LoadedModules()
{
    std::vector<std::string> names;
    for (const auto& entry : M().modules)
        names.push_back(entry.second.name);
    return names;
}

} // namespace winsim

using namespace winsim;

extern "C" {

HMODULE WINAPI LoadLibraryA(LPCSTR fileName)
{
    DWORD error = 0;
    if (Enter("LoadLibraryA", {nullptr, fileName}, &error)) {
        M().lastError = error;
        return NULL;
    }
    if (!fileName) {
        M().lastError = ERROR_INVALID_PARAMETER;
        return NULL;
    }
    std::string name = BaseName(fileName);
    bool isFormatLibrary = EqualsIgnoreCase(name, kFormatLibrary);
    if (!isFormatLibrary || M().formatLibrary == "absent") {
        M().lastError = ERROR_MOD_NOT_FOUND;
        return NULL;
    }
    for (auto& entry : M().modules) {
        if (EqualsIgnoreCase(entry.second.name, kFormatLibrary)) {
            entry.second.references++;
            return (HMODULE)entry.first;
        }
    }
    UINT_PTR handle = kFirstModule + 0x10000 * M().modules.size();
    while (M().modules.count(handle))
        handle += 0x10000;
    M().modules[handle] = {kFormatLibrary, 1};
    return (HMODULE)handle;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name)
{
    if (Failing("GetProcAddress"))
        return NULL;
    Module* m = FindModule(module);
    if (!m) {
        M().lastError = ERROR_MOD_NOT_FOUND;
        return NULL;
    }
    if (name && !IS_INTRESOURCE(name) && std::string(name) == "FormatEx" &&
        EqualsIgnoreCase(m->name, kFormatLibrary) && M().formatLibrary != "no-formatex")
        return FormatExEntry();
    M().lastError = ERROR_PROC_NOT_FOUND;
    return NULL;
}

BOOL WINAPI FreeLibrary(HMODULE module)
{
    if (Failing("FreeLibrary"))
        return FALSE;
    Module* m = FindModule(module);
    if (!m) {
        M().lastError = ERROR_MOD_NOT_FOUND;
        return FALSE;
    }
    if (--m->references == 0)
        M().modules.erase((UINT_PTR)module);
    return TRUE;
}

} // extern "C"
