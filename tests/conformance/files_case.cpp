// The DOS files as the product writes them: kept in movable, zeroed global
// memory (an empty file makes an empty block), created over what is there,
// opened again to patch a byte, shared with readers only.
#include "conformance.h"

// Set before calls whose success may set the error too.
static const DWORD kMarkError = 0xDEAD;

// Locked and unlocked once, as the product does: unlocked, without an error.
static void MemoryBlocks()
{
    for (SIZE_T bytes : {10, 0}) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
        BYTE* locked = block ? (BYTE*)GlobalLock(block) : NULL;
        SetLastError(kMarkError);
        Line("memory", "alloc: size, lock, unlock, free")["answers"] = {
            block ? (long long)GlobalSize(block) : -1, Bytes(locked, locked ? bytes : 0),
            locked ? (long long)GlobalUnlock(block) : -1, locked ? (long long)GetLastError() : -1,
            block && !GlobalFree(block)};
    }
}

// An open's outcome, and the error where it failed or where it created a
// file (0, or ERROR_ALREADY_EXISTS when there was one).
static HANDLE Open(const char* step, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING,
                   const char* name = "TWKFILE1.BIN")
{
    SetLastError(kMarkError);
    HANDLE file = CreateFileA((world::FileFolder() + std::string(name)).c_str(), access, share,
                              NULL, disposition, FILE_ATTRIBUTE_NORMAL, NULL);
    bool valid = file != INVALID_HANDLE_VALUE;
    Step("files", step, !valid || disposition == CREATE_ALWAYS, valid);
    return file;
}

// Writes the bytes given, or reads length bytes for none: the count moved,
// and what was read.
static void Move(const char* step, HANDLE file, DWORD length, const char* bytes = nullptr)
{
    char read[32];
    DWORD moved = 0xFFFF;
    BOOL ok = bytes ? WriteFile(file, bytes, length, &moved, NULL)
                    : ReadFile(file, read, length, &moved, NULL);
    Step("files", step, !ok, {moved, std::string(read, ok && !bytes ? moved : 0)});
}

// Moves by a 64-bit distance, as the product does, or by a 32-bit one.
static void Seek(const char* step, HANDLE file, LONG distance, DWORD method, bool withHigh = true)
{
    LONG high = distance < 0 ? -1 : 0;
    SetLastError(kMarkError);
    DWORD low = SetFilePointer(file, distance, withHigh ? &high : NULL, method);
    Step("files", step, low == INVALID_SET_FILE_POINTER, {low, withHigh ? high : 0});
}

void FilesCase()
{
    MemoryBlocks();
    for (const char* step : {"create", "create over existing"}) {
        HANDLE file = Open(step, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
        Seek("length after create", file, 0, FILE_END);
        Move("write", file, 11, "HELLO WORLD");
        Step("files", "close", !CloseHandle(file), nullptr);
    }
    Open("open missing", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, "TWKNONE.BIN");

    // A writer that shares with readers only, as the product opens its
    // files, and other opens beside it (closing a failed one does nothing).
    HANDLE writer = Open("open writer", GENERIC_WRITE, FILE_SHARE_READ);
    CloseHandle(Open("second writer", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ));
    CloseHandle(Open("reader that will not share writing", GENERIC_READ, FILE_SHARE_READ));
    CloseHandle(Open("reader that shares writing", GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE));
    CloseHandle(Open("create over an open file", GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS));
    Step("files", "close writer", !CloseHandle(writer), nullptr);

    // Patching as the product does: seek, read, seek back, write.
    HANDLE file = Open("open to patch", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ);
    Seek("seek past the end", file, 20, FILE_BEGIN);
    Move("write one byte there", file, 1, "Z");
    Seek("length", file, 0, FILE_END);
    Seek("seek to start", file, 0, FILE_BEGIN);
    Move("read the text and the gap", file, 21);
    Move("read at the end", file, 4);
    Seek("seek far past the end", file, 100, FILE_BEGIN);
    Move("read past the end", file, 4);
    Seek("seek before the start", file, -1, FILE_BEGIN);
    Seek("seek before the start, 32 bits", file, -1, FILE_BEGIN, false);
    Seek("where the pointer stayed", file, 0, FILE_CURRENT);
    HANDLE reader = Open("open reader beside it", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    Move("write on a reader", reader, 1, "X");
    Step("files", "close reader", !CloseHandle(reader), nullptr);
    Step("files", "close", !CloseHandle(file), nullptr);
    Step("files", "close again", !CloseHandle(file), nullptr);
    file = Open("open writer only", GENERIC_WRITE, FILE_SHARE_READ);
    Move("read on a writer", file, 1);
    Step("files", "close", !CloseHandle(file), nullptr);
}
