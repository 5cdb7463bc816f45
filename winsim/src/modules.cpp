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
const char kProgramFolder[] = "C:\\Program Files\\Tarnwick\\";
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

bool IsIn(const std::string& path, const char* folder)
{
    std::string name = BaseName(path);
    return path.size() == std::string(folder).size() + name.size() &&
           EqualsIgnoreCase(path.substr(0, path.size() - name.size()), folder);
}

Module* FindModule(HMODULE handle)
{
    auto it = M().modules.find((UINT_PTR)handle);
    return it == M().modules.end() ? nullptr : &it->second;
}

// A module already loaded from that path takes one more reference.
HMODULE ExistingModule(const std::string& path)
{
    for (auto& entry : M().modules) {
        if (EqualsIgnoreCase(entry.second.path, path)) {
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

HMODULE NotFound()
{
    M().lastError = ERROR_MOD_NOT_FOUND;
    return NULL;
}

// A DLL of the system directory: the format library, or one mapped from the
// host file that plays it.
HMODULE LoadSystemLibrary(const std::string& path)
{
    std::string name = BaseName(path);
    if (EqualsIgnoreCase(name, kFormatLibrary)) {
        if (M().formatLibrary == "absent")
            return NotFound();
        if (HMODULE loaded = ExistingModule(path))
            return loaded;
        return NewModule({kFormatLibrary, path, 1, {}});
    }
    auto host = M().systemLibraries.find(Upper(name));
    auto built = M().builtLibraries.find(Upper(name));
    if (host == M().systemLibraries.end() && built == M().builtLibraries.end())
        return NotFound();
    if (HMODULE loaded = ExistingModule(path))
        return loaded;
    if (built != M().builtLibraries.end())
        return NewModule({name, path, 1, built->second});
    std::ifstream in(host->second, std::ios::binary);
    std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    Module module;
    module.name = name;
    module.path = path;
    std::string error;
    if (!in.good() && !in.eof())
        return NotFound();
    if (!ParsePeResources(file.data(), file.size(), module.resources, error)) {
        M().lastError = ERROR_BAD_EXE_FORMAT;
        return NULL;
    }
    return NewModule(std::move(module));
}

// A library planted beside the program: whoever put it there wrote it.
HMODULE LoadPlantedLibrary(const std::string& path)
{
    if (!M().plantedLibraries.count(Upper(BaseName(path))))
        return NotFound();
    M().plantedLoads++;
    if (HMODULE loaded = ExistingModule(path))
        return loaded;
    return NewModule({BaseName(path), path, 1, {}});
}

// Where Windows XP looks for a bare name: a module of that name already
// loaded, then the program's folder, then the system directory.
std::string SearchPath(const std::string& name)
{
    for (const auto& entry : M().modules)
        if (EqualsIgnoreCase(entry.second.name, name))
            return entry.second.path;
    if (M().plantedLibraries.count(Upper(name)))
        return kProgramFolder + name;
    return kSystemDirectory + name;
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

void PlantProgramFolderLibrary(const std::string& name)
{
    M().plantedLibraries.insert(Upper(name));
}

int PlantedLibraryLoads()
{
    return M().plantedLoads;
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
    std::string path = fileName;
    if (path.find_first_of("\\/") == std::string::npos)
        path = SearchPath(path);
    if (IsIn(path, kProgramFolder))
        return LoadPlantedLibrary(path);
    if (IsIn(path, kSystemDirectory))
        return LoadSystemLibrary(path);
    return NotFound();
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
        EqualsIgnoreCase(m->path, std::string(kSystemDirectory) + kFormatLibrary) &&
        M().formatLibrary != "no-formatex")
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
        // A module without resources has no resource directory to search.
        M().lastError = !resources                         ? ERROR_MOD_NOT_FOUND
                        : resources->empty()                ? ERROR_RESOURCE_DATA_NOT_FOUND
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
