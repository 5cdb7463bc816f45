// The DOS files under Wine: the fixture diskcopy.dll in the prefix's system
// directory, Wine's C: drive (a host folder) as the target volume.
#include "bootdisk/dos_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A host path as Wine's Z: drive shows it.
std::string OnZ(const char* hostPath)
{
    std::string path = "Z:";
    for (const char* p = hostPath; *p; p++)
        path += *p == '/' ? '\\' : *p;
    return path;
}

std::vector<unsigned char> ReadAll(const std::string& path)
{
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                              NULL);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    unsigned char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, NULL) && read > 0)
        bytes.insert(bytes.end(), buffer, buffer + read);
    CloseHandle(file);
    return bytes;
}

} // namespace

TEST(DosFilesUnderWine, CopiesAndPatchesTheFixtureFiles)
{
    EXPECT_EQ(ExtractDosFiles('5'), EXTRACT_BAD_LETTER);
    ASSERT_EQ(ExtractDosFiles('c'), EXTRACT_SUCCEEDED);
    const std::pair<const char*, const char*> files[] = {
        {"C:\\IO.SYS", FIXTURE_IO_SYS}, {"C:\\MSDOS.SYS", FIXTURE_MSDOS_SYS},
        {"C:\\COMMAND.COM", FIXTURE_COMMAND_COM}};
    for (const auto& [target, fixture] : files)
        EXPECT_EQ(ReadAll(target), ReadAll(OnZ(fixture))) << target;
    ASSERT_EQ(PatchDosFiles('c'), 1);
    std::vector<unsigned char> io = ReadAll(OnZ(FIXTURE_IO_SYS));
    std::vector<unsigned char> command = ReadAll(OnZ(FIXTURE_COMMAND_COM));
    ASSERT_GT(io.size(), 938u);
    ASSERT_GT(command.size(), 25872u);
    io[938] = 0xEB;
    command[25872] = 0xEB;
    EXPECT_EQ(ReadAll("C:\\IO.SYS"), io);
    EXPECT_EQ(ReadAll("C:\\COMMAND.COM"), command);
    EXPECT_EQ(ReadAll("C:\\MSDOS.SYS"), ReadAll(OnZ(FIXTURE_MSDOS_SYS)));
}

TEST(DosFilesWithoutLibrary, GivesMinusTwo)
{
    EXPECT_EQ(ExtractDosFiles('C'), EXTRACT_NO_LIBRARY);
}
