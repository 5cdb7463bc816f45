// The product's format engine under Wine, with the fixture fmifs.dll in the
// system directory (FormatUnderWine), with none (FormatLibraryMissing) and
// with one that has no FormatEx (FormatEntryMissing). The engine keeps the
// library it loaded, so each runs in a process of its own.
#include "app/dialogs.h"
#include "res/resource.h"
#include "volume/format.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// tools/wine-test.sh --block-drive E puts E: on a block device, the one
// kind of Wine drive whose dismount request succeeds.
const char kDrive[] = "E:\\";

// A window of this thread that writes down each progress report and the
// continue flag it came with, and clears the flag from cancelAt on.
struct ProgressWindow {
    explicit ProgressWindow(long cancelAt = -1) : cancelAt(cancelAt)
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
        BYTE* proceed = reinterpret_cast<BYTE*>(lParam);
        if (message != WM_FORMAT_PROGRESS || self == nullptr || proceed == nullptr)
            return DefWindowProcA(window, message, wParam, lParam);
        self->percentages.push_back((unsigned)wParam);
        self->flags.push_back(*proceed);
        *proceed = self->cancelAt >= 0 && (long)wParam >= self->cancelAt ? 0 : *proceed;
        return 0;
    }

    HWND handle = nullptr;
    long cancelAt;
    std::vector<unsigned> percentages;
    std::vector<int> flags;
};

class FormatUnderWine : public testing::Test {
protected:
    const char* log_ = "C:\\fmifs-calls.txt"; // the prefix is thrown away

    void SetUp() override
    {
        DeleteFileA(log_);
        SetEnvironmentVariableA("FMIFS_FIXTURE_LOG", log_);
        Mode("success");
    }

    // "success", "failure" or "silent", after reporting the percentages.
    static void Mode(const char* mode, const char* percentages = "0,25,50,75,100")
    {
        SetEnvironmentVariableA("FMIFS_FIXTURE_MODE", mode);
        SetEnvironmentVariableA("FMIFS_FIXTURE_PROGRESS", percentages);
    }

    // The one line FormatEx logged since the last time (see
    // tests/wine/fmifs/format_ex.cpp), or how many there were.
    std::string TakeCall() const
    {
        std::vector<std::string> calls;
        std::ifstream log(log_);
        for (std::string line; std::getline(log, line);)
            calls.push_back(line);
        log.close();
        DeleteFileA(log_);
        return calls.size() == 1 ? calls[0] : std::to_string(calls.size()) + " calls";
    }
};

TEST_F(FormatUnderWine, EachFormatsReportsDecideItsOwnResult)
{
    // In this order, so that no result can be one left over from before.
    struct Case {
        const char* mode;
        bool window;
        long cancelAt;
        FormatStatus status;
        const char* answers; // the callback's, completion last
        std::vector<unsigned> shown;
    };
    const Case cases[] = {
        {"success", false, -1, FORMAT_SUCCEEDED, "1,1,1,1", {}},
        {"success", true, 37, FORMAT_CANCELLED, "1,0,1", {0, 37}},
        {"failure", true, -1, FORMAT_FAILED, "1,1,1,1", {0, 37, 100}},
        {"success", true, -1, FORMAT_SUCCEEDED, "1,1,1,1", {0, 37, 100}},
        {"silent", true, -1, FORMAT_NOT_REPORTED, "1,1,1", {0, 37, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + (c.cancelAt < 0 ? "" : ", cancelled"));
        Mode(c.mode, "0,37,100");
        ProgressWindow window(c.cancelAt);
        ASSERT_NE(window.handle, nullptr);
        EXPECT_EQ(FormatVolume(c.window ? window.handle : nullptr, kDrive, "fat", nullptr, TRUE,
                               FALSE),
                  c.status);
        // A callback that left its arguments on the stack would show slip=12.
        std::string call = TakeCall();
        EXPECT_EQ(call.substr(call.find(" answers=") + 1),
                  std::string("answers=") + c.answers + " slip=0");
        EXPECT_EQ(window.percentages, c.shown);
        EXPECT_EQ(window.flags, std::vector<int>(c.shown.size(), 1)) << "continue flag on arrival";
    }
}

TEST_F(FormatUnderWine, FormatExGetsTheLetterAsGivenTheNameTheLabelAndTheQuickFlag)
{
    struct Case {
        const char *root, *fileSystem, *label;
        BOOL quick, force;
        const char* call; // media and cluster size are always 0
    };
    const Case cases[] = {
        {"e:\\", "fat", "BOOT", TRUE, FALSE, "FormatEx(e:\\, 0, fat, BOOT, 1, 0)"},
        {"E", "FAT", nullptr, FALSE, TRUE, "FormatEx(E:\\, 0, FAT, , 0, 0)"},
        {"E:\\anything", "Fat32", "ABCDEFGHIJK", TRUE, TRUE,
         "FormatEx(E:\\, 0, Fat32, ABCDEFGHIJK, 1, 0)"},
        {"E:\\", "ntfs", "", FALSE, FALSE, "FormatEx(E:\\, 0, ntfs, , 0, 0)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatVolume(nullptr, c.root, c.fileSystem, c.label, c.quick, c.force),
                  FORMAT_SUCCEEDED) << c.call;
        std::string call = TakeCall();
        EXPECT_EQ(call.substr(0, call.find(" answers=")), c.call);
    }
}

TEST_F(FormatUnderWine, MainDialogStatusLineShowsThePercentage)
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN),
                                     nullptr, MainDlgProc, 0);
    ASSERT_NE(dialog, nullptr) << "CreateDialogParam, error " << GetLastError();
    Mode("success", "12,37");
    EXPECT_EQ(FormatVolume(dialog, kDrive, "fat", "BOOT", TRUE, FALSE), FORMAT_SUCCEEDED);
    char text[64] = "";
    GetDlgItemTextA(dialog, IDC_STATUS, text, sizeof text);
    EXPECT_STREQ(text, "Formating...(37%)");
    DestroyWindow(dialog);
}

