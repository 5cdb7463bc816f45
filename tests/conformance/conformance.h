// The conformance program: short sequences of the Win32 calls the product
// makes, each printing what came back as one JSON object a line. The same
// cases run on the simulated Windows and on a real Win32 (Wine); the two
// transcripts must agree line by line. Only the world each side stands in
// (what a case finds set up, and the user at the keyboard) differs.
#ifndef TARNWICK_CONFORMANCE_H
#define TARNWICK_CONFORMANCE_H

#include "app/platform.h"

#include <cstdarg>
#include <cstddef>
#include <string>

namespace conformance {

// Set before calls whose success may set the error too.
const DWORD kMarkError = 0xDEAD;

// One transcript line, in printable ASCII; printed when it goes out of scope.
class Line {
public:
    Line(const char* group, const char* step);
    ~Line();
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    Line& Num(const char* name, long long value);
    Line& Flag(const char* name, bool value);
    Line& Text(const char* name, const char* text, std::size_t length = std::string::npos);
    Line& Hex(const char* name, const void* bytes, std::size_t length);
    // A call's outcome: ok, and the error it left where it failed.
    Line& Outcome(bool ok, DWORD error);

private:
    Line& Key(const char* name);
    std::string text_;
};

// The cases, in transcript order.
void RegistryCase();
void FilesCase();
void MemoryCase();
void ModulesCase();
void DialogCase();
void FormatCase();
void TextCase();
void DrivesCase();

} // namespace conformance

// What each side provides in its own way.
namespace world {

// Sets the side up, and cleans up after the cases; false (with a message on
// standard error) when it cannot, or when the cases left something open.
bool Start();
bool Finish();

// Stores a value under HKEY_LOCAL_MACHINE\keyPath, making the keys on the way.
bool SetRegistryValue(const char* keyPath, const char* name, DWORD type, const void* data,
                      DWORD size);

// The folder the file cases work in, ending in a backslash.
const char* FileFolder();

// The resource library in the system directory, built from
// tests/native/fixtures/pe_resources.rc for each side; a library of the same
// name without resources lies in the program's folder.
const char kResourceLibrary[] = "twkres.dll";

// Once the dialog waits for the user, it is sent kRunSteps.
const UINT kRunSteps = WM_USER + 0x100;
void WhenWaiting(HWND dialog);

// The user: clicks a button or a notifying static, types into an edit box
// (replacing its text), presses Enter in the dialog.
void Click(HWND control);
void Type(HWND edit, const char* text);
void PressEnter(HWND dialog);

// The system's own formatter where there is one (wsprintfA); on the
// simulated Windows, which has none, the product's formatter stands in.
int SystemFormat(char* buffer, int size, const char* format, va_list args);

} // namespace world

#endif
