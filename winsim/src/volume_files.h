// Files on lettered FAT volumes: the program's CreateFileA, ReadFile,
// WriteFile and SetFilePointer on X:\NAME land in the image through mtools.
#ifndef WINSIM_VOLUME_FILES_H
#define WINSIM_VOLUME_FILES_H

#include "storage.h"

namespace winsim {

struct FileHandle : KernelObject {
    std::shared_ptr<Volume> volume;
    std::string name;  // inside the volume, "/" separated
    DWORD access = 0;
    DWORD share = 0;
    std::vector<unsigned char> bytes;
    std::uint64_t position = 0;
    bool dirty = false;
};

// Whether path names a file on a drive letter ("X:\..."), as opposed to a device.
bool IsVolumeFilePath(const std::string& path);
// As CreateFileA opens it: shared with the file's other handles or refused
// before anything changes; the last error tells whether a file was there
// when the disposition may create one.
HANDLE OpenVolumeFile(const std::string& path, DWORD access, DWORD share, DWORD disposition);
FileHandle* FileFor(HANDLE handle);
// Writes a changed file into its volume; called when its handle closes.
void FlushVolumeFile(FileHandle& file);
bool FilesOpenOn(const std::shared_ptr<Volume>& volume);
BOOL FileRead(FileHandle& file, LPVOID buffer, DWORD toRead, LPDWORD read, bool shortTransfer);
BOOL FileWrite(FileHandle& file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
               bool shortTransfer);

} // namespace winsim

#endif
