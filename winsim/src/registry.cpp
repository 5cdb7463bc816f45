// ADVAPI32: a registry of keys with typed values of exact sizes, and the
// part of it Windows keeps about disks and drive letters.
#include "storage.h"

#include <cctype>

namespace winsim {

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<unsigned char> data;
};

struct RegKey {
    std::map<std::string, std::shared_ptr<RegKey>> children; // by upper-case name
    std::map<std::string, RegValue> values;                  // by upper-case name
};

namespace {

struct KeyHandle : KernelObject {
    std::shared_ptr<RegKey> key;
};

const char kDiskEnum[] = "SYSTEM\\CurrentControlSet\\Services\\Disk\\Enum";
const char kDeviceEnum[] = "SYSTEM\\CurrentControlSet\\Enum";
const char kMountedDevices[] = "SYSTEM\\MountedDevices";
const char kDosDevices[] = "\\DosDevices\\";
const char kDevicesClass[] = "#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";

std::string Upper(std::string text)
{
    for (char& c : text)
        c = (char)std::toupper((unsigned char)c);
    return text;
}

std::vector<std::string> Split(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

// The registry belongs to the machine's storage: it goes with Reset.
std::shared_ptr<RegKey>& Root()
{
    auto& root = S().registry;
    if (!root)
        root = std::make_shared<RegKey>();
    return root;
}

std::shared_ptr<RegKey> Find(const std::shared_ptr<RegKey>& from, const std::string& path,
                             bool create)
{
    std::shared_ptr<RegKey> key = from;
    for (const auto& part : Split(path)) {
        auto it = key->children.find(Upper(part));
        if (it == key->children.end()) {
            if (!create)
                return nullptr;
            it = key->children.emplace(Upper(part), std::make_shared<RegKey>()).first;
        }
        key = it->second;
    }
    return key;
}

std::vector<unsigned char> Text(const std::string& text)
{
    std::vector<unsigned char> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

std::vector<unsigned char> Utf16(const std::string& text)
{
    std::vector<unsigned char> bytes;
    for (unsigned char c : text) {
        bytes.push_back(c);
        bytes.push_back(0);
    }
    return bytes;
}

std::vector<unsigned char> Dword(DWORD v)
{
    return {(unsigned char)v, (unsigned char)(v >> 8), (unsigned char)(v >> 16),
            (unsigned char)(v >> 24)};
}

// What MountedDevices holds for a letter: the disk signature and partition
// offset for a partition, a device path in UTF-16 for anything else.
std::vector<unsigned char> MountedDeviceData(char letter)
{
    auto volume = S().letters.find(letter);
    if (volume != S().letters.end()) {
        Volume& v = *volume->second;
        std::vector<unsigned char> sector(512);
        v.disk->backing->Read(0, sector.data(), sector.size());
        std::vector<unsigned char> data(sector.begin() + 440, sector.begin() + 444);
        for (int i = 0; i < 8; i++)
            data.push_back((unsigned char)(v.offset >> (8 * i)));
        return data;
    }
    const std::string& kind = S().foreign[letter].kind;
    if (kind == "floppy")
        return Utf16(std::string("\\??\\FDC#GENERIC_FLOPPY_DRIVE#6&1435b2e2&0&0") + kDevicesClass);
    if (kind == "cdrom")
        return Utf16(std::string("\\??\\IDE#CdRomGeneric_CD-ROM#5&2a5e1d3c&0&1.0.0") + kDevicesClass);
    return Utf16(std::string("\\Device\\LanmanRedirector\\;") + letter + ":0\\server\\share");
}

} // namespace

void SetRegistryValue(const std::string& keyPath, const std::string& name, DWORD type,
                      const std::vector<unsigned char>& data)
{
    RegValue& v = Find(Root(), keyPath, true)->values[Upper(name)];
    v.type = type;
    v.data = data;
}

void DeleteRegistryValue(const std::string& keyPath, const std::string& name)
{
    if (auto key = Find(Root(), keyPath, false))
        key->values.erase(Upper(name));
}

void DeleteRegistryKey(const std::string& keyPath)
{
    std::vector<std::string> parts = Split(keyPath);
    if (parts.empty())
        return;
    std::string last = parts.back();
    parts.pop_back();
    std::string parent;
    for (const auto& p : parts)
        parent += p + "\\";
    if (auto key = Find(Root(), parent, false))
        key->children.erase(Upper(last));
}

void SyncRegistry()
{
    auto& disks = S().disks;
    auto diskEnum = Find(Root(), kDiskEnum, true);
    diskEnum->values.clear();
    diskEnum->values["COUNT"] = {REG_DWORD, Dword((DWORD)disks.size())};
    diskEnum->values["NEXTINSTANCE"] = {REG_DWORD, Dword((DWORD)disks.size())};
    for (std::size_t i = 0; i < disks.size(); i++) {
        const DiskSetup& setup = disks[i]->setup;
        diskEnum->values[std::to_string(i)] = {REG_SZ, Text(setup.instanceId)};
        auto device = Find(Find(Root(), kDeviceEnum, true), setup.instanceId, true);
        if (setup.hasFriendlyName)
            device->values["FRIENDLYNAME"] = {REG_SZ, Text(setup.friendlyName)};
        else
            device->values.erase("FRIENDLYNAME");
    }
    auto mounted = Find(Root(), kMountedDevices, true);
    for (auto it = mounted->values.begin(); it != mounted->values.end();)
        it = it->first.rfind(Upper(kDosDevices), 0) == 0 ? mounted->values.erase(it) : ++it;
    std::vector<char> letters;
    for (auto& entry : S().letters)
        letters.push_back(entry.first);
    for (auto& entry : S().foreign)
        letters.push_back(entry.first);
    for (char letter : letters)
        mounted->values[Upper(std::string(kDosDevices) + letter + ":")] = {
            REG_BINARY, MountedDeviceData(letter)};
}

} // namespace winsim

using namespace winsim;

extern "C" {

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result)
{
    (void)options;
    (void)access;
    DWORD error = 0;
    if (Enter("RegOpenKeyExA", {nullptr, subKey}, &error))
        return (LONG)error;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    std::shared_ptr<RegKey> from;
    if (key == HKEY_LOCAL_MACHINE) {
        from = Root();
    } else if (auto* handle = dynamic_cast<KeyHandle*>(LookupHandle((HANDLE)key))) {
        from = handle->key;
    } else {
        return ERROR_INVALID_HANDLE;
    }
    auto found = Find(from, subKey ? subKey : "", false);
    if (!found)
        return ERROR_FILE_NOT_FOUND;
    auto handle = std::make_shared<KeyHandle>();
    handle->key = found;
    *result = (HKEY)OpenHandle(handle);
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize)
{
    (void)reserved;
    DWORD error = 0;
    if (Enter("RegQueryValueExA", {nullptr, valueName}, &error))
        return (LONG)error;
    auto* handle = dynamic_cast<KeyHandle*>(LookupHandle((HANDLE)key));
    if (!handle)
        return ERROR_INVALID_HANDLE;
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    auto it = handle->key->values.find(Upper(valueName ? valueName : ""));
    if (it == handle->key->values.end())
        return ERROR_FILE_NOT_FOUND;
    const RegValue& v = it->second;
    if (type)
        *type = v.type;
    if (!dataSize)
        return ERROR_SUCCESS;
    DWORD needed = (DWORD)v.data.size();
    DWORD offered = *dataSize;
    *dataSize = needed;
    if (!data)
        return ERROR_SUCCESS;
    if (offered < needed)
        return ERROR_MORE_DATA;
    std::copy(v.data.begin(), v.data.end(), data);
    // A text stored without its terminator gets one where the buffer has
    // room for it; the size stays that of the value.
    bool text = v.type == REG_SZ || v.type == REG_EXPAND_SZ || v.type == REG_MULTI_SZ;
    if (text && needed > 0 && v.data.back() != 0 && offered > needed)
        data[needed] = 0;
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key)
{
    DWORD error = 0;
    if (Enter("RegCloseKey", {}, &error))
        return (LONG)error;
    if (!dynamic_cast<KeyHandle*>(LookupHandle((HANDLE)key)))
        return ERROR_INVALID_HANDLE;
    M().handles.erase((UINT_PTR)key);
    return ERROR_SUCCESS;
}

} // extern "C"
