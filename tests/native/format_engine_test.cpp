// The format engine against the simulated format library: its checks in
// order, what FormatEx receives, the outcomes and their texts, and a real
// FAT volume at the end.
#include "disk_fixture.h"

#include "volume/format.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

class FormatEngine : public testing::Test {
protected:
    void SetUp() override
    {
        tests::FreshMachine();
        stick = tests::AddStick(64ull << 20);
        tests::AddLetteredPartition(stick, 63, 131009, 'E');
    }
    void TearDown() override { EXPECT_EQ(winsim::OpenHandleCount(), 0); }

    FormatStatus Format(const char* root, const char* fs = "fat", const char* label = "X",
                        BOOL quick = TRUE, BOOL force = FALSE)
    {
        return FormatVolume(NULL, root, fs, label, quick, force);
    }
    int stick = 0;
};

} // namespace

TEST_F(FormatEngine, ChecksItsParametersInOrderBeforeTouchingAnything)
{
    std::string root260 = "E:\\" + std::string(257, 'a');
    std::string root261 = root260 + "a";
    EXPECT_EQ(Format(nullptr), FORMAT_BAD_ROOT);
    EXPECT_EQ(Format(""), FORMAT_BAD_ROOT);
    EXPECT_EQ(Format("1:\\"), FORMAT_BAD_ROOT);
    EXPECT_EQ(Format(root261.c_str()), FORMAT_BAD_ROOT);
    EXPECT_EQ(Format("Q:\\"), FORMAT_NO_SUCH_DRIVE);
    EXPECT_EQ(Format(root260.c_str(), nullptr), FORMAT_BAD_FILE_SYSTEM); // 260 passes
    for (const char* name : {"", "fat16", "exfat", "fat32x"})
        EXPECT_EQ(Format("E:\\", name), FORMAT_BAD_FILE_SYSTEM) << name;
    EXPECT_EQ(Format("E:\\", "fat", "TWELVECHARSS"), FORMAT_BAD_LABEL);
    // Every character FAT keeps out of a label, and control characters.
    for (char refused : std::string("*?/\\|.,;:+=[]<>\"\x01\t\x1f\x7f")) {
        char label[] = {'D', 'O', 'S', refused, 'B', 0};
        EXPECT_EQ(Format("E:\\", "fat", label), FORMAT_BAD_LABEL) << (int)refused;
        EXPECT_EQ(CheckVolumeLabel(label), FORMAT_BAD_LABEL) << (int)refused;
    }
    EXPECT_EQ(winsim::CallCount("EnterCriticalSection"), 0);
    EXPECT_EQ(winsim::CallCount("CreateFileA"), 0);
    EXPECT_TRUE(winsim::FormatCalls().empty());
}

TEST_F(FormatEngine, HandsFormatExTheRootLetterAsGivenAndItsOtherArguments)
{
    EXPECT_EQ(Format("e:\\", "FAT", "ELEVENCHARS", FALSE), FORMAT_SUCCEEDED);
    EXPECT_EQ(Format("E", "Fat32", nullptr), FORMAT_SUCCEEDED);
    EXPECT_EQ(Format("E:\\anything", "fat", ""), FORMAT_SUCCEEDED);
    EXPECT_EQ(Format("E:\\", "NTFS"), FORMAT_FAILED); // accepted; the machine has no NTFS
    const auto& calls = winsim::FormatCalls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].root, "e:\\");
    EXPECT_EQ(calls[0].fileSystem, "FAT");
    EXPECT_EQ(calls[0].label, "ELEVENCHARS");
    EXPECT_FALSE(calls[0].quick);
    EXPECT_EQ(calls[0].mediaType, 0u);
    EXPECT_EQ(calls[0].clusterSize, 0u);
    EXPECT_EQ(calls[1].root, "E:\\");
    EXPECT_EQ(calls[1].label, "");
    EXPECT_TRUE(calls[1].quick);
    EXPECT_EQ(calls[2].root, "E:\\");
    EXPECT_EQ(calls[3].fileSystem, "NTFS");
}

TEST_F(FormatEngine, OpenLockAndDismountFailuresStopTheFormat)
{
    winsim::AddFault({"CreateFileA", "", "\\\\.\\E:", 1, 32, false});
    EXPECT_EQ(Format("E:\\"), FORMAT_OPEN_FAILED);
    EXPECT_EQ(winsim::CallCount("DeviceIoControl"), 0);

    winsim::AddFault({"DeviceIoControl", "FSCTL_LOCK_VOLUME", "", 1, 5, false});
    EXPECT_EQ(Format("E:\\"), FORMAT_LOCK_FAILED);
    EXPECT_EQ(winsim::CallCount("DeviceIoControl"), 1); // no dismount after it

    winsim::AddFault({"DeviceIoControl", "FSCTL_DISMOUNT_VOLUME", "", 1, 5, false});
    EXPECT_EQ(Format("E:\\", "fat", "X", TRUE, TRUE), FORMAT_DISMOUNT_FAILED);
    EXPECT_EQ(winsim::CallCount("DeviceIoControl"), 2); // forced: no lock was asked for
    EXPECT_TRUE(winsim::FormatCalls().empty());

    // Another user of the volume holds off the lock, but not a forced format.
    HANDLE other = OpenVolumeDevice('E', 1);
    EXPECT_EQ(Format("E:\\"), FORMAT_LOCK_FAILED);
    CloseHandle(other);
    EXPECT_EQ(winsim::CallCount("EnterCriticalSection"), winsim::CallCount("LeaveCriticalSection"));
}

