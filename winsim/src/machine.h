// The state of the simulated machine, shared by the modelled functions.
#ifndef WINSIM_MACHINE_H
#define WINSIM_MACHINE_H

#include "winsim/sim.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace winsim {

struct Window;

struct ComboItem {
    std::string text;
    LPARAM data = 0;
};

struct Window {
    HWND handle = nullptr;
    HWND parent = nullptr;     // dialog of a control
    HWND owner = nullptr;      // owner of a dialog
    int id = 0;
    std::string className;     // canonical: "#32770", "Button", "Edit", ...
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string text;
    DialogUnits rect{0, 0, 0, 0};
    bool enabled = true;
    std::vector<HWND> children;
    std::string painted;       // the text as last painted on the screen
    bool needsPaint = true;    // a window starts unpainted

    // dialogs
    bool isDialog = false;
    int templateId = 0;
    DLGPROC proc = nullptr;
    bool shown = false;        // on the screen once WM_INITDIALOG has returned
    bool ended = false;
    INT_PTR result = 0;
    DialogFont font{0, 0, ""};
    HICON iconBig = nullptr;
    HICON iconSmall = nullptr;
    HWND focusBefore = nullptr;

    // controls
    int check = BST_UNCHECKED;
    std::size_t textLimit = 32767;
    std::vector<ComboItem> items;
    int selection = -1;
    HANDLE image = nullptr;
};

struct ClassData {
    HCURSOR cursor = nullptr;
    HICON icon = nullptr;
};

struct FaultState {
    Fault fault;
    int seen = 0;
};

struct Image {
    const Resource* resource = nullptr; // null for system images
    int systemId = 0;
};

struct Block {
    std::vector<unsigned char> bytes;
    UINT flags = 0;
    int locks = 0;
};

// A kernel object behind a handle: devices, files, and what later comes.
struct KernelObject {
    virtual ~KernelObject() = default;
};

struct Storage;

struct Module {
    std::string name;                // base name, as GetModuleHandleA finds it
    std::string path;                // the full path it was loaded from
    int references = 0;
    std::vector<Resource> resources; // of a DLL mapped from a host PE file
    std::vector<std::string> imports; // the libraries it imports, by name
    std::vector<UINT_PTR> held;      // the modules its imports took
    bool dataFile = false;           // mapped for its resources only: no code, no imports
};

// A resource found in a module, and the same once loaded.
struct ResourceRef {
    UINT_PTR module = 0;
    std::size_t index = 0;
};

struct CriticalSectionState {
    int depth = 0;
};

struct Machine {
    Machine();
    ~Machine();

    DWORD lastError = 0;
    std::vector<std::string> callLog;
    std::vector<std::string> openedPaths;
    std::vector<FaultState> faults;
    Observer* observer = nullptr;
    MessageBoxAnswerer answerer;
    InputDriver driver;
    MessageHook messageHook;
    HarnessErrorHandler harnessError;

    std::vector<Resource> programResources;

    std::map<UINT_PTR, std::unique_ptr<Window>> windows;
    std::vector<HWND> modalStack;
    HWND focus = nullptr;
    std::map<std::string, ClassData> classes;
    std::map<UINT_PTR, Image> images;
    std::map<std::string, HANDLE> imageByKey;
    std::map<UINT_PTR, Block> blocks;
    std::map<UINT_PTR, std::shared_ptr<KernelObject>> handles;
    std::unique_ptr<Storage> storage;
    std::map<UINT_PTR, Module> modules;
    std::map<std::string, std::string> systemLibraries; // upper-case name -> host PE file
    std::map<std::string, std::vector<Resource>> builtLibraries; // upper-case name -> resources
    // Upper-case names in the program's folder -> whether a load passes the
    // file by, as if it were not there.
    std::map<std::string, bool> plantedLibraries;
    int plantedLoads = 0;
    std::vector<std::string> librariesRun; // paths of the libraries mapped as code
    std::map<UINT_PTR, ResourceRef> foundResources;
    std::map<UINT_PTR, ResourceRef> loadedResources;
    UINT_PTR nextResource = 0x50010;
    std::map<const void*, CriticalSectionState> criticalSections;
    std::string formatLibrary = "present";
    std::vector<FormatCall> formatCalls;
    int formatCount = 0;
    UINT_PTR nextWindow = 0x10010;
    UINT_PTR nextImage = 0x20010;
    UINT_PTR nextBlock = 0x30010;
    UINT_PTR nextHandle = 0x40010;
};

Machine& M();

// Logs the call of function and tells whether a fault makes it fail now; if
// so, error receives the error to set and shortTransfer whether the fault
// asks for a short transfer instead.
struct CallContext {
    const char* code = nullptr;
    const char* path = nullptr;
};
bool Enter(const char* function, const CallContext& context = {}, DWORD* error = nullptr,
           bool* shortTransfer = nullptr);

// Enter() for functions that simply fail with the fault's error.
bool Failing(const char* function);

Window* FindWindowRecord(HWND handle);

// A load made by a simulated library itself, by name with the search any
// program's own load takes, and its release; neither is logged or faulted.
HMODULE LibraryLoadsLibrary(const std::string& name);
void LibraryFreesLibrary(HMODULE module);

// Kernel handles: open gives a new handle for the object, Lookup finds it.
HANDLE OpenHandle(std::shared_ptr<KernelObject> object);
KernelObject* LookupHandle(HANDLE handle);
void NotifyTextSet(Window& window);

bool EqualsIgnoreCase(const std::string& a, const std::string& b);

} // namespace winsim

#endif
