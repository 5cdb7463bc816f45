// The DOS system files: found in the floppy image of diskcopy.dll, written
// to the new volume, patched; every block, resource and library let go.
#include "disk_fixture.h"

#include "bootdisk/dos_files.h"

#include <cstring>

namespace {

const std::size_t kFloppySize = 1474560;

// A start-up floppy image built by hand, entry by entry.
struct Floppy {
    std::vector<unsigned char> bytes = std::vector<unsigned char>(kFloppySize, 0);

    void Add(int entry, const char* name, unsigned cluster, const std::vector<unsigned char>& data)
    {
        unsigned char* e = &bytes[FLOPPY_ROOT_OFFSET + 32 * entry];
        std::memcpy(e, name, 11);
        e[26] = (unsigned char)cluster;
        e[27] = (unsigned char)(cluster >> 8);
        for (int i = 0; i < 4; i++)
            e[28 + i] = (unsigned char)(data.size() >> (8 * i));
        if (!data.empty())
            std::memcpy(&bytes[FLOPPY_CLUSTER_BASE + cluster * 512], data.data(), data.size());
    }
};

std::vector<unsigned char> Pattern(std::size_t size, unsigned seed)
{
    std::vector<unsigned char> data(size);
    for (std::size_t i = 0; i < size; i++)
        data[i] = (unsigned char)(i * 7 + seed);
    return data;
}

class DosFiles : public testing::Test {
protected:
    void SetUp() override
    {
        tests::FreshMachine();
        int disk = tests::AddStick(64ull << 20);
        tests::AddLetteredPartition(disk, 63, 131009, 'E');
        std::string error;
        ASSERT_TRUE(winsim::FormatPartition(disk, 1, "fat", "", error)) << error;
        io = Pattern(3000, 1);
        msdos = Pattern(9, 2);
        command = Pattern(30000, 3);
        floppy.Add(0, "IO      SYS", 2, io);
        floppy.Add(1, "MSDOS   SYS", 8, msdos);
        floppy.Add(2, "COMMAND COM", 9, command);
    }
    void TearDown() override
    {
        EXPECT_EQ(winsim::OpenHandleCount(), 0);
        EXPECT_EQ(winsim::MemoryBlockCount(), 0);
        EXPECT_EQ(winsim::LoadedResourceCount(), 0);
        EXPECT_TRUE(winsim::LoadedModules().empty());
    }
    void Serve(const std::vector<unsigned char>& image, const char* type = "BINFILE", int id = 1)
    {
        winsim::Resource r;
        r.typeName = type;
        r.nameId = id;
        r.language = 1033;
        r.data = image;
        winsim::SetSystemLibraryResources("diskcopy.dll", {r});
    }
    std::vector<unsigned char> OnVolume(const char* name)
    {
        std::vector<unsigned char> bytes;
        present = winsim::ReadVolumeFile('E', name, bytes);
        return bytes;
    }
    Floppy floppy;
    std::vector<unsigned char> io, msdos, command;
    bool present = false;
};

} // namespace

TEST_F(DosFiles, CopiesThePatchedSystemFiles)
{
    Serve(floppy.bytes);
    ASSERT_EQ(CheckDosFiles(), EXTRACT_SUCCEEDED); // which writes nothing
    OnVolume("IO.SYS");
    EXPECT_FALSE(present);
    for (int run = 0; run < 2; run++) { // a second run replaces the files
        ASSERT_EQ(ExtractDosFiles('e'), EXTRACT_SUCCEEDED);
        EXPECT_EQ(OnVolume("IO.SYS"), io);
        EXPECT_EQ(OnVolume("MSDOS.SYS"), msdos);
        EXPECT_EQ(OnVolume("COMMAND.COM"), command);
        ASSERT_EQ(PatchDosFiles('e'), 1);
    }
    std::vector<unsigned char> patchedIo = io, patchedCommand = command;
    patchedIo[938] = 0xEB;
    patchedCommand[25872] = 0xEB;
    EXPECT_EQ(OnVolume("IO.SYS"), patchedIo);
    EXPECT_EQ(OnVolume("COMMAND.COM"), patchedCommand);
}

TEST_F(DosFiles, NamesMatchInAnyCaseAndAfterTheEndOfTheDirectory)
{
    Floppy odd;
    odd.Add(3, "io      sys", 2, io);
    odd.Add(7, "MsDos   Sys", 8, msdos);
    odd.bytes[FLOPPY_ROOT_OFFSET + 32 * 100] = 0; // an end-of-directory entry, then more
    odd.Add(150, "COMMAND COM", 9, command);
    Serve(odd.bytes);
    EXPECT_EQ(ExtractDosFiles('E'), EXTRACT_SUCCEEDED);
    EXPECT_EQ(OnVolume("COMMAND.COM"), command);
}