TEST_F(FormatEngine, CompletionReportsDecideTheOutcome)
{
    winsim::SetFormatLibrary("fails");
    EXPECT_EQ(Format("E:\\"), FORMAT_FAILED);
    winsim::SetFormatLibrary("silent");
    EXPECT_EQ(Format("E:\\"), FORMAT_NOT_REPORTED);
    winsim::SetFormatLibrary("present");
    EXPECT_EQ(Format("E:\\"), FORMAT_SUCCEEDED);
}

TEST_F(FormatEngine, ProgressGoesToTheWindowWhichMayCancel)
{
    tests::ProgramRun run;
    int stickOnRun = tests::AddStick(64ull << 20);
    tests::AddLetteredPartition(stickOnRun, 63, 131009, 'E');
    std::vector<DWORD> seen;
    run.Then([&seen](HWND dialog) {
        EXPECT_EQ(FormatVolume(dialog, "E:\\", "fat", "", FALSE, FALSE), FORMAT_SUCCEEDED);
        // A receiver that clears the continue flag at 30% cancels.
        winsim::SetMessageHook([&seen](HWND, UINT message, WPARAM percent, LPARAM flag, LRESULT&) {
            if (message == WM_FORMAT_PROGRESS) {
                EXPECT_EQ(*(BYTE*)flag, TRUE);
                seen.push_back((DWORD)percent);
                if (percent == 30)
                    *(BYTE*)flag = 0;
            }
            return false;
        });
        EXPECT_EQ(FormatVolume(dialog, "E:\\", "fat", "", FALSE, FALSE), FORMAT_CANCELLED);
        winsim::SetMessageHook(nullptr);
        // The next format that fails is a failure, not another cancel.
        winsim::SetFormatLibrary("fails");
        EXPECT_EQ(FormatVolume(dialog, "E:\\", "fat", "", FALSE, FALSE), FORMAT_FAILED);
        winsim::SetFormatLibrary("present");
        // Without a window nothing is sent and every report is answered yes.
        int sent = winsim::CallCount("SendMessageA");
        EXPECT_EQ(FormatVolume(NULL, "E:\\", "fat", "", FALSE, FALSE), FORMAT_SUCCEEDED);
        EXPECT_EQ(winsim::CallCount("SendMessageA"), sent);
    });
    run.Run();
    EXPECT_EQ(seen, (std::vector<DWORD>{0, 10, 20, 30}));
    std::vector<std::string> status = run.StatusTexts();
    ASSERT_GE(status.size(), 11u);
    EXPECT_EQ(status[0], "Formating...(0%)");
    EXPECT_EQ(status[10], "Formating...(100%)");
}

TEST(FormatStatusText, EveryValueHasItsText)
{
    const char* texts[] = {"Format Completed Successfully",
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
                           "FormatEx Error[12]: Unknow Error."};
    for (int status = 0; status <= 12; status++)
        EXPECT_STREQ(FormatStatusText(status), texts[status]);
    EXPECT_STREQ(FormatStatusText(-1), "FormatEx Error[-1]: Unknow Error.");
}

TEST(FormatEngineVolume, LeavesACleanFat16VolumeOneTrackIn)
{
    tests::FreshMachine();
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("tarnwick-format-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    winsim::DiskSetup setup;
    setup.instanceId = "USBSTOR\\Disk&Ven_Test\\1";
    setup.size = 64ull << 20;
    setup.imagePath = (dir / "stick.img").string();
    int disk = winsim::AddDisk(setup);
    tests::AddLetteredPartition(disk, 63, 131009, 'E');
    ASSERT_EQ(FormatVolume(NULL, "E:\\", "fat", "dos boot", TRUE, FALSE), FORMAT_SUCCEEDED);

    std::vector<unsigned char> partition = winsim::ReadDisk(disk, 63 * 512, 131009ull * 512);
    std::ofstream((dir / "part.img").string(), std::ios::binary)
        .write((const char*)partition.data(), (std::streamsize)partition.size());
    std::string fsck = "fsck.fat -n '" + (dir / "part.img").string() + "' >'" +
                       (dir / "fsck.log").string() + "' 2>&1";
    EXPECT_EQ(std::system(fsck.c_str()), 0) << std::ifstream(dir / "fsck.log").rdbuf();
    EXPECT_EQ(partition[28] | partition[29] << 8 | partition[30] << 16, 63); // hidden sectors
    EXPECT_EQ(std::string((const char*)&partition[54], 8), "FAT16   ");
    EXPECT_EQ(partition[13], 2); // 1 KiB clusters below 64 MiB
    EXPECT_EQ(partition[36], 0x00); // the BIOS drive Windows gives removable media
    char label[12];
    ASSERT_TRUE(GetVolumeInformationA("E:\\", label, sizeof label, NULL, NULL, NULL, NULL, 0));
    EXPECT_STREQ(label, "DOS BOOT");
    fs::remove_all(dir);
}
