// The DOS files under Wine: the fixture diskcopy.dll in the prefix's system
// directory, Wine's C: drive (a host folder) as the target volume.
#include "bootdisk/dos_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadAll(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(DosFilesUnderWine, CopiesAndPatchesTheFixtureFiles)
{
    ASSERT_EQ(ExtractDosFiles('c'), EXTRACT_SUCCEEDED);
    ASSERT_EQ(PatchDosFiles('c'), 1);
    const struct {
        const char *target, *fixture;
        std::size_t patchAt; // 0: none
    } files[] = {{"C:\\IO.SYS", FIXTURE_IO_SYS, 938},
                 {"C:\\MSDOS.SYS", FIXTURE_MSDOS_SYS, 0},
                 {"C:\\COMMAND.COM", FIXTURE_COMMAND_COM, 25872}};
    for (const auto& f : files) {
        std::string want = ReadAll(f.fixture);
        ASSERT_GT(want.size(), f.patchAt) << f.fixture;
        if (f.patchAt != 0)
            want[f.patchAt] = '\xEB';
        EXPECT_TRUE(ReadAll(f.target) == want) << f.target;
    }
}
