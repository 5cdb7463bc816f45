// Files on a drive as the product writes the DOS files: created over what
// is there, opened again to patch a byte, shared with readers only.
#include "conformance.h"

#include <string>

namespace conformance {

namespace {

// Prints an open's outcome, and the error where it failed or where it
// created a file (0, or ERROR_ALREADY_EXISTS when there was one).
HANDLE Open(const char* step, const char* name, DWORD access, DWORD share, DWORD disposition)
{
    std::string path = std::string(world::FileFolder()) + name;
    SetLastError(kMarkError);
    HANDLE file = CreateFileA(path.c_str(), access, share, NULL, disposition,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD error = GetLastError();
    Line line("files", step);
    line.Flag("valid", file != INVALID_HANDLE_VALUE);
    if (file == INVALID_HANDLE_VALUE || disposition == CREATE_ALWAYS)
        line.Num("error", error);
    return file;
}

// Writes the bytes given, or reads length bytes for none.
void Move(const char* step, HANDLE file, DWORD length, const char* bytes = nullptr)
{
    char read[32];
    DWORD moved = 0xFFFF;
    BOOL ok = bytes ? WriteFile(file, bytes, length, &moved, NULL)
                    : ReadFile(file, read, length, &moved, NULL);
    DWORD error = GetLastError();
    Line line("files", step);
    line.Outcome(ok, error).Num("moved", moved);
    if (ok && !bytes)
        line.Text("bytes", read, moved);
}

// Moves by a 64-bit distance, as the product does, or by a 32-bit one.
void Seek(const char* step, HANDLE file, LONG distance, DWORD method, bool withHigh = true)
{
    LONG high = distance < 0 ? -1 : 0;
    SetLastError(kMarkError);
    DWORD low = SetFilePointer(file, distance, withHigh ? &high : NULL, method);
    DWORD error = GetLastError();
    Line line("files", step);
    line.Num("low", low).Num("high", withHigh ? high : 0);
    if (low == INVALID_SET_FILE_POINTER)
        line.Num("error", error);
}

void Close(const char* step, HANDLE file)
{
    BOOL ok = CloseHandle(file);
    DWORD error = GetLastError();
    Line("files", step).Outcome(ok, error);
}

} // namespace

void FilesCase()
{
    const char name[] = "TWKFILE1.BIN";
    for (const char* step : {"create", "create over existing"}) {
        HANDLE file = Open(step, name, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
        if (file == INVALID_HANDLE_VALUE)
            return;
        Seek("length after create", file, 0, FILE_END);
        Move("write", file, 11, "HELLO WORLD");
        Close("close", file);
    }
    Open("open missing", "TWKNONE.BIN", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);

    // A writer that shares with readers only, as the product opens its
    // files, and other opens beside it.
    HANDLE writer = Open("open writer", name, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    if (writer == INVALID_HANDLE_VALUE)
        return;
    const struct {
        const char* step;
        DWORD access, share, disposition;
    } beside[] = {
        {"second writer", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING},
        {"reader that will not share writing", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING},
        {"reader that shares writing", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
         OPEN_EXISTING},
        {"create over an open file", GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS},
    };
    for (const auto& b : beside) {
        HANDLE other = Open(b.step, name, b.access, b.share, b.disposition);
        if (other != INVALID_HANDLE_VALUE)
            CloseHandle(other);
    }
    Close("close writer", writer);

    // Patching as the product does: seek, read, seek back, write.
    HANDLE file = Open("open to patch", name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                       OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return;
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

    HANDLE reader = Open("open reader beside it", name, GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (reader != INVALID_HANDLE_VALUE) {
        Move("write on a reader", reader, 1, "X");
        CloseHandle(reader);
    }
    Close("close", file);
    Close("close again", file);
    file = Open("open writer only", name, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    if (file != INVALID_HANDLE_VALUE) {
        Move("read on a writer", file, 1);
        CloseHandle(file);
    }
}

} // namespace conformance
