// The format library as the machine offers it: fmifs.dll with a FormatEx
// that formats simulated volumes FAT through mkfs.fat and reports through
// the caller's callback on the caller's thread.
#include "code_page.h"
#include "fat.h"
#include "format_library.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace winsim {

namespace {

typedef BOOLEAN (WINAPI* Callback)(DWORD command, DWORD subAction, PVOID argument);
const DWORD kProgress = 0;
const DWORD kDone = 11;

std::string Narrow(const WCHAR* text)
{
    std::string out;
    for (; text && *text; text++)
        out.push_back(AnsiFromWide(*text));
    return out;
}

void Done(Callback callback, bool succeeded)
{
    BOOLEAN flag = succeeded ? TRUE : FALSE;
    callback(kDone, 0, &flag);
}

// Reports percent; false when the receiver asks to stop.
bool Progress(Callback callback, DWORD percent)
{
    return callback(kProgress, 0, &percent) != FALSE;
}

std::shared_ptr<Volume> VolumeAt(const std::string& root)
{
    if (root.size() != 3 || root[1] != ':' || root[2] != '\\')
        return nullptr;
    auto it = S().letters.find((char)std::toupper((unsigned char)root[0]));
    return it == S().letters.end() ? nullptr : it->second;
}

bool InUseByOthers(const std::shared_ptr<Volume>& volume)
{
    for (auto& entry : M().handles) {
        auto* device = dynamic_cast<DeviceHandle*>(entry.second.get());
        if (device && device->volume == volume)
            return true;
    }
    return false;
}

// A label XP's FAT format stores: at most 11 characters, no leading space
// (FAT names may not begin with one), none a control character or one FAT
// names refuse. XP stores the label in the machine's OEM code page; the
// simulated machine has none beyond ASCII, so any other character fails the
// format, as one missing from the code page does.
bool LabelStorable(const WCHAR* label)
{
    static const std::u16string kRefused = u"*?/\\|.,;:+=[]<>\"";
    std::size_t length = 0;
    for (; label && label[length]; length++) {
        WCHAR c = label[length];
        if (c < 0x20 || c >= 0x7F || kRefused.find((char16_t)c) != std::u16string::npos)
            return false;
    }
    return length <= 11 && (length == 0 || label[0] != ' ');
}

bool FormatIt(const std::shared_ptr<Volume>& volume, const std::string& fileSystem,
              const std::string& label)
{
    FatLayout layout;
    std::string name;
    for (char c : fileSystem)
        name.push_back((char)std::tolower((unsigned char)c));
    if (name == "fat32")
        layout.fatBits = 32;
    else if (name != "fat" || !WindowsFatLayout(volume->length, layout))
        return false; // NTFS is not simulated; FAT16 stops at 4 GiB
    DiskDevice& disk = *volume->disk;
    layout.label = label;
    PlaceOnDisk(layout, disk, *volume);
    layout.serial = 0x5A000000u + (DWORD)++M().formatCount * 0x10101u;
    std::string error;
    if (!FormatFat(*disk.backing, volume->offset, volume->length, layout, error))
        return false;
    volume->dismounted = false;
    return true;
}

void WINAPI SimulatedFormatEx(PWCHAR driveRoot, DWORD mediaType, PWCHAR fileSystem,
                              PWCHAR label, BOOL quick, DWORD clusterSize, Callback callback)
{
    FormatCall call{Narrow(driveRoot), Narrow(fileSystem), Narrow(label), mediaType, quick,
                    clusterSize, false};
    std::shared_ptr<Volume> volume = VolumeAt(call.root);
    if (volume) {
        std::vector<unsigned char> first(512);
        volume->disk->backing->Read(volume->offset, first.data(), first.size());
        call.blankBootSector = std::all_of(first.begin(), first.end(), [](auto b) { return b == 0; });
    }
    M().formatCalls.push_back(call);
    if (!callback)
        return;
    const std::string& mode = M().formatLibrary;
    bool faulted = Failing("FormatEx");
    // As Windows XP's, it formats FAT through ufat.dll, loaded by name.
    bool fat = EqualsIgnoreCase(call.fileSystem, "fat") || EqualsIgnoreCase(call.fileSystem, "fat32");
    HMODULE fatLibrary = fat ? LibraryLoadsLibrary("ufat.dll") : NULL;
    if (fat && !fatLibrary) {
        Done(callback, false);
        return;
    }
    struct Unload {
        HMODULE library;
        ~Unload() { if (library) LibraryFreesLibrary(library); }
    } unload{fatLibrary};
    DWORD step = quick ? 25 : 10;
    for (DWORD percent = 0; percent < 100; percent += step) {
        if (!Progress(callback, percent)) {
            Done(callback, false);
            return;
        }
    }
    if (mode == "silent")
        return;
    bool ok = mode == "present" && !faulted && volume && !InUseByOthers(volume) &&
              LabelStorable(label) && FormatIt(volume, call.fileSystem, call.label);
    if (ok && !Progress(callback, 100))
        ok = false;
    Done(callback, ok);
}

} // namespace

FARPROC FormatExEntry()
{
    return (FARPROC)(void*)&SimulatedFormatEx;
}

void SetFormatLibrary(const std::string& mode)
{
    M().formatLibrary = mode;
}

const std::vector<FormatCall>& FormatCalls()
{
    return M().formatCalls;
}

} // namespace winsim
