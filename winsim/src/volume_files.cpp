#include "volume_files.h"

#include "fat.h"
#include "host_tools.h"

#include <cctype>

namespace winsim {

namespace {

std::string Image(const Volume& volume)
{
    return volume.disk->backing->Path() + "@@" + std::to_string(volume.offset);
}

bool Export(const Volume& volume, const std::string& name, std::vector<unsigned char>& out)
{
    ScratchFile host;
    std::string output;
    if (!RunHostTool({"mcopy", "-n", "-i", Image(volume), "::" + name, host.Path()}, output))
        return false;
    return host.Read(out);
}

bool Import(const Volume& volume, const std::string& name, const std::vector<unsigned char>& bytes,
            std::string& output)
{
    ScratchFile host;
    return host.Write(bytes) &&
           RunHostTool({"mcopy", "-o", "-i", Image(volume), host.Path(), "::" + name}, output);
}

bool Fail(DWORD error)
{
    M().lastError = error;
    return false;
}

// A write that would reach a protected disk fails and is recorded.
bool WriteAllowed(const Volume& volume, std::uint64_t length)
{
    if (!volume.disk->setup.isProtected)
        return true;
    ProtectedWrite attempt{DriveNumber(volume.disk), volume.offset, length};
    S().protectedWrites.push_back(attempt);
    if (M().observer)
        M().observer->ProtectedWriteAttempted(attempt);
    return Fail(ERROR_WRITE_PROTECT);
}

} // namespace

bool IsVolumeFilePath(const std::string& path)
{
    return path.size() > 3 && std::isalpha((unsigned char)path[0]) && path[1] == ':' &&
           path[2] == '\\';
}

HANDLE OpenVolumeFile(const std::string& path, DWORD access, DWORD share, DWORD disposition)
{
    char letter = (char)std::toupper((unsigned char)path[0]);
    auto it = S().letters.find(letter);
    if (it == S().letters.end()) {
        M().lastError = ERROR_PATH_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    std::shared_ptr<Volume> volume = it->second;
    FatFacts facts;
    if (!ReadFatFacts(*volume->disk->backing, volume->offset, volume->length, facts)) {
        M().lastError = ERROR_UNRECOGNIZED_VOLUME;
        return INVALID_HANDLE_VALUE;
    }
    for (auto& entry : M().handles) {
        auto* device = dynamic_cast<DeviceHandle*>(entry.second.get());
        if (device && device->volume == volume && device->holdsLock) {
            M().lastError = ERROR_ACCESS_DENIED;
            return INVALID_HANDLE_VALUE;
        }
    }
    auto file = std::make_shared<FileHandle>();
    file->volume = volume;
    file->access = access;
    file->share = share;
    for (char c : path.substr(3))
        file->name.push_back(c == '\\' ? '/' : c);
    for (auto& entry : M().handles) {
        auto* other = dynamic_cast<FileHandle*>(entry.second.get());
        if (other && other->volume == volume && EqualsIgnoreCase(other->name, file->name) &&
            SharingConflict(other->access, other->share, access, share)) {
            M().lastError = ERROR_SHARING_VIOLATION;
            return INVALID_HANDLE_VALUE;
        }
    }
    bool exists = Export(*volume, file->name, file->bytes);
    bool create = disposition == CREATE_ALWAYS || disposition == CREATE_NEW ||
                  (disposition == OPEN_ALWAYS && !exists);
    if (disposition == CREATE_NEW && exists) {
        M().lastError = ERROR_FILE_EXISTS;
        return INVALID_HANDLE_VALUE;
    }
    if (!create && !exists) {
        M().lastError = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    if (create || disposition == TRUNCATE_EXISTING) {
        // The file exists, empty, from the moment it is created.
        std::string output;
        if (!WriteAllowed(*volume, 0))
            return INVALID_HANDLE_VALUE;
        file->bytes.clear();
        if (!Import(*volume, file->name, file->bytes, output)) {
            M().lastError = ERROR_PATH_NOT_FOUND;
            return INVALID_HANDLE_VALUE;
        }
    }
    if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS)
        M().lastError = exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
    return OpenHandle(file);
}

FileHandle* FileFor(HANDLE handle)
{
    return dynamic_cast<FileHandle*>(LookupHandle(handle));
}

void FlushVolumeFile(FileHandle& file)
{
    if (!file.dirty)
        return;
    std::string output;
    if (!Import(*file.volume, file.name, file.bytes, output))
        HarnessError("cannot write " + file.name + " into its volume: " + output);
    file.dirty = false;
}

bool FilesOpenOn(const std::shared_ptr<Volume>& volume)
{
    for (auto& entry : M().handles) {
        auto* file = dynamic_cast<FileHandle*>(entry.second.get());
        if (file && file->volume == volume)
            return true;
    }
    return false;
}

bool ReadVolumeFile(char letter, const std::string& name, std::vector<unsigned char>& out)
{
    auto it = S().letters.find((char)std::toupper((unsigned char)letter));
    return it != S().letters.end() && Export(*it->second, name, out);
}

BOOL FileRead(FileHandle& file, LPVOID buffer, DWORD toRead, LPDWORD read, bool shortTransfer)
{
    if (!read)
        return Fail(ERROR_INVALID_PARAMETER);
    *read = 0;
    if (!(file.access & GENERIC_READ))
        return Fail(ERROR_ACCESS_DENIED);
    std::uint64_t end = file.bytes.size();
    std::uint64_t n = file.position >= end ? 0 : std::min<std::uint64_t>(toRead, end - file.position);
    if (shortTransfer)
        n = n >= 512 ? n - 512 : 0;
    std::copy(file.bytes.begin() + (std::ptrdiff_t)file.position,
              file.bytes.begin() + (std::ptrdiff_t)(file.position + n), (unsigned char*)buffer);
    file.position += n;
    *read = (DWORD)n;
    return TRUE;
}

BOOL FileWrite(FileHandle& file, LPCVOID buffer, DWORD toWrite, LPDWORD written, bool shortTransfer)
{
    if (!written)
        return Fail(ERROR_INVALID_PARAMETER);
    *written = 0;
    if (!(file.access & GENERIC_WRITE))
        return Fail(ERROR_ACCESS_DENIED);
    if (!WriteAllowed(*file.volume, toWrite))
        return FALSE;
    std::uint64_t n = toWrite;
    if (shortTransfer)
        n = n >= 512 ? n - 512 : 0;
    if (file.bytes.size() < file.position + n)
        file.bytes.resize((std::size_t)(file.position + n), 0);
    std::copy((const unsigned char*)buffer, (const unsigned char*)buffer + n,
              file.bytes.begin() + (std::ptrdiff_t)file.position);
    file.position += n;
    file.dirty = true;
    *written = (DWORD)n;
    return TRUE;
}

} // namespace winsim
