// Loading the format library, in a process of its own: once FormatEx has
// been found the library stays loaded, so these cases run first and alone.
#include "program_run.h"

#include "volume/format.h"

#include <gtest/gtest.h>

TEST(FormatLibrary, AMissingLibraryOrEntryIsToldAndTriedAgainEachTime)
{
    tests::FreshMachine();
    winsim::SetFormatLibrary("absent");
    EXPECT_EQ(FormatVolume(NULL, nullptr, nullptr, nullptr, FALSE, FALSE), FORMAT_LIBRARY_MISSING);
    EXPECT_EQ(FormatVolume(NULL, "E:\\", "fat", "", FALSE, FALSE), FORMAT_LIBRARY_MISSING);
    EXPECT_EQ(winsim::CallCount("LoadLibraryA"), 2);
    EXPECT_EQ(winsim::CallCount("GetLogicalDriveStringsA"), 0); // no parameter looked at
    winsim::SetFormatLibrary("no-formatex");
    EXPECT_EQ(FormatVolume(NULL, "E:\\", "fat", "", FALSE, FALSE), FORMAT_ENTRY_MISSING);
    EXPECT_TRUE(winsim::LoadedModules().empty());
    EXPECT_EQ(winsim::CallCount("FreeLibrary"), 1);
}

TEST(FormatLibrary, OnlyTheSystemDirectorysIsLoadedAndThenKept)
{
    tests::FreshMachine();
    // A file of the name beside the program: Windows finds it first by name.
    winsim::PlantProgramFolderLibrary("fmifs.dll");
    FreeLibrary(LoadLibraryA("fmifs.dll"));
    ASSERT_EQ(winsim::PlantedLibraryLoads(), 1);
    // No system directory, no library: nothing is loaded by name instead.
    winsim::AddFault({"GetSystemDirectoryA", "", "", 1, 31, false});
    EXPECT_EQ(FormatVolume(NULL, "E:\\", "fat", "", FALSE, FALSE), FORMAT_LIBRARY_MISSING);
    EXPECT_EQ(winsim::CallCount("LoadLibraryA"), 1);
    EXPECT_EQ(LoadFormatLibrary(), 1);
    EXPECT_EQ(LoadFormatLibrary(), 1);
    EXPECT_EQ(winsim::CallCount("LoadLibraryA"), 2);
    EXPECT_EQ(winsim::PlantedLibraryLoads(), 1);
    EXPECT_EQ(winsim::CallCount("InitializeCriticalSection"), 1);
    EXPECT_EQ(winsim::LoadedModules(), std::vector<std::string>{"fmifs.dll"});
}
