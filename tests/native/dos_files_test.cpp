// The DOS system files: found in the floppy image of diskcopy.dll, written
// to the new volume, patched; every block, resource and library let go.
// What a whole run leaves on the stick, and the box each failed call gives,
// are proven end to end and by the fault sweep.
#include "disk_fixture.h"

#include "bootdisk/dos_files.h"

#include <cstring>
#include <optional>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Pattern(std::size_t size, unsigned seed)
{
    Bytes data(size);
    for (std::size_t i = 0; i < size; i++)
        data[i] = (unsigned char)(i * 7 + seed);
    return data;
}
const Bytes kIo = Pattern(3000, 1), kMsdos = Pattern(9, 2), kCommand = Pattern(30000, 3);

// A start-up floppy image built by hand, entry by entry; a file at cluster 0
// has no data.
struct Floppy {
    Bytes bytes = Bytes(1474560, 0);

    Floppy& Add(int entry, const char* name, unsigned cluster, const Bytes& data)
    {
        unsigned char* e = &bytes[FLOPPY_ROOT_OFFSET + 32 * entry];
        std::memcpy(e, name, 11);
        for (int i = 0; i < 2; i++)
            e[26 + i] = (unsigned char)(cluster >> (8 * i));
        for (int i = 0; i < 4; i++)
            e[28 + i] = (unsigned char)(data.size() >> (8 * i));
        if (cluster != 0 && !data.empty())
            std::memcpy(&bytes[FLOPPY_CLUSTER_BASE + cluster * 512], data.data(), data.size());
        return *this;
    }
    // The three files in entries 0 to 2, or only the first two.
    Floppy& Dos(bool withCommand = true, const Bytes& io = kIo)
    {
        Add(0, "IO      SYS", 2, io).Add(1, "MSDOS   SYS", 8, kMsdos);
        return withCommand ? Add(2, "COMMAND COM", 9, kCommand) : *this;
    }
};

class DosFiles : public testing::Test {
protected:
    void SetUp() override
    {
        tests::FreshMachine();
        int disk = tests::AddStick(64ull << 20);
        tests::AddLetteredPartition(disk, 63, 131009, 'E');
        std::string error;
        ASSERT_TRUE(winsim::FormatPartition(disk, 1, "fat", "", error)) << error;
    }
    void TearDown() override
    {
        EXPECT_EQ(winsim::OpenHandleCount(), 0);
        EXPECT_EQ(winsim::MemoryBlockCount(), 0);
        EXPECT_EQ(winsim::LoadedResourceCount(), 0);
        EXPECT_TRUE(winsim::LoadedModules().empty());
    }
    static void Serve(const Bytes& image, const char* type = "BINFILE", int id = 1)
    {
        winsim::SetSystemLibraryResources("diskcopy.dll", {{0, type, id, "", 1033, image}});
    }
    static std::optional<Bytes> OnVolume(const char* name)
    {
        Bytes bytes;
        return winsim::ReadVolumeFile('E', name, bytes) ? std::optional<Bytes>(bytes) : std::nullopt;
    }
};

} // namespace

TEST_F(DosFiles, FindsTheFilesByNameInAnyCaseAnywhereInTheDirectory)
{
    Floppy odd; // IO.SYS after one of another extension, COMMAND.COM in the last entry
    odd.Add(1, "IO      SYX", 70, kMsdos).Add(3, "io      sys", 2, kIo).Add(7, "MsDos   Sys", 8, kMsdos);
    odd.bytes[FLOPPY_ROOT_OFFSET + 32 * 100] = 0; // an end-of-directory entry, then more
    Serve(odd.Add(FLOPPY_ROOT_ENTRIES - 1, "COMMAND COM", 9, kCommand).bytes);
    DWORD sizes[DOS_FILE_COUNT];
    ASSERT_EQ(CheckDosFiles(sizes), EXTRACT_SUCCEEDED);
    EXPECT_EQ(std::vector<DWORD>(sizes, sizes + DOS_FILE_COUNT),
              (std::vector<DWORD>{(DWORD)kIo.size(), (DWORD)kMsdos.size(), (DWORD)kCommand.size()}));
    EXPECT_EQ(OnVolume("IO.SYS"), std::nullopt); // checking writes nothing
    for (int run = 0; run < 2; run++) { // a second run replaces the files
        ASSERT_EQ(ExtractDosFiles('e'), EXTRACT_SUCCEEDED);
        EXPECT_EQ(OnVolume("IO.SYS"), kIo);
        EXPECT_EQ(OnVolume("MSDOS.SYS"), kMsdos);
        EXPECT_EQ(OnVolume("COMMAND.COM"), kCommand);
    }
    EXPECT_TRUE(winsim::LibrariesRun().empty()); // read as data: none of its code runs
}

TEST_F(DosFiles, AMissingFileWritesNothingAtAll)
{
    Floppy pastTheEnd;
    pastTheEnd.Dos().bytes.resize(FLOPPY_CLUSTER_BASE + 9 * 512 + kCommand.size() - 1);
    const Bytes images[] = {
        Floppy().Dos(false).bytes,
        Floppy().Dos(false).Add(2, "COMMAND COM", 9, {}).bytes,       // empty
        Floppy().Dos(false).Add(2, "COMMAND COM", 0, kCommand).bytes, // no cluster
        pastTheEnd.bytes,                                             // one byte short
        Bytes(FLOPPY_ROOT_END - 1, 0),
    };
    for (const Bytes& image : images) {
        Serve(image);
        DWORD sizes[DOS_FILE_COUNT];
        EXPECT_EQ(CheckDosFiles(sizes), EXTRACT_FILE_MISSING) << image.size();
        EXPECT_EQ(ExtractDosFiles('E'), EXTRACT_FILE_MISSING) << image.size();
        EXPECT_EQ(OnVolume("IO.SYS"), std::nullopt);
    }
}

TEST_F(DosFiles, EachLoadingStepHasItsOwnResult)
{
    EXPECT_EQ(ExtractDosFiles('5'), EXTRACT_BAD_LETTER);
    EXPECT_EQ(ExtractDosFiles('E'), EXTRACT_NO_LIBRARY); // no diskcopy.dll at all
    const Bytes floppy = Floppy().Dos().bytes;
    Serve(floppy, "BINFILE", 2);
    EXPECT_EQ(ExtractDosFiles('E'), EXTRACT_NO_RESOURCE);
    Serve(floppy);
    const struct {
        const char* call;
        ExtractStatus status;
    } faults[] = {{"GetSystemDirectoryA", EXTRACT_NO_LIBRARY},
                  {"LoadResource", EXTRACT_LOAD_FAILED},
                  {"LockResource", EXTRACT_FILE_MISSING}};
    for (const auto& f : faults) {
        winsim::AddFault({f.call, "", "", 1, 8, false});
        EXPECT_EQ(ExtractDosFiles('E'), f.status) << f.call;
    }
    EXPECT_EQ(OnVolume("IO.SYS"), std::nullopt);
}

TEST_F(DosFiles, PatchingNeverExtendsAFile)
{
    EXPECT_EQ(PatchDosFiles('E'), 0); // no IO.SYS: nothing touched
    Serve(Floppy().Dos(true, Pattern(938, 1)).bytes); // too short for its patch byte
    ASSERT_EQ(ExtractDosFiles('E'), EXTRACT_SUCCEEDED);
    EXPECT_EQ(PatchDosFiles('E'), 0);
    EXPECT_EQ(OnVolume("IO.SYS"), Pattern(938, 1));
    EXPECT_EQ(OnVolume("COMMAND.COM"), kCommand); // not reached
}
