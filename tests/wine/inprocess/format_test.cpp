// The format engine under Wine with the fixture fmifs.dll of tests/wine/fmifs:
// what FormatEx is handed and how the engine's callback takes its reports
// through the real calling convention (FormatUnderWine), and how the library
// is found and let go (FormatLibraryLoading, in a prefix without fmifs.dll:
// the engine keeps a library it loaded, so that runs in a process of its own).
#include "volume/format.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// The fixture library named by variable, copied to the system directory as
// fmifs.dll over any there.
void Install(const char* variable)
{
    const char* from = std::getenv(variable);
    ASSERT_NE(from, nullptr) << variable << " is not set";
    char to[MAX_PATH] = "";
    GetSystemDirectoryA(to, sizeof to);
    ASSERT_TRUE(CopyFileA(from, lstrcatA(to, "\\fmifs.dll"), FALSE)) << GetLastError();
}

} // namespace

TEST(FormatUnderWine, HandsFormatExItsArgumentsAndTakesItsCompletion)
{
    char log[MAX_PATH + 20] = "";
    GetTempPathA(MAX_PATH, log);
    lstrcatA(log, "fmifs-calls.txt");
    DeleteFileA(log);
    SetEnvironmentVariableA("FMIFS_FIXTURE_LOG", log);
    // E: is on a block device (tools/wine-test.sh --block-drive), the one kind
    // of Wine drive whose dismount succeeds. A failure between two successes,
    // so that no result can be one left over from the format before.
    const struct {
        const char *root, *fileSystem, *label;
        BOOL quick, force;
        const char* mode;
        FormatStatus status;
        const char* call; // answers: the callback's, completion last; on i686 a
    } cases[] = {         // callback that left its arguments on the stack gives slip=12
        {"e:\\", "fat", "BOOT", TRUE, FALSE, "success", FORMAT_SUCCEEDED,
         "FormatEx(e:\\, 0, fat, BOOT, 1, 0) answers=1,1,1,1 slip=0"},
        {"E", "FAT", nullptr, FALSE, TRUE, "failure", FORMAT_FAILED,
         "FormatEx(E:\\, 0, FAT, , 0, 0) answers=1,1,1,1 slip=0"},
        {"E:\\anything", "Fat32", "ABCDEFGHIJK", TRUE, TRUE, "success", FORMAT_SUCCEEDED,
         "FormatEx(E:\\, 0, Fat32, ABCDEFGHIJK, 1, 0) answers=1,1,1,1 slip=0"},
        {"E:\\", "ntfs", "", FALSE, FALSE, "success", FORMAT_SUCCEEDED,
         "FormatEx(E:\\, 0, ntfs, , 0, 0) answers=1,1,1,1 slip=0"},
    };
    for (const auto& c : cases) {
        SetEnvironmentVariableA("FMIFS_FIXTURE_MODE", c.mode);
        EXPECT_EQ(FormatVolume(nullptr, c.root, c.fileSystem, c.label, c.quick, c.force), c.status)
            << c.call;
        std::string lines, line;
        for (std::ifstream in(log); std::getline(in, line);)
            lines += line + "\n";
        EXPECT_EQ(lines, std::string(c.call) + "\n");
        DeleteFileA(log);
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
