// Files on a drive as the product writes the DOS files: created over what
// is there, opened again to patch a byte, shared with readers only.
#include "conformance.h"

#include <cstring>

namespace conformance {

namespace {

const DWORD kMarkError = 0xDEAD; // set before calls whose success sets the error too

struct Path {
    explicit Path(const char* name)
    {
        std::strcpy(text, world::FileFolder());
        std::strcat(text, name);
    }
    char text[300];
};

HANDLE Open(const Path& path, DWORD access, DWORD share, DWORD disposition)
{
    SetLastError(kMarkError);
    return CreateFileA(path.text, access, share, NULL, disposition, FILE_ATTRIBUTE_NORMAL, NULL);
}

// Prints an open's outcome, and the error where it failed or where it
// created a file (0, or ERROR_ALREADY_EXISTS when there was one).
HANDLE Opened(const char* step, HANDLE file, bool creates = false)
{
    bool valid = file != INVALID_HANDLE_VALUE;
    Line line("files", step);
    line.Flag("valid", valid);
    if (!valid || creates)
        line.Num("error", GetLastError());
    return file;
}

// An open beside another, closed again at once.
void TryOpen(const char* step, const Path& path, DWORD access, DWORD share, DWORD disposition)
{
    HANDLE file = Opened(step, Open(path, access, share, disposition));
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

void Write(const char* step, HANDLE file, const char* bytes, DWORD length)
{
    DWORD written = 0xFFFF;
    BOOL ok = WriteFile(file, bytes, length, &written, NULL);
    Line line("files", step);
    line.Flag("ok", ok).Num("written", written);
    if (!ok)
        line.Num("error", GetLastError());
}

void Read(const char* step, HANDLE file, DWORD length)
{
    char bytes[32];
    DWORD read = 0xFFFF;
    BOOL ok = ReadFile(file, bytes, length, &read, NULL);
    Line line("files", step);
    line.Flag("ok", ok).Num("read", read);
    if (ok)
        line.Text("bytes", bytes, read);
    else
        line.Num("error", GetLastError());
}

// Moves by a 64-bit distance, as the product does, or by a 32-bit one.
void Seek(const char* step, HANDLE file, LONG distance, DWORD method, bool withHigh = true)
{
    LONG high = distance < 0 ? -1 : 0;
    SetLastError(kMarkError);
    DWORD low = SetFilePointer(file, distance, withHigh ? &high : NULL, method);
    Line line("files", step);
    line.Num("low", low);
    if (withHigh)
        line.Num("high", high);
    if (low == INVALID_SET_FILE_POINTER)
        line.Num("error", GetLastError());
}

void Close(const char* step, HANDLE file)
{
    BOOL ok = CloseHandle(file);
    Line line("files", step);
    line.Flag("ok", ok);
    if (!ok)
        line.Num("error", GetLastError());
}

} // namespace

void FilesCase()
{
    const Path path("TWKFILE1.BIN");
    HANDLE file = Opened("create", Open(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS), true);
    if (file == INVALID_HANDLE_VALUE)
        return;
    Write("write", file, "HELLO", 5);
    Close("close", file);

    file = Opened("create over existing",
                  Open(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS), true);
    if (file == INVALID_HANDLE_VALUE)
        return;
    Seek("length after create over existing", file, 0, FILE_END);
    Write("write", file, "HELLO WORLD", 11);
    Close("close", file);

    TryOpen("open missing", Path("TWKNONE.BIN"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);

    // A writer that shares with readers only, as the product opens its files.
    HANDLE writer = Opened("open writer", Open(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING));
    if (writer == INVALID_HANDLE_VALUE)
        return;
    TryOpen("second writer", path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    TryOpen("reader that will not share writing", path, GENERIC_READ, FILE_SHARE_READ,
            OPEN_EXISTING);
    TryOpen("reader that shares writing", path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
            OPEN_EXISTING);
    TryOpen("create over an open file", path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    Close("close writer", writer);

    // Patching as the product does: seek, read, seek back, write.
    file = Opened("open to patch",
                  Open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING));
    if (file == INVALID_HANDLE_VALUE)
        return;
    Seek("seek past the end", file, 20, FILE_BEGIN);
    Write("write one byte there", file, "Z", 1);
    Seek("length", file, 0, FILE_END);
    Seek("seek to start", file, 0, FILE_BEGIN);
    Read("read the text", file, 11);
    Seek("seek to the byte", file, 20, FILE_BEGIN);
    Read("read the byte", file, 1);
    Read("read at the end", file, 4);
    Seek("seek far past the end", file, 100, FILE_BEGIN);
    Read("read past the end", file, 4);
    Seek("seek before the start", file, -1, FILE_BEGIN);
    Seek("seek before the start, 32 bits", file, -1, FILE_BEGIN, false);
    Seek("where the pointer stayed", file, 0, FILE_CURRENT);

    HANDLE reader = Opened("open reader beside it",
                           Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    if (reader != INVALID_HANDLE_VALUE) {
        Write("write on a reader", reader, "X", 1);
        Close("close reader", reader);
    }
    Close("close", file);
    Close("close again", file);
    file = Opened("open writer only", Open(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING));
    if (file != INVALID_HANDLE_VALUE) {
        Read("read on a writer", file, 1);
        Close("close", file);
    }
}

} // namespace conformance
