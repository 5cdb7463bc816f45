// The driver: runs the real tarnwick.exe and works its windows from another
// process, as a user would. Both dialogs against their control tables, the
// About box's ways of closing, the ways to quit.
#include "res/resource.h"
#include "volume/format.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string g_program;     // tarnwick.exe
std::string g_screenshots; // the folder tools/wine-test.sh watches

// One run of tarnwick.exe, terminated at destruction if still running.
class ProgramRun {
public:
    ProgramRun()
    {
        std::string commandLine = "\"" + g_program + "\"";
        STARTUPINFOA startup = {sizeof startup};
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(g_program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &info)) {
            error_ = "CreateProcess(" + g_program + "), error " + std::to_string(GetLastError());
            return;
        }
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
        WaitForInputIdle(process_, 10000);
    }

    ~ProgramRun()
    {
        if (process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_, 99);
            WaitForSingleObject(process_, 5000);
        }
        if (process_ != nullptr)
            CloseHandle(process_);
    }

    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    const std::string& Error() const { return error_; } // empty once started

    // A visible dialog of the run with that owner and, unless null, title.
    HWND WaitForDialog(HWND owner, const char* title, DWORD timeoutMs = 10000) const
    {
        for (DWORD waited = 0; waited <= timeoutMs; waited += 50, Sleep(50)) {
            HWND window = nullptr;
            while ((window = FindWindowExA(nullptr, window, "#32770", title)) != nullptr) {
                DWORD processId = 0;
                GetWindowThreadProcessId(window, &processId);
                if (processId == id_ && IsWindowVisible(window) &&
                    GetWindow(window, GW_OWNER) == owner)
                    return window;
            }
        }
        return nullptr;
    }

    // The exit code, or -1 while still running after the timeout.
    long WaitForExit(DWORD timeoutMs = 10000)
    {
        DWORD code = 0;
        if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process_, &code))
            return -1;
        return static_cast<long>(code);
    }

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    std::string error_;
};

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// WM_GETTEXT is marshalled across processes.
std::string TextOf(HWND window)
{
    char text[1024] = "";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 5000, &length))
        return "<no answer to WM_GETTEXT>";
    return text;
}

