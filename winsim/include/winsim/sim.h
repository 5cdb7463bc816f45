// The simulated machine's own controls, for tests and tarnwick-sim: reset,
// the program's resources, faults, the call log, accounting, the user's
// input and a view of the windows.
#ifndef WINSIM_SIM_H
#define WINSIM_SIM_H

#include "winsim/win32.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace winsim {

// Starts a fresh machine: no windows, handles, blocks, faults or log.
void Reset();

// The program's own module: the windres-compiled .res it carries.
void SetProgramResources(const unsigned char* data, std::size_t size);
HINSTANCE ProgramInstance();

// One resource of a module, as the .res or the PE file holds it.
struct Resource {
    int typeId = 0;          // ordinal type, or 0 when typeName is used
    std::string typeName;
    int nameId = 0;          // ordinal name, or 0 when nameText is used
    std::string nameText;
    int language = 0;
    std::vector<unsigned char> data;
};
const std::vector<Resource>& ProgramResources();

// Faults: the nth matching call of function `call` fails with `error`.
struct Fault {
    std::string call;
    std::string code;        // narrows DeviceIoControl to one control code name
    std::string path;        // narrows CreateFileA to one path, ignoring case
    int nth = 1;
    DWORD error = 31;        // ERROR_GEN_FAILURE
    bool shortTransfer = false;
};
void AddFault(const Fault& fault);

// Every modelled call, in order, by function name.
const std::vector<std::string>& CallLog();
int CallCount(const std::string& function);
// Every path CreateFileA was asked to open, in order, as given.
const std::vector<std::string>& OpenedPaths();

// Storage: physical drives, their volumes and letters. Windows numbers the
// drives: a drive arriving takes the lowest device number free (the n of
// \\.\PHYSICALDRIVEn) and keeps it; the Disk service's list holds the drives
// present in order of arrival. Every `int disk` below is a device number.
struct DiskSetup {
    bool hasFriendlyName = true;
    std::string friendlyName;
    std::string instanceId;
    bool removable = true;
    int bytesPerSector = 512;
    std::uint64_t size = 0;
    int heads = 255;
    int sectorsPerTrack = 63;
    std::string imagePath;      // empty: a scratch file that goes with the disk
    bool isProtected = false;   // every write attempt fails and is recorded
    bool autoMount = true;
};
// Adds a drive at the end of the Disk service's list and returns its device
// number. An image file is created or resized (sparse) to the size.
int AddDisk(const DiskSetup& setup);
int DiskCount();
// Removes the drive: its registry entry, letters and device. The list closes
// up; the other drives keep their numbers.
void UnplugDisk(int disk);
// A drive letter of no simulated disk: "floppy", "cdrom" or "network".
void SetForeignLetter(char letter, const std::string& kind);
const DiskSetup& Disk(int disk);
// Raw bytes of a drive, bypassing every rule (for set-up and inspection).
std::vector<unsigned char> ReadDisk(int disk, std::uint64_t offset, std::size_t length);
void WriteDisk(int disk, std::uint64_t offset, const std::vector<unsigned char>& bytes);
// Rebuilds the drive's volumes from the primary entries of its sector 0
// (partition number = entry + 1); existing volumes and their letters go.
void RescanPartitions(int disk);
// Gives the volume of a partition a drive letter; false when there is no
// such volume or the letter is taken.
bool MountVolume(int disk, int partitionNumber, char letter);
char VolumeLetter(int disk, int partitionNumber);
// A file's bytes on a lettered FAT volume, read through mtools.
bool ReadVolumeFile(char letter, const std::string& name, std::vector<unsigned char>& out);
// Formats a partition's volume FAT with mkfs.fat: "fat" as Windows XP picks
// FAT12 or FAT16 for its size (FAT32 where FAT16 cannot hold it), "fat32".
bool FormatPartition(int disk, int partitionNumber, const std::string& fileSystem,
                     const std::string& label, std::string& error);

// Cylinder, head and sector bytes of an MBR entry for an LBA, as Windows
// writes them: clamped to 1023/heads-1/sectors when the LBA lies beyond;
// FE FF FF for a geometry of no heads or no sectors.
void ChsBytes(std::uint32_t lba, int heads, int sectorsPerTrack, unsigned char out[3]);

struct ProtectedWrite {
    int disk;
    std::uint64_t offset;
    std::uint64_t length;
};
const std::vector<ProtectedWrite>& ProtectedWrites();
// Every raw write that reached a disk: WriteFile on a drive or volume handle
// ("WriteFile") and the sector a new partition table went to
// ("IOCTL_DISK_SET_DRIVE_LAYOUT"). Formatting and file writes are not in it.
struct DeviceWrite {
    int disk;
    std::uint64_t offset;
    std::uint64_t length;
    std::string through;
};
const std::vector<DeviceWrite>& DeviceWrites();

// The registry under HKEY_LOCAL_MACHINE, for tests that shape it by hand.
// Paths are key paths below HKLM ("SYSTEM\\MountedDevices").
void SetRegistryValue(const std::string& keyPath, const std::string& name, DWORD type,
                      const std::vector<unsigned char>& data);
void DeleteRegistryValue(const std::string& keyPath, const std::string& name);
void DeleteRegistryKey(const std::string& keyPath);

