// KERNEL32 modules: the libraries a program loads by name, and the
// resources it finds in them or in itself.
#include "format_library.h"
#include "pe_resources.h"
#include "res_file.h"

#include <cctype>
#include <fstream>
#include <iterator>

namespace winsim {

namespace {

const char kFormatLibrary[] = "fmifs.dll";
const char kSystemDirectory[] = "C:\\WINDOWS\\system32\\";
const UINT_PTR kFirstModule = 0x10000000;

std::string Upper(std::string text)
{
    for (char& c : text)
        c = (char)std::toupper((unsigned char)c);
    return text;
}

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

HMODULE ExistingModule(const std::string& name)
{
    for (auto& entry : M().modules) {
        if (EqualsIgnoreCase(entry.second.name, name)) {
            entry.second.references++;
            return (HMODULE)entry.first;
        }
    }
    return NULL;
}

HMODULE NewModule(Module module)
{
    UINT_PTR handle = kFirstModule;
    while (M().modules.count(handle))
        handle += 0x10000;
    module.references = 1;
    M().modules[handle] = std::move(module);
    return (HMODULE)handle;
}

// A DLL of the system directory, mapped from the host file that plays it.
HMODULE LoadSystemLibrary(const std::string& path)
{
    std::string name = BaseName(path);
    bool inSystemDirectory =
        path.size() == std::string(kSystemDirectory).size() + name.size() &&
        EqualsIgnoreCase(path.substr(0, path.size() - name.size()), kSystemDirectory);
    auto host = M().systemLibraries.find(Upper(name));
    auto built = M().builtLibraries.find(Upper(name));
    if (!inSystemDirectory ||
        (host == M().systemLibraries.end() && built == M().builtLibraries.end())) {
        M().lastError = ERROR_MOD_NOT_FOUND;
        return NULL;
    }
    if (HMODULE loaded = ExistingModule(name))
        return loaded;
    if (built != M().builtLibraries.end())
        return NewModule({name, 1, built->second});
    std::ifstream in(host->second, std::ios::binary);
    std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    Module module;
    module.name = name;
    std::string error;
    if (!in.good() && !in.eof()) {
        M().lastError = ERROR_MOD_NOT_FOUND;
        return NULL;
    }
    if (!ParsePeResources(file.data(), file.size(), module.resources, error)) {
        M().lastError = ERROR_BAD_EXE_FORMAT;
        return NULL;
    }
    return NewModule(std::move(module));
}

const std::vector<Resource>* ResourcesOf(HMODULE module)
{
    if (module == NULL || module == ProgramInstance())
        return &M().programResources;
    Module* m = FindModule(module);
    return m ? &m->resources : nullptr;
}

const Resource* Resolve(const std::map<UINT_PTR, ResourceRef>& table, UINT_PTR handle)
{
    auto it = table.find(handle);
    if (it == table.end())
        return nullptr;
    const std::vector<Resource>* resources =
        it->second.module == 0 ? &M().programResources : nullptr;
    if (!resources) {
        Module* m = FindModule((HMODULE)it->second.module);
        resources = m ? &m->resources : nullptr;
    }
    return resources && it->second.index < resources->size() ? &(*resources)[it->second.index]
                                                              : nullptr;
}

} // namespace

std::vector<std::string> LoadedModules()
{
    std::vector<std::string> names;
    for (const auto& entry : M().modules)
        names.push_back(entry.second.name);
    return names;
}

void SetSystemLibrary(const std::string& name, const std::string& hostPath)
{
    M().systemLibraries[Upper(name)] = hostPath;
}

void SetSystemLibraryResources(const std::string& name, const std::vector<Resource>& resources)
{
    M().builtLibraries[Upper(name)] = resources;
}

int LoadedResourceCount()
{
    return (int)M().loadedResources.size();
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
    if (!EqualsIgnoreCase(fileName, kFormatLibrary))
        return LoadSystemLibrary(fileName);
    if (M().formatLibrary == "absent") {
        M().lastError = ERROR_MOD_NOT_FOUND;
        return NULL;
    }
    if (HMODULE loaded = ExistingModule(kFormatLibrary))
        return loaded;
    return NewModule({kFormatLibrary, 1, {}});
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

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    if (Failing("GetModuleHandleA"))
        return NULL;
    if (moduleName == NULL)
        return ProgramInstance();
    for (const auto& entry : M().modules)
        if (EqualsIgnoreCase(entry.second.name, BaseName(moduleName)))
            return (HMODULE)entry.first;
    M().lastError = ERROR_MOD_NOT_FOUND;
    return NULL;
}

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type)
{
    if (Failing("FindResourceA"))
        return NULL;
    const std::vector<Resource>* resources = ResourcesOf(module);
    const Resource* found = resources ? FindResourceIn(*resources, name, type) : nullptr;
    if (!found) {
        M().lastError = !resources                         ? ERROR_MOD_NOT_FOUND
                        : HasResourceType(*resources, type) ? ERROR_RESOURCE_NAME_NOT_FOUND
                                                            : ERROR_RESOURCE_TYPE_NOT_FOUND;
        return NULL;
    }
    UINT_PTR handle = M().nextResource;
    M().nextResource += 4;
    UINT_PTR owner = (module == NULL || module == ProgramInstance()) ? 0 : (UINT_PTR)module;
    M().foundResources[handle] = {owner, (std::size_t)(found - resources->data())};
    return (HRSRC)handle;
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource)
{
    (void)module;
    if (Failing("LoadResource"))
        return NULL;
    auto it = M().foundResources.find((UINT_PTR)resource);
    if (it == M().foundResources.end() || !Resolve(M().foundResources, (UINT_PTR)resource)) {
        M().lastError = ERROR_RESOURCE_DATA_NOT_FOUND;
        return NULL;
    }
    UINT_PTR handle = M().nextResource;
    M().nextResource += 4;
    M().loadedResources[handle] = it->second;
    return (HGLOBAL)handle;
}

LPVOID WINAPI LockResource(HGLOBAL resource)
{
    if (Failing("LockResource"))
        return NULL;
    const Resource* r = Resolve(M().loadedResources, (UINT_PTR)resource);
    return r && !r->data.empty() ? (LPVOID)r->data.data() : NULL;
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource)
{
    (void)module;
    if (Failing("SizeofResource"))
        return 0;
    const Resource* r = Resolve(M().foundResources, (UINT_PTR)resource);
    return r ? (DWORD)r->data.size() : 0;
}

BOOL WINAPI FreeResource(HGLOBAL resource)
{
    Enter("FreeResource");
    M().loadedResources.erase((UINT_PTR)resource);
    return FALSE; // as Windows answers: there is nothing to free
}

} // extern "C"