// In z-order, which is tab order.
std::vector<HWND> ChildrenOf(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// Destroyed or hidden.
bool WaitForWindowGone(HWND window, DWORD timeoutMs = 5000)
{
    for (DWORD waited = 0; IsWindow(window) && IsWindowVisible(window); waited += 50, Sleep(50))
        if (waited >= timeoutMs)
            return false;
    return true;
}

void PressEscape(HWND window)
{
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(window, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

// A real left click (SendInput) at its middle.
bool ClickOn(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    INPUT clicks[2] = {{INPUT_MOUSE}, {INPUT_MOUSE}};
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2) &&
           SendInput(2, clicks, sizeof(INPUT)) == 2;
}

// Dialog units {x, y, cx, cy} of dialog templateId in pixels. MapDialogRect
// does not work across processes: a hidden dialog of our own from the same
// template has the same font and so the same units.
RECT ToPixels(int templateId, const RECT& units)
{
    HMODULE module = LoadLibraryExA(g_program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = module ? FindResourceA(module, MAKEINTRESOURCEA(templateId), RT_DIALOG) : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    auto data = static_cast<LPCDLGTEMPLATEA>(loaded ? LockResource(loaded) : nullptr);
    HINSTANCE self = GetModuleHandleA(nullptr);
    HWND dialog = data ? CreateDialogIndirectParamA(self, data, nullptr, nullptr, 0) : nullptr;
    RECT mapped = units;
    if (dialog == nullptr || !MapDialogRect(dialog, &mapped))
        ADD_FAILURE() << "cannot build dialog " << templateId << " of " << g_program;
    DestroyWindow(dialog);
    FreeLibrary(module);
    return {mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
}

// Has tools/wine-test.sh shoot the window as name.png; empty on success,
// else what went wrong. NAME.request ("WIDTH HEIGHT X Y") is renamed into
// place, so the script never reads half of one.
std::string TakeScreenshot(const std::string& name, HWND window)
{
    const std::string base = g_screenshots + "\\" + name;
    auto exists = [&](const char* suffix) {
        return GetFileAttributesA((base + suffix).c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    for (const char* suffix : {".png", ".done", ".failed", ".log"})
        DeleteFileA((base + suffix).c_str());
    DWORD_PTR ignored = 0;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    Sleep(300); // painted: the thread has handled everything sent before
    RECT rect = {};
    GetWindowRect(window, &rect);
    std::ofstream(base + ".tmp") << rect.right - rect.left << ' ' << rect.bottom - rect.top
                                 << ' ' << rect.left << ' ' << rect.top << '\n';
    if (!MoveFileExA((base + ".tmp").c_str(), (base + ".request").c_str(),
                     MOVEFILE_REPLACE_EXISTING))
        return "cannot write " + base + ".request";
    for (int waited = 0; waited < 300; waited++, Sleep(100)) {
        if (exists(".failed"))
            return "the shot of " + base + ".png failed (see " + name + ".log)";
        if (exists(".done")) {
            DeleteFileA((base + ".done").c_str());
            char signature[8] = {};
            std::ifstream(base + ".png", std::ios::binary).read(signature, sizeof signature);
            bool png = std::string(signature, 8) == "\x89PNG\r\n\x1a\n";
            return png ? "" : base + ".png is not a PNG file";
        }
    }
    return "no answer to " + base + ".request (is tools/wine-test.sh watching?)";
}

struct ControlRow {
    const char* name;
    int id;
    const char* className;
    // The kind bits and the bits that must be set; WS_TABSTOP must match
    // exactly; WS_BORDER is met by a client edge too (edit controls).
    DWORD style;
    const char* text; // nullptr: not compared
    RECT units;       // x, y, cx, cy in dialog units
    SIZE pixels;      // not zero: the control sizes itself to this
};

const DWORD kTab = WS_TABSTOP;
const char kNoDisks[] = "    No USB Disks Found!";

const std::vector<ControlRow> kMainControls = {
    {"Start", IDOK, "Button", BS_DEFPUSHBUTTON | kTab, "Start...", {213, 87, 50, 33}, {}},
    {"disk list", IDC_DISK_LIST, "ComboBox", CBS_DROPDOWNLIST | CBS_SORT | kTab, kNoDisks,
     {7, 39, 201, 53}, {}},
    {"label box", IDC_LABEL, "Edit", ES_AUTOHSCROLL | WS_BORDER | kTab, "", {18, 89, 76, 12}, {}},
    {"Refresh", IDC_REFRESH, "Button", BS_PUSHBUTTON | kTab, "Refresh", {213, 38, 50, 14}, {}},
    {"Force Volume Dismount", IDC_FORCE_DISMOUNT, "Button", BS_AUTOCHECKBOX | kTab,
     "Force Volume Dismount", {111, 81, 92, 8}, {}},
    {"Enable LBA", IDC_ENABLE_LBA, "Button", BS_AUTOCHECKBOX | kTab, "Enable LBA (Fat16X)",
     {111, 108, 87, 8}, {}},
    {"Don't rewrite MBR code", IDC_KEEP_MBR_CODE, "Button", BS_AUTOCHECKBOX | kTab,
     "Don't rewrite MBR code", {111, 94, 87, 8}, {}},
    {"Quick Format", IDC_QUICK_FORMAT, "Button", BS_AUTOCHECKBOX | kTab, "Quick Format",
     {111, 67, 65, 8}, {}},
    {"status line", IDC_STATUS, "Edit", ES_READONLY | ES_AUTOHSCROLL | WS_BORDER | kTab, "",
     {7, 127, 256, 12}, {}},
    {"Options group", IDC_STATIC, "Button", BS_GROUPBOX, "Options :", {7, 57, 200, 64}, {}},
    {"Label caption", IDC_STATIC, "Static", SS_LEFT | WS_GROUP, "Label :", {19, 80, 58, 8}, {}},
    {"About", IDC_ABOUT, "Button", BS_PUSHBUTTON | kTab, "About...", {213, 62, 50, 14}, {}},
    {"banner", IDC_BANNER, "Static", SS_BITMAP | SS_NOTIFY, nullptr, {7, 0, 0, 0}, {384, 58}},
};

const std::vector<ControlRow> kAboutControls = {
    {"icon", IDC_ABOUT_ICON, "Static", SS_ICON | SS_NOTIFY, nullptr, {80, 7, 0, 0}, {32, 32}},
    {"title", IDC_ABOUT_TITLE, "Static", SS_CENTER | WS_GROUP, "Tarnwick", {60, 31, 62, 8}, {}},
    {"description", IDC_STATIC, "Static", SS_LEFT, nullptr, {7, 47, 173, 72}, {}},
    {"requirement", IDC_STATIC, "Static", SS_CENTER, "IMPORTANT :\nWindows XP/2003 IS Required!",
     {7, 134, 173, 17}, {}},
    {"credit line", IDC_STATIC, "Static", SS_CENTER, nullptr, {7, 171, 173, 9}, {}},
};

std::string Hex(DWORD value)
{
    char text[16];
    wsprintfA(text, "0x%08lx", value);
    return text;
}

std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " +
           std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top);
}

void ExpectControls(HWND dialog, int templateId, const std::vector<ControlRow>& rows)
{
    std::vector<HWND> children = ChildrenOf(dialog);
    ASSERT_EQ(children.size(), rows.size()) << "number of controls";
    for (size_t i = 0; i < rows.size(); i++) {
        const ControlRow& row = rows[i];
        HWND control = children[i];
        SCOPED_TRACE("control " + std::to_string(i + 1) + " of the tab order, " + row.name);
        EXPECT_EQ(GetDlgCtrlID(control), row.id) << "id";
        std::string kind = ClassOf(control);
        EXPECT_STRCASEEQ(kind.c_str(), row.className) << "class";

        DWORD kindMask = kind == "Button" ? BS_TYPEMASK : kind == "Static" ? SS_TYPEMASK
                         : kind == "ComboBox" ? 0x3 : 0;
        DWORD style = GetWindowLongA(control, GWL_STYLE);
        DWORD set = (row.style & ~kindMask & ~(WS_TABSTOP | WS_BORDER)) | WS_VISIBLE;
        EXPECT_EQ(Hex(style & kindMask), Hex(row.style & kindMask)) << "kind, " << Hex(style);
        EXPECT_EQ(Hex(style & set), Hex(set)) << "style bits, " << Hex(style);
        EXPECT_EQ(style & WS_TABSTOP, row.style & WS_TABSTOP) << "WS_TABSTOP, " << Hex(style);
        if (row.style & WS_BORDER) // edit controls turn it into a client edge
            EXPECT_TRUE((style & WS_BORDER) ||
                        (GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
        if (row.text != nullptr)
            EXPECT_EQ(TextOf(control), row.text) << "text";

        RECT actual = {};
        GetWindowRect(control, &actual);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&actual), 2);
        RECT expected = ToPixels(templateId, row.units);
        if (row.pixels.cx != 0)
            expected = {expected.left, expected.top, expected.left + row.pixels.cx,
                        expected.top + row.pixels.cy};
        if (kind == "ComboBox") // the template gives the dropped height
            expected.bottom = actual.bottom;
        EXPECT_EQ(Describe(actual), Describe(expected)) << "rectangle in pixels";
    }
}

// Every test has a run of its own.
class Dialogs : public testing::Test {
protected:
    void SetUp() override
    {
        main_ = run_.WaitForDialog(nullptr, "Tarnwick", 15000);
        ASSERT_NE(main_, nullptr) << "no dialog \"Tarnwick\" appeared. " << run_.Error();
    }

    HWND OpenAboutBox()
    {
        PostMessageA(main_, WM_COMMAND, MAKEWPARAM(IDC_ABOUT, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(main_, IDC_ABOUT)));
        HWND about = run_.WaitForDialog(main_, nullptr);
        EXPECT_NE(about, nullptr) << "no About box owned by the main dialog appeared";
        return about;
    }

    ProgramRun run_;
    HWND main_ = nullptr;
};

TEST_F(Dialogs, MainDialogMatchesItsTable)
{
    ExpectControls(main_, IDD_MAIN, kMainControls);
    EXPECT_EQ(TakeScreenshot("main", main_), "");
}

TEST_F(Dialogs, FormatProgressShowsInTheStatusLine)
{
    DWORD_PTR ignored = 0;
    ASSERT_TRUE(SendMessageTimeoutA(main_, WM_FORMAT_PROGRESS, 100, 0, SMTO_ABORTIFHUNG, 5000,
                                    &ignored));
    EXPECT_EQ(TextOf(GetDlgItem(main_, IDC_STATUS)), "Formating...(100%)");
}

TEST_F(Dialogs, AboutBoxHasNoCaptionNoButtonAndMatchesItsTable)
{
    HWND about = OpenAboutBox();
    ASSERT_NE(about, nullptr);
    DWORD style = GetWindowLongA(about, GWL_STYLE);
    EXPECT_NE(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION)) << "a caption, " << Hex(style);
    for (HWND child : ChildrenOf(about))
        EXPECT_STRCASENE(ClassOf(child).c_str(), "Button") << "a button: " << TextOf(child);
    ExpectControls(about, IDD_ABOUT, kAboutControls);
    EXPECT_EQ(TakeScreenshot("about", about), "");
}

TEST_F(Dialogs, AboutBoxClosesEachWayAndTheProgramRunsOn)
{
    const std::pair<const char*, int> ways[] = {
        {"Escape", -1}, {"a click on the icon", 0}, {"a click on the description", 2}};
    for (const auto& [way, child] : ways) {
        SCOPED_TRACE(way);
        HWND about = OpenAboutBox();
        ASSERT_NE(about, nullptr);
        EXPECT_FALSE(IsWindowEnabled(main_)) << "the main dialog takes input under the box";
        if (child < 0)
            PressEscape(about);
        else
            ASSERT_TRUE(ClickOn(ChildrenOf(about).at(child))) << "SendInput failed";
        EXPECT_TRUE(WaitForWindowGone(about)) << "the About box stayed open";
        EXPECT_TRUE(IsWindowVisible(main_) && IsWindowEnabled(main_)) << "main dialog unusable";
        if (!WaitForWindowGone(about, 0))
            PressEscape(about);
    }
}

TEST_F(Dialogs, EscapeEndsTheProgramWithExitCodeZero)
{
    PressEscape(main_);
    EXPECT_EQ(run_.WaitForExit(), 0) << "exit code (-1: still running after 10 s)";
}

TEST_F(Dialogs, CloseBoxEndsTheProgramWithExitCodeZero)
{
    PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(run_.WaitForExit(), 0) << "exit code (-1: still running after 10 s)";
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; i += 2) {
        // Wine shows the Unix file system as drive Z:.
        std::string path = argv[i + 1][0] == '/' ? std::string("Z:") + argv[i + 1] : argv[i + 1];
        if (std::strcmp(argv[i], "--program") == 0)
            g_program = path;
        else if (std::strcmp(argv[i], "--screenshots") == 0)
            g_screenshots = path;
    }
    if (g_program.empty() || g_screenshots.empty()) {
        std::fprintf(stderr, "usage: %s --program TARNWICK.EXE --screenshots DIR\n", argv[0]);
        return 2;
    }
    return RUN_ALL_TESTS();
}
