// KERNEL32's mount manager: DOS device names, volume names and persistent
// drive-letter mount points.
#include "storage.h"

#include <cstring>

namespace winsim {

namespace {

const char kRawTargetPrefix[] = "\\device\\harddisk";
const char kPartitionWord[] = "\\partition";

// "X:" (or "X:\" with backslash) to its upper-case letter, or 0.
char LetterOf(const char* name, bool backslash)
{
    if (!name || std::strlen(name) != (backslash ? 3u : 2u) || name[1] != ':' ||
        (backslash && name[2] != '\\'))
        return 0;
    char c = name[0];
    if (c >= 'a' && c <= 'z')
        c = (char)(c - 32);
    return c >= 'A' && c <= 'Z' ? c : 0;
}

bool InUse(char letter)
{
    return S().letters.count(letter) || S().foreign.count(letter) || S().dosDevices.count(letter);
}

// The volume a raw target \device\harddiskN\partitionM names, if any.
std::shared_ptr<Volume> VolumeAtTarget(const std::string& target)
{
    std::string lower;
    for (char c : target)
        lower.push_back((char)std::tolower((unsigned char)c));
    if (lower.rfind(kRawTargetPrefix, 0) != 0)
        return nullptr;
    std::size_t at = std::strlen(kRawTargetPrefix);
    std::size_t word = lower.find(kPartitionWord, at);
    if (word == std::string::npos || word == at)
        return nullptr;
    std::string drive = lower.substr(at, word - at);
    std::string partition = lower.substr(word + std::strlen(kPartitionWord));
    if (drive.find_first_not_of("0123456789") != std::string::npos || partition.empty() ||
        partition.find_first_not_of("0123456789") != std::string::npos || drive.size() > 9 ||
        partition.size() > 9)
        return nullptr;
    auto disk = DiskNumbered(std::stoull(drive));
    int m = std::stoi(partition);
    if (!disk)
        return nullptr;
    for (auto& volume : disk->volumes)
        if (volume->partitionNumber == m)
            return volume;
    return nullptr;
}

std::string DeviceTarget(char letter)
{
    auto volume = S().letters.find(letter);
    if (volume != S().letters.end())
        return "\\Device\\HarddiskVolume" + std::to_string(volume->second->id);
    auto foreign = S().foreign.find(letter);
    if (foreign != S().foreign.end()) {
        if (foreign->second.kind == "floppy")
            return "\\Device\\Floppy0";
        if (foreign->second.kind == "cdrom")
            return "\\Device\\CdRom0";
        return std::string("\\Device\\LanmanRedirector\\;") + letter + ":0\\server\\share";
    }
    return S().dosDevices[letter];
}

BOOL Fail(DWORD error)
{
    M().lastError = error;
    return FALSE;
}

} // namespace

} // namespace winsim

using namespace winsim;

extern "C" {

DWORD WINAPI QueryDosDeviceA(LPCSTR deviceName, LPSTR targetPath, DWORD size)
{
    if (Failing("QueryDosDeviceA"))
        return 0;
    char letter = LetterOf(deviceName, false);
    if (!letter || !InUse(letter))
        return Fail(ERROR_FILE_NOT_FOUND);
    std::string target = DeviceTarget(letter);
    // The answer is a list of texts closed by an empty one.
    if (!targetPath || size < target.size() + 2)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(targetPath, target.c_str(), target.size() + 1);
    targetPath[target.size() + 1] = 0;
    return (DWORD)target.size() + 2;
}

BOOL WINAPI DefineDosDeviceA(DWORD flags, LPCSTR deviceName, LPCSTR targetPath)
{
    if (Failing("DefineDosDeviceA"))
        return FALSE;
    char letter = LetterOf(deviceName, false);
    if (!letter)
        return Fail(ERROR_INVALID_PARAMETER);
    auto& devices = S().dosDevices;
    if (flags & DDD_REMOVE_DEFINITION) {
        auto it = devices.find(letter);
        if (it == devices.end() ||
            (targetPath && !EqualsIgnoreCase(it->second, targetPath)))
            return Fail(ERROR_FILE_NOT_FOUND);
        devices.erase(it);
        return TRUE;
    }
    if (!targetPath || !(flags & DDD_RAW_TARGET_PATH))
        return Fail(ERROR_INVALID_PARAMETER);
    if (InUse(letter))
        return Fail(ERROR_ALREADY_EXISTS);
    devices[letter] = targetPath;
    return TRUE;
}

BOOL WINAPI GetVolumeNameForVolumeMountPointA(LPCSTR mountPoint, LPSTR volumeName, DWORD size)
{
    if (Failing("GetVolumeNameForVolumeMountPointA"))
        return FALSE;
    char letter = LetterOf(mountPoint, true);
    if (!letter)
        return Fail(ERROR_INVALID_NAME);
    std::shared_ptr<Volume> volume;
    auto lettered = S().letters.find(letter);
    if (lettered != S().letters.end())
        volume = lettered->second;
    else if (S().dosDevices.count(letter))
        volume = VolumeAtTarget(S().dosDevices[letter]);
    if (!volume)
        return Fail(ERROR_FILE_NOT_FOUND);
    if (!volumeName || size < volume->name.size() + 1)
        return Fail(ERROR_FILENAME_EXCED_RANGE);
    std::memcpy(volumeName, volume->name.c_str(), volume->name.size() + 1);
    return TRUE;
}

BOOL WINAPI SetVolumeMountPointA(LPCSTR mountPoint, LPCSTR volumeName)
{
    if (Failing("SetVolumeMountPointA"))
        return FALSE;
    char letter = LetterOf(mountPoint, true);
    if (!letter || !volumeName)
        return Fail(ERROR_INVALID_NAME);
    if (InUse(letter))
        return Fail(ERROR_DIR_NOT_EMPTY);
    for (auto& disk : S().disks)
        for (auto& volume : disk->volumes)
            if (EqualsIgnoreCase(volume->name, volumeName))
                return MountVolume(disk->number, volume->partitionNumber, letter) ? TRUE
                                                                           : Fail(ERROR_INVALID_PARAMETER);
    return Fail(ERROR_INVALID_PARAMETER);
}

} // extern "C"
