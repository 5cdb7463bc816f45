#include "scenario.h"

#include "res/resource.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace sim {

namespace {

using nlohmann::json;

// Thrown with a message naming the offending field; caught at the top.
struct Invalid {
    std::string message;
};

[[noreturn]] void Fail(const std::string& where, const std::string& what)
{
    throw Invalid{where + ": " + what};
}

const json* Field(const json& object, const char* name)
{
    auto it = object.find(name);
    return it == object.end() ? nullptr : &*it;
}

const json& Required(const json& object, const char* name, const std::string& where)
{
    const json* value = Field(object, name);
    if (!value)
        Fail(where, std::string("the field \"") + name + "\" is required");
    return *value;
}

std::int64_t Integer(const json& value, const std::string& where, std::int64_t low,
                     std::int64_t high)
{
    if (!value.is_number_integer())
        Fail(where, "must be a whole number");
    std::int64_t v;
    if (value.is_number_unsigned() && value.get<std::uint64_t>() > (std::uint64_t)INT64_MAX)
        Fail(where, "is out of range");
    v = value.get<std::int64_t>();
    if (v < low || v > high)
        Fail(where, "must lie between " + std::to_string(low) + " and " + std::to_string(high));
    return v;
}

std::string Text(const json& value, const std::string& where)
{
    if (!value.is_string())
        Fail(where, "must be a text");
    return value.get<std::string>();
}

bool Boolean(const json& value, const std::string& where)
{
    if (!value.is_boolean())
        Fail(where, "must be true or false");
    return value.get<bool>();
}

std::string OneOf(const json& value, const std::string& where,
                  std::initializer_list<const char*> choices)
{
    std::string v = Text(value, where);
    std::string list;
    for (const char* c : choices) {
        if (v == c)
            return v;
        list += list.empty() ? std::string("\"") + c + "\"" : std::string(", \"") + c + "\"";
    }
    Fail(where, "must be one of " + list);
}

char Letter(const json& value, const std::string& where)
{
    std::string v = Text(value, where);
    if (v.size() != 1 || !((v[0] >= 'A' && v[0] <= 'Z') || (v[0] >= 'a' && v[0] <= 'z')))
        Fail(where, "must be one drive letter");
    return (char)(v[0] & ~0x20);
}

void RequireObject(const json& value, const std::string& where)
{
    if (!value.is_object())
        Fail(where, "must be an object");
}

const json& Array(const json& value, const std::string& where)
{
    if (!value.is_array())
        Fail(where, "must be a list");
    return value;
}

std::string Resolve(const std::string& baseDir, const std::string& path)
{
    std::filesystem::path p(path);
    return p.is_absolute() ? path : (std::filesystem::path(baseDir) / p).string();
}

PartitionSpec ParsePartition(const json& j, const std::string& where, const DiskSpec& disk)
{
    RequireObject(j, where);
    PartitionSpec p;
    p.slot = (int)Integer(Required(j, "slot", where), where + ".slot", 0, 3);
    p.start = (std::uint32_t)Integer(Required(j, "start", where), where + ".start", 0, UINT32_MAX);
    p.sectors =
        (std::uint32_t)Integer(Required(j, "sectors", where), where + ".sectors", 0, UINT32_MAX);
    p.type = (int)Integer(Required(j, "type", where), where + ".type", 0, 255);
    if (const json* v = Field(j, "active"))
        p.active = Boolean(*v, where + ".active");
    if (const json* v = Field(j, "format"))
        p.format = OneOf(*v, where + ".format", {"fat", "fat32", "raw"});
    if (const json* v = Field(j, "label")) {
        p.label = Text(*v, where + ".label");
        if (p.label.size() > 11)
            Fail(where + ".label", "a volume label has at most 11 characters");
    }
    if (const json* v = Field(j, "letter"))
        p.letter = Letter(*v, where + ".letter");
    if (p.format != "raw") {
        std::uint64_t diskSectors = disk.size / (std::uint64_t)disk.bytesPerSector;
        if (p.sectors == 0 || (std::uint64_t)p.start + p.sectors > diskSectors)
            Fail(where, "a formatted partition must lie inside its disk");
    }
    return p;
}

DiskSpec ParseDisk(const json& j, const std::string& where, const std::string& baseDir)
{
    RequireObject(j, where);
    DiskSpec d;
    if (const json* v = Field(j, "friendlyName"))
        d.friendlyName = Text(*v, where + ".friendlyName");
    d.instanceId = Text(Required(j, "instanceId", where), where + ".instanceId");
    d.removable = OneOf(Required(j, "media", where), where + ".media", {"removable", "fixed"}) ==
                  "removable";
    if (const json* v = Field(j, "bytesPerSector")) {
        d.bytesPerSector = (int)Integer(*v, where + ".bytesPerSector", 512, 4096);
        if (d.bytesPerSector & (d.bytesPerSector - 1))
            Fail(where + ".bytesPerSector", "must be a power of two");
    }
    d.size = (std::uint64_t)Integer(Required(j, "size", where), where + ".size", 0,
                                    (std::int64_t)1 << 50);
    if (const json* v = Field(j, "heads"))
        d.heads = (int)Integer(*v, where + ".heads", 0, 65535);
    if (const json* v = Field(j, "sectorsPerTrack"))
        d.sectorsPerTrack = (int)Integer(*v, where + ".sectorsPerTrack", 0, 65535);
    if (const json* v = Field(j, "image"))
        d.image = Resolve(baseDir, Text(*v, where + ".image"));
    d.isProtected = !d.removable;
    if (const json* v = Field(j, "protected"))
        d.isProtected = Boolean(*v, where + ".protected");
    if (const json* v = Field(j, "autoMount"))
        d.autoMount = Boolean(*v, where + ".autoMount");
    if (const json* v = Field(j, "partitions")) {
        std::set<int> slots;
        const json& list = Array(*v, where + ".partitions");
        for (std::size_t i = 0; i < list.size(); i++) {
            std::string at = where + ".partitions[" + std::to_string(i) + "]";
            PartitionSpec p = ParsePartition(list[i], at, d);
            if (!slots.insert(p.slot).second)
                Fail(at + ".slot", "slot " + std::to_string(p.slot) + " is given twice");
            d.partitions.push_back(p);
        }
    }
    return d;
}

const std::set<std::string>& KnownCalls()
{
    static const std::set<std::string> calls = {
        "CloseHandle", "CreateFileA", "DefineDosDeviceA", "DeviceIoControl", "DialogBoxParamA",
        "EnableWindow", "EndDialog", "EnterCriticalSection", "FindResourceA", "FormatEx",
        "FreeLibrary", "FreeResource", "GetDlgItem", "GetDlgItemTextA", "GetLogicalDriveStringsA",
        "GetLogicalDrives", "GetModuleHandleA", "GetProcAddress", "GetSystemDirectoryA",
        "GetVolumeInformationA", "GetVolumeNameForVolumeMountPointA", "GlobalAlloc", "GlobalFree",
        "GlobalLock", "GlobalSize", "GlobalUnlock", "InitializeCriticalSection",
        "IsDlgButtonChecked", "LeaveCriticalSection", "LoadCursorA", "LoadIconA", "LoadLibraryA", "LoadLibraryExA",
        "LoadResource", "LockResource", "MessageBoxA", "MultiByteToWideChar", "QueryDosDeviceA",
        "ReadFile", "RegCloseKey", "RegOpenKeyExA", "RegQueryValueExA", "SendDlgItemMessageA",
        "SendMessageA", "SetClassLongA", "SetClassLongPtrA", "SetDlgItemTextA", "SetFilePointer",
        "SetVolumeMountPointA", "ShellExecuteA", "SizeofResource", "Sleep", "UpdateWindow",
        "WriteFile"};
    return calls;
}

winsim::Fault ParseFault(const json& j, const std::string& where)
{
    RequireObject(j, where);
    winsim::Fault f;
    f.call = Text(Required(j, "call", where), where + ".call");
    if (!KnownCalls().count(f.call))
        Fail(where + ".call", "\"" + f.call + "\" is not a function the machine models");
    // The one call by both names: 32-bit Windows' SetClassLongPtrA is SetClassLongA.
    if (f.call == "SetClassLongA")
        f.call = "SetClassLongPtrA";
    if (const json* v = Field(j, "code")) {
        if (f.call != "DeviceIoControl")
            Fail(where + ".code", "narrows DeviceIoControl only");
        f.code = OneOf(*v, where + ".code",
                       {"IOCTL_DISK_GET_DRIVE_GEOMETRY", "IOCTL_DISK_GET_PARTITION_INFO",
                        "IOCTL_STORAGE_GET_DEVICE_NUMBER", "IOCTL_DISK_GET_DRIVE_LAYOUT",
                        "IOCTL_DISK_SET_DRIVE_LAYOUT", "FSCTL_LOCK_VOLUME",
                        "FSCTL_DISMOUNT_VOLUME"});
    }
    if (const json* v = Field(j, "path")) {
        if (f.call != "CreateFileA")
            Fail(where + ".path", "narrows CreateFileA only");
        f.path = Text(*v, where + ".path");
    }
    if (const json* v = Field(j, "nth"))
        f.nth = (int)Integer(*v, where + ".nth", 1, INT32_MAX);
    if (const json* v = Field(j, "error"))
        f.error = (DWORD)Integer(*v, where + ".error", 0, UINT32_MAX);
    if (const json* v = Field(j, "short")) {
        f.shortTransfer = Boolean(*v, where + ".short");
        if (f.shortTransfer && f.call != "ReadFile" && f.call != "WriteFile")
            Fail(where + ".short", "applies to ReadFile and WriteFile only");
    }
    return f;
}

Action ParseAction(const json& j, const std::string& where, const std::string& baseDir)
{
    RequireObject(j, where);
    Action a;
    a.kind = OneOf(Required(j, "do", where), where + ".do",
                   {"select", "type", "click", "enter", "escape", "close", "progress", "unplug",
                    "plug", "click-anywhere"});
    if (a.kind == "select") {
        a.item = (int)Integer(Required(j, "item", where), where + ".item", 0, INT32_MAX);
    } else if (a.kind == "type") {
        a.control = OneOf(Required(j, "control", where), where + ".control", {"IDC_LABEL"});
        a.text = Text(Required(j, "text", where), where + ".text");
    } else if (a.kind == "click") {
        a.control = Text(Required(j, "control", where), where + ".control");
        if (ControlId(a.control) == 0 || a.control == "IDC_LABEL")
            Fail(where + ".control", "\"" + a.control + "\" is not a control one can click");
    } else if (a.kind == "progress") {
        a.percent = Integer(Required(j, "percent", where), where + ".percent", INT32_MIN,
                            UINT32_MAX);
    } else if (a.kind == "unplug") {
        a.disk = (int)Integer(Required(j, "disk", where), where + ".disk", 0, INT32_MAX);
    } else if (a.kind == "plug") {
        a.plugged = ParseDisk(Required(j, "disk", where), where + ".disk", baseDir);
    }
    return a;
}

} // namespace

