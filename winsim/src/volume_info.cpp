// KERNEL32: which drive letters exist, and what a volume says about itself.
#include "fat.h"

#include <cstring>

namespace winsim {

namespace {

std::vector<char> LettersInUse()
{
    std::vector<char> letters;
    for (char c = 'A'; c <= 'Z'; c++)
        if (S().letters.count(c) || S().foreign.count(c) || S().dosDevices.count(c))
            letters.push_back(c);
    return letters;
}

} // namespace

bool FormatPartition(int disk, int partitionNumber, const std::string& fileSystem,
                     const std::string& label, std::string& error)
{
    auto present = disk < 0 ? nullptr : DiskNumbered((std::uint64_t)disk);
    if (!present) {
        error = "there is no disk " + std::to_string(disk);
        return false;
    }
    DiskDevice& device = *present;
    for (auto& volume : device.volumes) {
        if (volume->partitionNumber != partitionNumber)
            continue;
        FatLayout layout;
        if (fileSystem == "fat32") {
            layout.fatBits = 32;
        } else if (!WindowsFatLayout(volume->length, layout)) {
            layout.fatBits = 32; // FAT16 cannot hold it
        }
        layout.label = label;
        PlaceOnDisk(layout, device, *volume);
        // A serial number that differs between volumes, and nothing that
        // differs between runs.
        layout.serial = 0x1A2B0000u ^ (DWORD)(disk << 8) ^ (DWORD)partitionNumber ^
                        (DWORD)(volume->offset >> 9);
        layout.sameEveryRun = true;
        return FormatFat(*device.backing, volume->offset, volume->length, layout, error);
    }
    error = "disk " + std::to_string(disk) + " has no partition " + std::to_string(partitionNumber);
    return false;
}

} // namespace winsim

using namespace winsim;

extern "C" {

DWORD WINAPI GetLogicalDrives(void)
{
    if (Failing("GetLogicalDrives"))
        return 0;
    DWORD mask = 0;
    for (char c : LettersInUse())
        mask |= 1u << (c - 'A');
    return mask;
}

DWORD WINAPI GetLogicalDriveStringsA(DWORD bufferSize, LPSTR buffer)
{
    if (Failing("GetLogicalDriveStringsA"))
        return 0;
    std::string list;
    for (char c : LettersInUse()) {
        list += c;
        list += ":\\";
        list.push_back('\0');
    }
    // Without room for the list and its closing empty entry: the size needed.
    if (!buffer || bufferSize < list.size() + 1)
        return (DWORD)list.size() + 1;
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = 0;
    return (DWORD)list.size();
}

BOOL WINAPI GetVolumeInformationA(LPCSTR rootPath, LPSTR nameBuffer, DWORD nameSize,
                                  LPDWORD serialNumber, LPDWORD maxComponentLength,
                                  LPDWORD fileSystemFlags, LPSTR fileSystemName,
                                  DWORD fileSystemNameSize)
{
    DWORD error = 0;
    if (Enter("GetVolumeInformationA", {nullptr, rootPath}, &error)) {
        M().lastError = error;
        return FALSE;
    }
    // A root is "X:\": the letter, a colon and a backslash.
    if (!rootPath || std::strlen(rootPath) != 3 || rootPath[1] != ':' || rootPath[2] != '\\') {
        M().lastError = ERROR_INVALID_NAME;
        return FALSE;
    }
    char letter = rootPath[0];
    if (letter >= 'a' && letter <= 'z')
        letter = (char)(letter - 32);
    auto volume = S().letters.find(letter);
    if (volume == S().letters.end()) {
        M().lastError = S().foreign.count(letter) ? ERROR_NOT_READY : ERROR_PATH_NOT_FOUND;
        return FALSE;
    }
    Volume& v = *volume->second;
    FatFacts facts;
    if (!ReadFatFacts(*v.disk->backing, v.offset, v.length, facts)) {
        M().lastError = ERROR_UNRECOGNIZED_VOLUME;
        return FALSE;
    }
    if ((nameBuffer && facts.label.size() + 1 > nameSize) ||
        (fileSystemName && facts.fileSystem.size() + 1 > fileSystemNameSize)) {
        M().lastError = ERROR_BAD_LENGTH;
        return FALSE;
    }
    if (nameBuffer)
        std::memcpy(nameBuffer, facts.label.c_str(), facts.label.size() + 1);
    if (fileSystemName)
        std::memcpy(fileSystemName, facts.fileSystem.c_str(), facts.fileSystem.size() + 1);
    if (serialNumber)
        *serialNumber = facts.serial;
    if (maxComponentLength)
        *maxComponentLength = 255;
    if (fileSystemFlags)
        *fileSystemFlags = 0x00000002 | 0x00000004; // case preserved, Unicode on disk
    return TRUE;
}

} // extern "C"