// The format library: "present" (FormatEx formats), "absent" (it does not
// load), "no-formatex", "fails" (completion reports failure), "silent" (no
// completion report).
void SetFormatLibrary(const std::string& mode);
// Every FormatEx call, with its arguments as the program passed them.
struct FormatCall {
    std::string root;
    std::string fileSystem;
    std::string label;
    DWORD mediaType;
    BOOL quick;
    DWORD clusterSize;
    bool blankBootSector; // the volume's first sector was all zeros before formatting
};
const std::vector<FormatCall>& FormatCalls();
// Names of the libraries loaded now.
std::vector<std::string> LoadedModules();
// A DLL of the system directory (C:\\WINDOWS\\system32\\name), played by a
// host PE file whose resources the program can then find and load.
void SetSystemLibrary(const std::string& name, const std::string& hostPath);
// The same with the resources given directly, for tests that shape them.
void SetSystemLibraryResources(const std::string& name, const std::vector<Resource>& resources);
// A library of that name beside the program (C:\Program Files\Tarnwick), the
// folder Windows XP searches first for a bare name and for the imports of a
// DLL loaded without LOAD_WITH_ALTERED_SEARCH_PATH. It exports nothing and
// holds no resources. Each load of it is counted and reported; with passedBy
// the load then goes on as if the file were not there.
void PlantProgramFolderLibrary(const std::string& name, bool passedBy = false);
int PlantedLibraryLoads();
// The full path of every library mapped as code, whose entry Windows runs,
// in order; a load as a data file maps none.
const std::vector<std::string>& LibrariesRun();
// Resources loaded with LoadResource and not yet freed.
int LoadedResourceCount();

// Open kernel handles and registry keys.
int OpenHandleCount();
int MemoryBlockCount();

// A ShellExecuteA call as the program made it.
struct ShellCall {
    HWND owner;
    std::string verb;
    std::string file;
    bool hasParameters;
    bool hasDirectory;
    INT showCommand;
};

// What the machine reports as it happens.
struct Observer {
    virtual ~Observer() = default;
    virtual void DialogOpened(HWND, int, const std::string&) {}
    virtual void DialogEnded(HWND, int, INT_PTR) {}
    virtual void TextSet(HWND, const std::string&) {}
    // A window's text painted on the screen: at UpdateWindow or when the
    // thread's message loop dispatches the paint, not when it is set.
    virtual void Painted(HWND, const std::string&) {}
    virtual void ShellExecuted(const ShellCall&) {}
    virtual void Slept(DWORD) {}
    virtual void ProtectedWriteAttempted(const ProtectedWrite&) {}
    virtual void PlantedLibraryLoaded(const std::string&) {}
};
void SetObserver(Observer* observer);

// A message box as the program asked for it; the answerer returns the button
// id (IDOK, IDYES, ...). Without an answerer, OK-only boxes are answered OK
// and any other box is a harness error.
struct MessageBoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
using MessageBoxAnswerer = std::function<int(const MessageBoxCall&)>;
void SetMessageBoxAnswerer(MessageBoxAnswerer answerer);

// Called whenever the topmost modal dialog waits for the user. It performs
// one input through the User* functions and returns true, or returns false
// when it has nothing more to do; the machine then presses Escape.
using InputDriver = std::function<bool(HWND dialog)>;
void SetInputDriver(InputDriver driver);

// A situation the machine cannot go on from (a dialog that never ends, a box
// nobody answers). The default handler prints the message and exits with 2.
using HarnessErrorHandler = std::function<void(const std::string& message)>;
void SetHarnessErrorHandler(HarnessErrorHandler handler);
[[noreturn]] void HarnessError(const std::string& message);

// A message from outside the program (the format library, say), delivered
// as SendMessageA would but neither logged nor subject to faults.
LRESULT DeliverMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sees every message sent to a window before its procedure does; returning
// true with a result stands in for the procedure (a receiver of the test's).
using MessageHook = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT& result)>;
void SetMessageHook(MessageHook hook);

// The user.
void UserClick(HWND control);
void UserClickAnywhere(HWND dialog);
void UserEnter(HWND dialog);
void UserEscape(HWND dialog);
void UserClose(HWND dialog);
bool UserSelect(HWND comboBox, int position);
void UserType(HWND edit, const std::string& text);

// A view of the windows.
struct DialogUnits {
    int x, y, cx, cy;
};
HWND TopDialog();
bool IsOpen(HWND dialog); // exists and has not been ended
int DialogTemplateId(HWND dialog);
std::vector<HWND> Children(HWND dialog);
int Id(HWND window);
std::string ClassName(HWND window);
DWORD Style(HWND window);
DWORD ExStyle(HWND window);
std::string Text(HWND window);
std::string PaintedText(HWND window); // the text as the screen last showed it
DialogUnits Rect(HWND window);
HWND Owner(HWND window);
HWND Parent(HWND window);
HWND DialogItem(HWND dialog, int id); // null when there is no such control
bool Enabled(HWND window);
int ComboSelection(HWND comboBox);
HWND Focus();
HICON WindowIcon(HWND window, int which);
HANDLE StaticImage(HWND control);
struct DialogFont {
    int pointSize;
    int weight;
    std::string face;
};
DialogFont Font(HWND dialog);
std::vector<std::string> ComboItems(HWND comboBox);
std::vector<LPARAM> ComboItemData(HWND comboBox);

// The resource behind an icon or bitmap handle the machine gave out.
const Resource* ImageResource(HANDLE image);
bool IsSystemCursor(HCURSOR cursor, LPCSTR id);

} // namespace winsim

#endif
