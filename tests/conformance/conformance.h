// The conformance program: short sequences of the Win32 calls the product
// makes, each printing what came back as one JSON object a line. The same
// cases run on the simulated Windows and on a real Win32 (Wine); the two
// transcripts must agree line by line. Only the world each side stands in
// (what a case finds set up, and the user at the keyboard) differs.
#ifndef TARNWICK_CONFORMANCE_H
#define TARNWICK_CONFORMANCE_H

#include "app/platform.h"

#include <nlohmann/json.hpp>

#include <cstdarg>
#include <string>
#include <vector>

// One transcript line: the case, the step, then the answers in the order
// they are set, in printable ASCII; printed when it goes out of scope.
// Building it leaves the last error alone.
struct Line : nlohmann::ordered_json {
    Line(const char* group, const char* step) : basic_json({{"case", group}, {"step", step}}) {}
    ~Line();
};

// A step of one call: its answer, and where it failed, the error it left.
void Step(const char* group, const char* step, bool failed, const nlohmann::ordered_json& answer);

inline std::vector<BYTE> Bytes(const void* p, std::size_t n) { return {(BYTE*)p, (BYTE*)p + n}; }

void RegistryCase();
void FilesCase();
void ModulesCase();
void DialogCase();
void TextCase();
void DrivesCase();

// What each side provides in its own way.
namespace world {

// Sets the side up, and cleans up after the cases; false (with a message on
// standard error) when it cannot, or when the cases left something open.
bool Start();
bool Finish();

// Under HKEY_LOCAL_MACHINE\keyPath, making the keys on the way.
void SetRegistryValue(const char* keyPath, const char* name, DWORD type, const void* data,
                      DWORD size);

// The folder the file cases work in, ending in a backslash.
const char* FileFolder();

// In the system directory, with the resources of pe_resources.rc, the
// second importing the third; the first and third also lie, without
// resources, in the program's folder.
const char kResourceLibrary[] = "twkres.dll";
const char kImportingLibrary[] = "twkimp.dll";
const char kImportedLibrary[] = "twkdep.dll";

// Once the dialog waits for the user, it is sent kRunSteps.
const UINT kRunSteps = WM_USER + 0x100;
void WhenWaiting(HWND dialog);

// The user: clicks a button or a notifying static, types into an edit box
// over its text, presses Enter in the dialog.
void Click(HWND control);
void Type(HWND edit, const char* text);
void PressEnter(HWND dialog);

// What the screen shows of a control, to tell whether it was painted between
// two looks: its pixels under Wine, the text winsim last painted.
std::string Screen(HWND control);
// The owner's next OK box titled kBoxTitle closes once it is up (on winsim
// such a box is answered at once).
const char kBoxTitle[] = "Conformance";
void BoxClosesItself(HWND owner);

// wsprintfA (at most 1024 characters); on winsim, which has none, the
// product's formatter.
int SystemFormat(char* buffer, const char* format, va_list args);

} // namespace world

#endif