TEST(FormatLibraryMissing, EveryCallFailsWithOneUntilTheLibraryAppears)
{
    ASSERT_EQ(GetModuleHandleA("fmifs.dll"), nullptr);
    // No argument is looked at: with the library these would give 3 and 4.
    EXPECT_EQ(FormatVolume(nullptr, nullptr, nullptr, nullptr, FALSE, FALSE),
              FORMAT_LIBRARY_MISSING);
    EXPECT_EQ(FormatVolume(nullptr, "Q:\\", "fat", nullptr, FALSE, FALSE), FORMAT_LIBRARY_MISSING);
    EXPECT_EQ(LoadFormatLibrary(), 0);

    // Installed while the program runs, the library is found by the next call.
    const char* from = std::getenv("FMIFS_FIXTURE_DLL");
    ASSERT_NE(from, nullptr) << "FMIFS_FIXTURE_DLL is not set";
    char to[MAX_PATH] = "";
    GetSystemDirectoryA(to, sizeof to);
    ASSERT_TRUE(CopyFileA(from, lstrcatA(to, "\\fmifs.dll"), TRUE)) << GetLastError();
    EXPECT_EQ(FormatVolume(nullptr, "Q:\\", "fat", nullptr, FALSE, FALSE), FORMAT_NO_SUCH_DRIVE);
    EXPECT_NE(GetModuleHandleA("fmifs.dll"), nullptr);
}

TEST(FormatEntryMissing, FailsWithTwoAndLetsTheLibraryGo)
{
    for (int call = 1; call <= 2; call++) {
        EXPECT_EQ(FormatVolume(nullptr, nullptr, nullptr, nullptr, FALSE, FALSE),
                  FORMAT_ENTRY_MISSING) << "call " << call;
        EXPECT_EQ(GetModuleHandleA("fmifs.dll"), nullptr) << "stayed loaded, call " << call;
    }
    EXPECT_EQ(LoadFormatLibrary(), 0);
}

TEST(FormatStatusText, EachResultHasItsMessage)
{
    const char* const texts[] = {
        "Format Completed Successfully",
        "FormatEx Error[1]: Failed To Load fmifs.dll",
        "FormatEx Error[2]: Failed To Get Function Address",
        "FormatEx Error[3]: Supplied Drive Parameter Check Failed.",
        "FormatEx Error[4]: Drive Does Not Exist.",
        "FormatEx Error[5]: Supplied Format Parameter Check Failed.",
        "FormatEx Error[6]: Supplied Label Parameter Check Failed.",
        "FormatEx Error[7]: Failed To Dismount Drive.",
        "FormatEx Error[8]: The drive is locked by another process.",
        "FormatEx Error[9]: Another process has open file(s) on this drive.",
        "FormatEx Error[10]: User Aborted Format.",
        "FormatEx Error[11]: An Error Occurred Formating the Drive.",
        "FormatEx Error[12]: Unknow Error.",
    };
    for (int status = 0; status <= 12; status++)
        EXPECT_STREQ(FormatStatusText(status), texts[status]);
    EXPECT_STREQ(FormatStatusText(-1), "FormatEx Error[-1]: Unknow Error.");
}

} // namespace
