// KERNEL32: the last error, modules, handles, time and global memory.
#include "code_page.h"
#include "machine.h"
#include "res_file.h"
#include "volume_files.h"

#include <cstring>

using winsim::M;

namespace winsim {

namespace {
const UINT_PTR kProgramInstance = 0x00400000;
}

void SetProgramResources(const unsigned char* data, std::size_t size)
{
    std::string error;
    if (!ParseResFile(data, size, M().programResources, error))
        HarnessError("the program's resources cannot be read: " + error);
}

HINSTANCE ProgramInstance()
{
    return (HINSTANCE)kProgramInstance;
}

const std::vector<Resource>& ProgramResources()
{
    return M().programResources;
}

HANDLE OpenHandle(std::shared_ptr<KernelObject> object)
{
    auto& m = M();
    UINT_PTR handle = m.nextHandle;
    m.nextHandle += 4;
    m.handles[handle] = std::move(object);
    return (HANDLE)handle;
}

KernelObject* LookupHandle(HANDLE handle)
{
    auto it = M().handles.find((UINT_PTR)handle);
    return it == M().handles.end() ? nullptr : it->second.get();
}

int OpenHandleCount()
{
    return (int)M().handles.size();
}

int MemoryBlockCount()
{
    return (int)M().blocks.size();
}

} // namespace winsim

extern "C" {

DWORD WINAPI GetLastError(void)
{
    return M().lastError;
}

void WINAPI SetLastError(DWORD error)
{
    M().lastError = error;
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size)
{
    static const char kSystemDirectory[] = "C:\\WINDOWS\\system32";
    if (winsim::Failing("GetSystemDirectoryA"))
        return 0;
    UINT length = (UINT)sizeof kSystemDirectory - 1;
    if (!buffer || size <= length)
        return length + 1; // the size needed, terminator included
    std::memcpy(buffer, kSystemDirectory, length + 1);
    return length;
}

BOOL WINAPI CloseHandle(HANDLE handle)
{
    if (winsim::Failing("CloseHandle"))
        return FALSE;
    if (winsim::FileHandle* file = winsim::FileFor(handle))
        winsim::FlushVolumeFile(*file);
    if (M().handles.erase((UINT_PTR)handle) == 0) {
        M().lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    return TRUE;
}

void WINAPI Sleep(DWORD milliseconds)
{
    winsim::Enter("Sleep");
    if (M().observer)
        M().observer->Slept(milliseconds);
}

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section)
{
    winsim::Enter("InitializeCriticalSection");
    M().criticalSections[section] = {};
}

static winsim::CriticalSectionState& Section(LPCRITICAL_SECTION section, const char* use)
{
    auto it = M().criticalSections.find(section);
    if (it == M().criticalSections.end())
        winsim::HarnessError(std::string(use) + " on a critical section never initialised");
    return it->second;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section)
{
    winsim::Enter("EnterCriticalSection");
    Section(section, "EnterCriticalSection").depth++;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section)
{
    winsim::Enter("LeaveCriticalSection");
    auto& state = Section(section, "LeaveCriticalSection");
    if (state.depth == 0)
        winsim::HarnessError("LeaveCriticalSection on a critical section not entered");
    state.depth--;
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section)
{
    winsim::Enter("DeleteCriticalSection");
    M().criticalSections.erase(section);
}

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length,
                               LPWSTR wide, int wideLength)
{
    (void)codePage;
    (void)flags;
    if (winsim::Failing("MultiByteToWideChar"))
        return 0;
    if (!text || length == 0 || wideLength < 0) {
        M().lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    int count = length < 0 ? (int)std::strlen(text) + 1 : length;
    if (wideLength == 0)
        return count;
    if (!wide || wideLength < count) {
        M().lastError = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    for (int i = 0; i < count; i++)
        wide[i] = winsim::WideFromAnsi((unsigned char)text[i]);
    return count;
}

HGLOBAL WINAPI GlobalAlloc(UINT flags, std::size_t bytes)
{
    if (winsim::Failing("GlobalAlloc"))
        return NULL;
    auto& m = M();
    UINT_PTR handle = m.nextBlock;
    m.nextBlock += 8;
    winsim::Block& block = m.blocks[handle];
    block.bytes.assign(bytes, 0); // zeroed whatever the flags, like fresh pages
    block.flags = flags;
    return (HGLOBAL)handle;
}

static winsim::Block* FindBlock(HGLOBAL handle)
{
    auto it = M().blocks.find((UINT_PTR)handle);
    if (it == M().blocks.end()) {
        M().lastError = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    return &it->second;
}

LPVOID WINAPI GlobalLock(HGLOBAL handle)
{
    if (winsim::Failing("GlobalLock"))
        return NULL;
    winsim::Block* block = FindBlock(handle);
    if (!block)
        return NULL;
    if (block->bytes.empty())
        return NULL; // a zero-sized movable block has no memory to lock
    block->locks++;
    return block->bytes.data();
}

BOOL WINAPI GlobalUnlock(HGLOBAL handle)
{
    winsim::Enter("GlobalUnlock");
    winsim::Block* block = FindBlock(handle);
    if (!block)
        return FALSE;
    if (block->locks == 0) {
        M().lastError = ERROR_NOT_LOCKED;
        return FALSE;
    }
    block->locks--;
    if (block->locks == 0)
        M().lastError = ERROR_SUCCESS;
    return block->locks > 0;
}

std::size_t WINAPI GlobalSize(HGLOBAL handle)
{
    if (winsim::Failing("GlobalSize"))
        return 0;
    winsim::Block* block = FindBlock(handle);
    return block ? block->bytes.size() : 0;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL handle)
{
    if (winsim::Failing("GlobalFree"))
        return handle;
    if (!FindBlock(handle))
        return handle;
    M().blocks.erase((UINT_PTR)handle);
    return NULL;
}

} // extern "C"