TEST_F(DosFiles, AMissingFileWritesNothingAtAll)
{
    Floppy noCommand, emptyEntry, noCluster, pastTheEnd;
    for (Floppy* f : {&noCommand, &emptyEntry, &noCluster, &pastTheEnd}) {
        f->Add(0, "IO      SYS", 2, io);
        f->Add(1, "MSDOS   SYS", 8, msdos);
    }
    emptyEntry.Add(2, "COMMAND COM", 9, {});
    noCluster.Add(2, "COMMAND COM", 9, command);
    noCluster.bytes[FLOPPY_ROOT_OFFSET + 64 + 26] = 0;
    noCluster.bytes[FLOPPY_ROOT_OFFSET + 64 + 27] = 0;
    pastTheEnd.Add(2, "COMMAND COM", 9, command);
    pastTheEnd.bytes.resize(FLOPPY_CLUSTER_BASE + 9 * 512 + command.size() - 1); // one byte short
    std::vector<unsigned char> tiny(FLOPPY_ROOT_END - 1, 0);
    for (const auto* image : {&noCommand.bytes, &emptyEntry.bytes, &noCluster.bytes,
                              &pastTheEnd.bytes, &tiny}) {
        Serve(*image);
        EXPECT_EQ(CheckDosFiles(), EXTRACT_FILE_MISSING);
        EXPECT_EQ(ExtractDosFiles('E'), EXTRACT_FILE_MISSING);
        OnVolume("IO.SYS");
        EXPECT_FALSE(present);
    }
}

TEST_F(DosFiles, EachLoadingStepHasItsOwnResult)
{
    EXPECT_EQ(ExtractDosFiles('5'), EXTRACT_BAD_LETTER);
    EXPECT_EQ(winsim::CallCount("LoadLibraryA"), 0);
    EXPECT_EQ(ExtractDosFiles('E'), EXTRACT_NO_LIBRARY); // no diskcopy.dll at all
    EXPECT_EQ(CheckDosFiles(), EXTRACT_NO_LIBRARY);
    Serve(floppy.bytes);
    winsim::AddFault({"GetSystemDirectoryA", "", "", 1, 31, false});
    EXPECT_EQ(ExtractDosFiles('E'), EXTRACT_NO_LIBRARY);
    EXPECT_EQ(winsim::CallCount("LoadLibraryA"), 2);
    Serve(floppy.bytes, "BINFILE", 2);
    EXPECT_EQ(ExtractDosFiles('E'), EXTRACT_NO_RESOURCE);
    EXPECT_EQ(CheckDosFiles(), EXTRACT_NO_RESOURCE);
    Serve(floppy.bytes);
    winsim::AddFault({"LoadResource", "", "", 1, 31, false});
    EXPECT_EQ(ExtractDosFiles('E'), EXTRACT_LOAD_FAILED);
    winsim::AddFault({"LockResource", "", "", 1, 31, false});
    EXPECT_EQ(ExtractDosFiles('E'), EXTRACT_FILE_MISSING);
    winsim::AddFault({"GlobalAlloc", "", "", 2, 8, false});
    EXPECT_EQ(ExtractDosFiles('E'), EXTRACT_FILE_MISSING);
    winsim::AddFault({"GlobalLock", "", "", 3, 8, false});
    EXPECT_EQ(ExtractDosFiles('E'), EXTRACT_FILE_MISSING);
}

TEST_F(DosFiles, AFailedWriteStopsTheRestAndKeepsWhatWasWritten)
{
    Serve(floppy.bytes);
    winsim::AddFault({"WriteFile", "", "", 2, 29, false});
    EXPECT_EQ(ExtractDosFiles('E'), EXTRACT_WRITE_FAILED);
    EXPECT_EQ(OnVolume("IO.SYS"), io);
    OnVolume("MSDOS.SYS");
    EXPECT_TRUE(present); // created before the write failed, empty
    OnVolume("COMMAND.COM");
    EXPECT_FALSE(present);
}

TEST_F(DosFiles, PatchingNeedsBothFilesAndNeverExtendsOne)
{
    EXPECT_EQ(PatchDosFiles('E'), 0); // no IO.SYS: nothing touched
    Floppy shortIo;
    shortIo.Add(0, "IO      SYS", 2, Pattern(938, 1)); // too short for its patch byte
    shortIo.Add(1, "MSDOS   SYS", 8, msdos);
    shortIo.Add(2, "COMMAND COM", 9, command);
    Serve(shortIo.bytes);
    ASSERT_EQ(ExtractDosFiles('E'), EXTRACT_SUCCEEDED);
    EXPECT_EQ(PatchDosFiles('E'), 0);
    EXPECT_EQ(OnVolume("IO.SYS").size(), 938u);
    EXPECT_EQ(OnVolume("COMMAND.COM"), command); // not reached
    // Without COMMAND.COM, IO.SYS is patched and the result is still 0.
    Serve(floppy.bytes);
    ASSERT_EQ(ExtractDosFiles('E'), EXTRACT_SUCCEEDED);
    winsim::AddFault({"CreateFileA", "", "E:\\COMMAND.COM", 1, 2, false});
    EXPECT_EQ(PatchDosFiles('E'), 0);
    EXPECT_EQ(OnVolume("IO.SYS")[938], 0xEB);
    EXPECT_EQ(OnVolume("COMMAND.COM"), command);
}
