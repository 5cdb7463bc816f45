// Loading the format library, in a process of its own: once FormatEx has
// been found the library stays loaded, so these cases run first and alone.
#include "disk_fixture.h"

#include "volume/format.h"

#include <gtest/gtest.h>

TEST(FormatLibrary, IsTriedUntilFoundOnlyInTheSystemDirectoryWithAllItBringsThenKept)
{
    tests::FreshMachine();
    winsim::SetFormatLibrary("absent");
    EXPECT_EQ(FormatVolume(NULL, nullptr, nullptr, nullptr, FALSE, FALSE), FORMAT_LIBRARY_MISSING);
    EXPECT_EQ(FormatVolume(NULL, "E:\\", "fat", "", FALSE, FALSE), FORMAT_LIBRARY_MISSING);
    EXPECT_EQ(winsim::CallCount("LoadLibraryExA"), 2);
    EXPECT_EQ(winsim::CallCount("GetLogicalDriveStringsA"), 0); // no parameter looked at
    winsim::SetFormatLibrary("no-formatex");
    EXPECT_EQ(FormatVolume(NULL, "E:\\", "fat", "", FALSE, FALSE), FORMAT_ENTRY_MISSING);
    EXPECT_TRUE(winsim::LoadedModules().empty());
    EXPECT_EQ(winsim::CallCount("FreeLibrary"), 1);

    // Windows looks beside the program first for a bare name and, unless the
    // search is altered, for what a library imports: fmifs.dll imports
    // ulib.dll and ifsutil.dll and loads ufat.dll by name to format FAT.
    tests::FreshMachine();
    winsim::SetFormatLibrary("present");
    for (const char* name : {"fmifs.dll", "ulib.dll", "ifsutil.dll", "ufat.dll"})
        winsim::PlantProgramFolderLibrary(name);
    FreeLibrary(LoadLibraryA("fmifs.dll"));
    ASSERT_EQ(winsim::PlantedLibraryLoads(), 1);
    // No system directory, no library: nothing is loaded by name instead.
    winsim::AddFault({"GetSystemDirectoryA", "", "", 1, 31, false});
    EXPECT_EQ(FormatVolume(NULL, "E:\\", "fat", "", FALSE, FALSE), FORMAT_LIBRARY_MISSING);
    EXPECT_EQ(winsim::CallCount("LoadLibraryExA"), 0);
    tests::AddLetteredPartition(tests::AddStick(16 << 20), 63, 30000, 'E');
    for (int format = 0; format < 2; format++)
        EXPECT_EQ(FormatVolume(NULL, "E:\\", "fat", "", TRUE, FALSE), FORMAT_SUCCEEDED);
    EXPECT_EQ(winsim::PlantedLibraryLoads(), 1);
    EXPECT_EQ(winsim::CallCount("InitializeCriticalSection"), 1);
    // The FAT library went with each format; the format library stays.
    EXPECT_EQ(winsim::LoadedModules(), (std::vector<std::string>{"fmifs.dll", "ulib.dll", "ifsutil.dll"}));
}
