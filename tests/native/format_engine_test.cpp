// The format engine against the simulated format library: its checks in
// order, the volume taken before FormatEx, progress and the outcomes.
#include "disk_fixture.h"

#include "volume/format.h"

namespace {

class FormatEngine : public testing::Test {
protected:
    void SetUp() override
    {
        tests::FreshMachine();
        tests::AddLetteredPartition(tests::AddStick(64ull << 20), 63, 131009, 'E');
    }
    void TearDown() override
    {
        EXPECT_EQ(winsim::OpenHandleCount(), 0);
        EXPECT_EQ(winsim::CallCount("EnterCriticalSection"),
                  winsim::CallCount("LeaveCriticalSection"));
    }
    static FormatStatus Format(const char* root, const char* fs = "fat", const char* label = "X",
                               BOOL force = FALSE)
    {
        return FormatVolume(NULL, root, fs, label, TRUE, force);
    }
};

} // namespace

TEST_F(FormatEngine, ChecksItsParametersInOrderBeforeTouchingAnything)
{
    const std::string root260 = "E:\\" + std::string(257, 'a'), root261 = root260 + "a";
    const struct {
        const char *root, *fs, *label;
        FormatStatus status;
    } cases[] = {
        {nullptr, nullptr, nullptr, FORMAT_BAD_ROOT},
        {"", "fat", "", FORMAT_BAD_ROOT},
        {"1:\\", "fat", "", FORMAT_BAD_ROOT},
        {root261.c_str(), "fat", "", FORMAT_BAD_ROOT},
        {"Q:\\", nullptr, nullptr, FORMAT_NO_SUCH_DRIVE},
        {root260.c_str(), nullptr, "", FORMAT_BAD_FILE_SYSTEM}, // 260 passes
        {"E:\\", "", "", FORMAT_BAD_FILE_SYSTEM},
        {"E:\\", "fat16", "", FORMAT_BAD_FILE_SYSTEM},
        {"E:\\", "fat32x", "", FORMAT_BAD_FILE_SYSTEM},
        {"E:\\", "fat", "TWELVECHARSS", FORMAT_BAD_LABEL},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Format(c.root, c.fs, c.label), c.status) << (c.root ? c.root : "null");
    // Every character FAT keeps out of a label, control characters, those
    // the OEM code page would have to hold, and a leading space.
    for (char refused : std::string("*?/\\|.,;:+=[]<>\"\x01\t\x1f\x7f\x80\xdc\xff")) {
        const char label[] = {'D', 'O', 'S', refused, 'B', 0};
        EXPECT_EQ(Format("E:\\", "fat", label), FORMAT_BAD_LABEL) << (int)refused;
    }
    EXPECT_EQ(Format("E:\\", "fat", " DOS"), FORMAT_BAD_LABEL);
    EXPECT_EQ(winsim::CallCount("CreateFileA"), 0);
    EXPECT_TRUE(winsim::FormatCalls().empty());
}

// The check the pipeline makes before writing and Windows' format agree:
// a label the one passes, the other formats, so no stick is wiped for it.
TEST_F(FormatEngine, EveryLabelTheCheckPassesFormats)
{
    for (int c = 1; c < 256; c++) {
        for (const std::string& label : {std::string(1, (char)c) + "X", "X " + std::string(1, (char)c)}) {
            if (CheckVolumeLabel(label.c_str()) == FORMAT_SUCCEEDED)
                EXPECT_EQ(Format("E:\\", "fat", label.c_str()), FORMAT_SUCCEEDED) << c;
            else
                EXPECT_EQ(Format("E:\\", "fat", label.c_str()), FORMAT_BAD_LABEL) << c;
        }
    }
}