int ControlId(const std::string& name)
{
    static const std::map<std::string, int> ids = {
        {"IDOK", IDOK},
        {"IDC_LABEL", IDC_LABEL},
        {"IDC_REFRESH", IDC_REFRESH},
        {"IDC_ABOUT", IDC_ABOUT},
        {"IDC_BANNER", IDC_BANNER},
        {"IDC_QUICK_FORMAT", IDC_QUICK_FORMAT},
        {"IDC_FORCE_DISMOUNT", IDC_FORCE_DISMOUNT},
        {"IDC_KEEP_MBR_CODE", IDC_KEEP_MBR_CODE},
        {"IDC_ENABLE_LBA", IDC_ENABLE_LBA},
        {"IDC_ABOUT_ICON", IDC_ABOUT_ICON}};
    auto it = ids.find(name);
    return it == ids.end() ? 0 : it->second;
}

bool ParseScenario(const std::string& text, const std::string& baseDir, Scenario& out,
                   std::string& error)
{
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error& e) {
        error = std::string("not valid JSON: ") + e.what();
        return false;
    }
    try {
        RequireObject(root, "scenario");
        Scenario s;
        std::set<char> letters;
        auto claimLetter = [&letters](char letter, const std::string& where) {
            if (!letters.insert(letter).second)
                Fail(where, std::string("drive letter ") + letter + " is given twice");
        };
        if (const json* v = Field(root, "disks")) {
            const json& list = Array(*v, "disks");
            for (std::size_t i = 0; i < list.size(); i++) {
                std::string at = "disks[" + std::to_string(i) + "]";
                s.disks.push_back(ParseDisk(list[i], at, baseDir));
                for (const auto& p : s.disks.back().partitions)
                    if (p.letter)
                        claimLetter(p.letter, at + ".partitions.letter");
            }
        }
        if (const json* v = Field(root, "letters")) {
            RequireObject(*v, "letters");
            for (auto it = v->begin(); it != v->end(); ++it) {
                std::string at = "letters." + it.key();
                char letter = Letter(json(it.key()), at);
                claimLetter(letter, at);
                s.letters[letter] = OneOf(it.value(), at, {"floppy", "cdrom", "network"});
            }
        }
        if (const json* v = Field(root, "diskcopy"); v && !v->is_null()) {
            s.diskcopy = Resolve(baseDir, Text(*v, "diskcopy"));
            if (!std::filesystem::is_regular_file(*s.diskcopy))
                Fail("diskcopy", "there is no file " + *s.diskcopy);
        }
        if (const json* v = Field(root, "fmifs"))
            s.fmifs = OneOf(*v, "fmifs", {"present", "absent", "no-formatex", "fails", "silent"});
        if (const json* v = Field(root, "planted")) {
            const json& list = Array(*v, "planted");
            for (std::size_t i = 0; i < list.size(); i++) {
                std::string at = "planted[" + std::to_string(i) + "]";
                s.planted.push_back(Text(list[i], at));
                if (s.planted.back().empty() || s.planted.back().find_first_of("\\/:") != std::string::npos)
                    Fail(at, "a library is named by its file name alone");
            }
        }
        if (const json* v = Field(root, "faults")) {
            const json& list = Array(*v, "faults");
            for (std::size_t i = 0; i < list.size(); i++)
                s.faults.push_back(ParseFault(list[i], "faults[" + std::to_string(i) + "]"));
        }
        if (const json* v = Field(root, "answers")) {
            const json& list = Array(*v, "answers");
            for (std::size_t i = 0; i < list.size(); i++)
                s.answers.push_back(OneOf(list[i], "answers[" + std::to_string(i) + "]",
                                          {"yes", "no", "ok", "cancel"}));
        }
        if (const json* v = Field(root, "actions")) {
            const json& list = Array(*v, "actions");
            for (std::size_t i = 0; i < list.size(); i++)
                s.actions.push_back(
                    ParseAction(list[i], "actions[" + std::to_string(i) + "]", baseDir));
        }
        out = std::move(s);
        return true;
    } catch (const Invalid& e) {
        error = e.message;
        return false;
    }
}

bool LoadScenario(const std::string& path, Scenario& out, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string baseDir = std::filesystem::path(path).parent_path().string();
    return ParseScenario(text.str(), baseDir.empty() ? "." : baseDir, out, error);
}

} // namespace sim
