// KERNEL32 modules: the libraries a program loads, found where Windows XP
// looks for them, with the libraries they import; and the resources it finds
// in them or in itself.
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

// The format library and those it brings, as Windows XP's system directory
// holds them, with what each imports; it loads the FAT one, ufat.dll, by
// name when it formats FAT.
const std::map<std::string, std::vector<std::string>> kFormatLibraries = {
    {"FMIFS.DLL", {"ulib.dll", "ifsutil.dll"}},
    {"UFAT.DLL", {"ulib.dll", "ifsutil.dll"}},
    {"ULIB.DLL", {}},
    {"IFSUTIL.DLL", {}}};

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

// The module loaded as code under that base name (or that full path), with
// one more reference; null when there is none.
HMODULE TakeLoaded(const std::string& nameOrPath, bool byPath)
{
    for (auto& [handle, module] : M().modules) {
        if (!module.dataFile && EqualsIgnoreCase(byPath ? module.path : module.name, nameOrPath)) {
            module.references++;
            return (HMODULE)handle;
        }
    }
    return NULL;
}

HMODULE NotFound()
{
    M().lastError = ERROR_MOD_NOT_FOUND;
    return NULL;
}

bool Missing()
{
    M().lastError = ERROR_MOD_NOT_FOUND;
    return false;
}

// What the system directory's file of that name holds: the simulated format
// libraries, or a host PE file's resources and imports. False, with the
// error, when there is no such file or it is no image.
bool ReadSystemLibrary(const std::string& name, Module& module)
{
    auto format = kFormatLibraries.find(Upper(name));
    if (format != kFormatLibraries.end()) {
        module.imports = format->second;
        return EqualsIgnoreCase(name, kFormatLibrary) && M().formatLibrary == "absent" ? Missing() : true;
    }
    auto built = M().builtLibraries.find(Upper(name));
    if (built != M().builtLibraries.end()) {
        module.resources = built->second;
        return true;
    }
    auto host = M().systemLibraries.find(Upper(name));
    if (host == M().systemLibraries.end())
        return Missing();
    std::ifstream in(host->second, std::ios::binary);
    std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    std::string error;
    if (!in.good() && !in.eof())
        return Missing();
    // Windows reads the imports only of a library it maps as code.
    if (!ParsePeResources(file.data(), file.size(), module.resources, error) ||
        (!module.dataFile && !ParsePeImports(file.data(), file.size(), module.imports, error))) {
        M().lastError = ERROR_BAD_EXE_FORMAT;
        return false;
    }
    return true;
}

HMODULE LoadByName(const std::string& name, bool dataFile, bool altered);

// Lets go of one reference; with the last, the module goes, and so do the
// references its imports took.
void Release(UINT_PTR handle)
{
    auto it = M().modules.find(handle);
    if (it == M().modules.end() || --it->second.references > 0)
        return;
    std::vector<UINT_PTR> held = std::move(it->second.held);
    M().modules.erase(it);
    for (UINT_PTR import : held)
        Release(import);
}

// Maps the file at path, of the system directory or the program's folder. As
// code, the libraries it imports are loaded too, each found by name as
// `altered` says: the loading DLL's own folder first (the system directory
// here) instead of the program's. winsim plays only part of the system
// directory: an import it does not find counts as one of the rest.
HMODULE Map(const std::string& path, bool dataFile, bool altered)
{
    if (HMODULE loaded = TakeLoaded(path, true)) // as code, even when asked as data
        return loaded;
    Module module;
    module.name = BaseName(path);
    module.path = path;
    module.references = 1;
    module.dataFile = dataFile;
    if (IsIn(path, kProgramFolder)) {
        // Whoever put it there wrote it: it exports and holds nothing.
        auto planted = M().plantedLibraries.find(Upper(module.name));
        if (planted == M().plantedLibraries.end())
            return NotFound();
        M().plantedLoads++;
        if (M().observer)
            M().observer->PlantedLibraryLoaded(module.name);
        if (planted->second)
            return NotFound();
    } else if (!IsIn(path, kSystemDirectory) || !ReadSystemLibrary(module.name, module)) {
        return NULL;
    }
    if (dataFile)
        module.imports.clear();
    else
        M().librariesRun.push_back(path);
    UINT_PTR handle = kFirstModule;
    while (M().modules.count(handle))
        handle += 0x10000;
    std::vector<std::string> imports = module.imports;
    M().modules[handle] = std::move(module);
    for (const std::string& import : imports)
        if (HMODULE taken = LoadByName(import, false, altered))
            M().modules[handle].held.push_back((UINT_PTR)taken);
    return (HMODULE)handle;
}

// A bare name: the module of that name already loaded; else the program's
// folder, unless the search is altered, then the system directory.
HMODULE LoadByName(const std::string& name, bool dataFile, bool altered)
{
    if (HMODULE loaded = TakeLoaded(name, false))
        return loaded;
    if (!altered)
        if (HMODULE planted = Map(kProgramFolder + name, dataFile, altered))
            return planted;
    return Map(kSystemDirectory + name, dataFile, altered);
}

HMODULE Load(const char* fileName, DWORD flags)
{
    if (!fileName) {
        M().lastError = ERROR_INVALID_PARAMETER;
        return NULL;
    }
    std::string path = fileName;
    bool dataFile = (flags & LOAD_LIBRARY_AS_DATAFILE) != 0;
    if (path.find_first_of("\\/") == std::string::npos)
        return LoadByName(path, dataFile, false);
    return Map(path, dataFile, (flags & LOAD_WITH_ALTERED_SEARCH_PATH) != 0);
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

void PlantProgramFolderLibrary(const std::string& name, bool passedBy)
{
    M().plantedLibraries[Upper(name)] = passedBy;
}

const std::vector<std::string>& LibrariesRun()
{
    return M().librariesRun;
}

HMODULE LibraryLoadsLibrary(const std::string& name)
{
    return LoadByName(name, false, false);
}

void LibraryFreesLibrary(HMODULE module)
{
    Release((UINT_PTR)module);
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
    return Load(fileName, 0);
}

HMODULE WINAPI LoadLibraryExA(LPCSTR fileName, HANDLE file, DWORD flags)
{
    DWORD error = 0;
    if (Enter("LoadLibraryExA", {nullptr, fileName}, &error)) {
        M().lastError = error;
        return NULL;
    }
    if (file != NULL) {
        M().lastError = ERROR_INVALID_PARAMETER; // reserved
        return NULL;
    }
    return Load(fileName, flags);
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
    if (name && !IS_INTRESOURCE(name) && std::string(name) == "FormatEx" && !m->dataFile &&
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
    if (!FindModule(module)) {
        M().lastError = ERROR_MOD_NOT_FOUND;
        return FALSE;
    }
    Release((UINT_PTR)module);
    return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    if (Failing("GetModuleHandleA"))
        return NULL;
    if (moduleName == NULL)
        return ProgramInstance();
    for (const auto& entry : M().modules)
        if (!entry.second.dataFile && EqualsIgnoreCase(entry.second.name, BaseName(moduleName)))
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
