// The format engine when fmifs.dll is missing or has no FormatEx. Each suite
// runs in a process of its own (see CMakeLists.txt): the engine keeps a
// library it has loaded for the life of the process.
#include "fmifs_fixture.h"

#include "volume/format.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(FormatLibraryMissing, EveryCallFailsWithOneUntilTheLibraryAppears)
{
    ASSERT_EQ(GetModuleHandleA("fmifs.dll"), nullptr);
    // No argument is looked at: with the library these would give 3 and 4.
    EXPECT_EQ(FormatVolume(nullptr, nullptr, nullptr, nullptr, FALSE, FALSE),
              FORMAT_LIBRARY_MISSING);
    EXPECT_EQ(FormatVolume(nullptr, "Q:\\", "fat", nullptr, FALSE, FALSE), FORMAT_LIBRARY_MISSING);
    EXPECT_EQ(LoadFormatLibrary(), 0);

    // Installed while the program runs, the library is found by the next call.
    const char* fixtureFolder = std::getenv("FMIFS_FIXTURE_DIR");
    ASSERT_NE(fixtureFolder, nullptr) << "FMIFS_FIXTURE_DIR is not set";
    char systemFolder[MAX_PATH] = "";
    GetSystemDirectoryA(systemFolder, sizeof systemFolder);
    std::string from = WindowsPathOf(fixtureFolder) + "\\fmifs.dll";
    std::string to = std::string(systemFolder) + "\\fmifs.dll";
    ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), TRUE)) << from << ", error " << GetLastError();
    EXPECT_EQ(FormatVolume(nullptr, "Q:\\", "fat", nullptr, FALSE, FALSE), FORMAT_NO_SUCH_DRIVE);
    EXPECT_NE(GetModuleHandleA("fmifs.dll"), nullptr);
}

TEST(FormatEntryMissing, FailsWithTwoAndLetsTheLibraryGo)
{
    for (int call = 1; call <= 2; call++) {
        SCOPED_TRACE("call " + std::to_string(call));
        EXPECT_EQ(FormatVolume(nullptr, nullptr, nullptr, nullptr, FALSE, FALSE),
                  FORMAT_ENTRY_MISSING);
        EXPECT_EQ(GetModuleHandleA("fmifs.dll"), nullptr) << "fmifs.dll stayed loaded";
    }
    EXPECT_EQ(LoadFormatLibrary(), 0);
}

} // namespace
