// The format engine under Wine with the fixture fmifs.dll of tests/wine/fmifs:
// what FormatEx is handed and how the engine's callback answers it through
// the real calling convention (FormatUnderWine), and how the library is
// found and let go (FormatLibraryLoading, in a prefix without fmifs.dll: the
// engine keeps a library it loaded, so that runs in a process of its own).
#include "volume/format.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// A window of this thread that writes down each progress report ("!" when
// the continue flag did not arrive set) and clears the flag at cancelAt.
struct ProgressWindow {
    explicit ProgressWindow(unsigned cancelAt) : cancelAt(cancelAt)
    {
        WNDCLASSA windowClass = {0, Procedure};
        windowClass.lpszClassName = "TarnwickProgressProbe";
        RegisterClassA(&windowClass); // fails harmlessly the second time
        handle = CreateWindowA(windowClass.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr,
                               nullptr, nullptr, nullptr);
        SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ProgressWindow() { DestroyWindow(handle); }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message != WM_FORMAT_PROGRESS || self == nullptr)
            return DefWindowProcA(window, message, wParam, lParam);
        BYTE* proceed = reinterpret_cast<BYTE*>(lParam);
        self->shown += std::to_string(wParam) + (*proceed == TRUE ? " " : "! ");
        *proceed = wParam != self->cancelAt;
        return 0;
    }

    HWND handle = nullptr;
    unsigned cancelAt;
    std::string shown;
};

// The fixture library copied from the host path in variable to the system
// directory as fmifs.dll, replacing any there.
void Install(const char* variable)
{
    const char* from = std::getenv(variable);
    ASSERT_NE(from, nullptr) << variable << " is not set";
    char to[MAX_PATH] = "";
    GetSystemDirectoryA(to, sizeof to);
    ASSERT_TRUE(CopyFileA(from, lstrcatA(to, "\\fmifs.dll"), FALSE)) << GetLastError();
}

} // namespace

TEST(FormatUnderWine, HandsFormatExItsArgumentsAndEachFormatsReportsDecideItsResult)
{
    // In its own folder, so that no line can be one left over from another run.
    char log[MAX_PATH + 20] = "";
    GetTempPathA(MAX_PATH, log);
    lstrcatA(log, "fmifs-calls.txt");
    DeleteFileA(log);
    SetEnvironmentVariableA("FMIFS_FIXTURE_LOG", log);
    SetEnvironmentVariableA("FMIFS_FIXTURE_PROGRESS", "0,37,100");
    // E: is on a block device (tools/wine-test.sh --block-drive), the one
    // kind of Wine drive whose dismount succeeds. In this order, so that no
    // result can be one left over from the format before.
    const struct {
        const char *root, *fileSystem, *label;
        BOOL quick, force;
        const char* mode;
        bool window;
        unsigned cancelAt;
        FormatStatus status;
        const char *shown, *call; // the callback's answers, completion last; slip=12
    } cases[] = {                 // on i686 if it left its arguments on the stack
        {"e:\\", "fat", "BOOT", TRUE, FALSE, "success", false, 0, FORMAT_SUCCEEDED, "",
         "FormatEx(e:\\, 0, fat, BOOT, 1, 0) answers=1,1,1,1 slip=0"},
        {"E", "FAT", nullptr, FALSE, TRUE, "success", true, 37, FORMAT_CANCELLED, "0 37 ",
         "FormatEx(E:\\, 0, FAT, , 0, 0) answers=1,0,1 slip=0"},
        {"E:\\anything", "Fat32", "ABCDEFGHIJK", TRUE, TRUE, "failure", true, 999, FORMAT_FAILED,
         "0 37 100 ", "FormatEx(E:\\, 0, Fat32, ABCDEFGHIJK, 1, 0) answers=1,1,1,1 slip=0"},
        {"E:\\", "ntfs", "", FALSE, FALSE, "success", true, 999, FORMAT_SUCCEEDED, "0 37 100 ",
         "FormatEx(E:\\, 0, ntfs, , 0, 0) answers=1,1,1,1 slip=0"},
    };
    for (const auto& c : cases) {
        SetEnvironmentVariableA("FMIFS_FIXTURE_MODE", c.mode);
        ProgressWindow window(c.cancelAt);
        ASSERT_NE(window.handle, nullptr);
        EXPECT_EQ(FormatVolume(c.window ? window.handle : nullptr, c.root, c.fileSystem, c.label,
                               c.quick, c.force), c.status) << c.call;
        EXPECT_EQ(window.shown, c.shown) << c.call;
        std::string lines, line;
        for (std::ifstream in(log); std::getline(in, line);)
            lines += line + "\n";
        EXPECT_EQ(lines, std::string(c.call) + "\n");
        ASSERT_TRUE(DeleteFileA(log)) << GetLastError();
    }
}

TEST(FormatLibraryLoading, IsLookedForInTheSystemDirectoryUntilOneHasFormatEx)
{
    // No argument is looked at: with the library these would give 3 and 4.
    EXPECT_EQ(FormatVolume(nullptr, nullptr, nullptr, nullptr, FALSE, FALSE),
              FORMAT_LIBRARY_MISSING);
    EXPECT_EQ(FormatVolume(nullptr, "Q:\\", "fat", nullptr, FALSE, FALSE), FORMAT_LIBRARY_MISSING);
    Install("FMIFS_WITHOUT_FORMATEX");
    for (int call = 1; call <= 2; call++) {
        EXPECT_EQ(FormatVolume(nullptr, "Q:\\", "fat", nullptr, FALSE, FALSE),
                  FORMAT_ENTRY_MISSING) << "call " << call;
        EXPECT_EQ(GetModuleHandleA("fmifs.dll"), nullptr) << "stayed loaded, call " << call;
    }
    Install("FMIFS_FIXTURE_DLL");
    EXPECT_EQ(FormatVolume(nullptr, "Q:\\", "fat", nullptr, FALSE, FALSE), FORMAT_NO_SUCH_DRIVE);
    EXPECT_NE(GetModuleHandleA("fmifs.dll"), nullptr);
}