TEST_F(FormatEngine, LocksUnlessForcedAndDismountsBeforeFormatEx)
{
    // Another user of the volume holds off the lock.
    HANDLE other = OpenVolumeDevice('E', 1);
    EXPECT_EQ(Format("E:\\"), FORMAT_LOCK_FAILED);
    CloseHandle(other);
    // Each fault fails its volume request; a forced format asks for no lock.
    const struct {
        const char* request;
        BOOL force;
        FormatStatus status;
    } cases[] = {
        {"FSCTL_LOCK_VOLUME", FALSE, FORMAT_LOCK_FAILED}, // and no dismount after it
        {"FSCTL_DISMOUNT_VOLUME", TRUE, FORMAT_DISMOUNT_FAILED},
        {"FSCTL_LOCK_VOLUME", TRUE, FORMAT_SUCCEEDED},
    };
    for (const auto& c : cases) {
        int before = winsim::CallCount("DeviceIoControl");
        winsim::AddFault({"DeviceIoControl", c.request, "", 1, 5, false});
        EXPECT_EQ(Format("E:\\", "fat", "X", c.force), c.status) << c.request << c.force;
        EXPECT_EQ(winsim::CallCount("DeviceIoControl") - before, 1) << c.request << c.force;
    }
    EXPECT_EQ(winsim::FormatCalls().size(), 1u); // only the last
}

TEST_F(FormatEngine, ProgressGoesToTheWindowAndEachFormatsReportsDecideItsResult)
{
    tests::ProgramRun run;
    const int disk = tests::AddStick(64ull << 20);
    tests::AddLetteredPartition(disk, 63, 131009, 'E');
    // In this order, so that no result can be one left over from before.
    const struct {
        const char* library;
        bool window;
        DWORD cancelAt;
        FormatStatus status;
        std::vector<DWORD> shown;
    } cases[] = {
        {"present", true, 30, FORMAT_CANCELLED, {0, 10, 20, 30}},
        {"fails", true, 999, FORMAT_FAILED, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
        {"silent", true, 999, FORMAT_NOT_REPORTED, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
        {"present", true, 999, FORMAT_SUCCEEDED, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
        {"present", false, 0, FORMAT_SUCCEEDED, {}}, // every report answered yes
    };
    run.Then([&cases](HWND dialog) {
        for (const auto& c : cases) {
            std::vector<DWORD> seen;
            winsim::SetMessageHook([&](HWND, UINT message, WPARAM percent, LPARAM flag, LRESULT&) {
                if (message != WM_FORMAT_PROGRESS)
                    return false;
                EXPECT_EQ(*(BYTE*)flag, TRUE) << "continue flag on arrival";
                seen.push_back((DWORD)percent);
                *(BYTE*)flag = percent != c.cancelAt;
                return true;
            });
            winsim::SetFormatLibrary(c.library);
            EXPECT_EQ(FormatVolume(c.window ? dialog : NULL, "E:\\", "fat", "dos boot", FALSE,
                                   FALSE), c.status) << c.library;
            EXPECT_EQ(seen, c.shown) << c.library;
        }
        winsim::SetMessageHook(nullptr);
    });
    run.Run();
    // What the simulated library leaves, as Windows XP's does.
    std::vector<unsigned char> boot = winsim::ReadDisk(disk, 63 * 512, 512);
    EXPECT_EQ(boot[28] | boot[29] << 8, 63);                            // hidden sectors
    EXPECT_EQ(std::string((const char*)&boot[54], 8), "FAT16   ");
    EXPECT_EQ(boot[13], 2);                                             // 1 KiB clusters
    EXPECT_EQ(boot[36], 0x00); // the BIOS drive Windows gives removable media
    EXPECT_EQ(std::string((const char*)&boot[43], 11), "DOS BOOT   ");
}

TEST(FormatStatusText, EveryValueHasItsText)
{
    // The texts of 4, 6, 7, 8, 9 and 11 are asserted in the boxes a run shows.
    const std::pair<int, const char*> texts[] = {
        {0, "Format Completed Successfully"},
        {1, "FormatEx Error[1]: Failed To Load fmifs.dll"},
        {2, "FormatEx Error[2]: Failed To Get Function Address"},
        {3, "FormatEx Error[3]: Supplied Drive Parameter Check Failed."},
        {5, "FormatEx Error[5]: Supplied Format Parameter Check Failed."},
        {10, "FormatEx Error[10]: User Aborted Format."},
        {12, "FormatEx Error[12]: Unknow Error."},
        {-1, "FormatEx Error[-1]: Unknow Error."}};
    for (const auto& [status, text] : texts)
        EXPECT_STREQ(FormatStatusText(status), text);
}
