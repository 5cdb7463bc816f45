// The simulated USER32 where Windows' own rules matter to the program:
// sorted combo boxes, selections, edit limits, faults and resource files.
#include "program_run.h"

#include "res/resource.h"
#include "../../winsim/src/res_file.h"

#include <gtest/gtest.h>

namespace {

// Runs body in the open main dialog's disk list.
void InDiskList(const std::function<void(HWND)>& body)
{
    tests::ProgramRun run;
    run.Then([&body](HWND dialog) {
        HWND list = winsim::DialogItem(dialog, IDC_DISK_LIST);
        winsim::DeliverMessage(list, CB_RESETCONTENT, 0, 0);
        body(list);
    });
    run.Run();
}

LRESULT Add(HWND list, const char* text)
{
    return SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)text);
}

} // namespace

TEST(WinsimComboBox, SortsAsWindowsWordSortIgnoringCase)
{
    InDiskList([](HWND list) {
        for (const char* text : {"kingston 256Mb", "Generic 67Mb [E:\\]", "Generic 1000Mb",
                                 "Generic 67Mb", "co-op disk", "coop", "_stick", "9 disk"})
            Add(list, text);
        EXPECT_EQ(winsim::ComboItems(list),
                  (std::vector<std::string>{"_stick", "9 disk", "coop", "co-op disk",
                                            "Generic 1000Mb", "Generic 67Mb",
                                            "Generic 67Mb [E:\\]", "kingston 256Mb"}));
    });
}

TEST(WinsimComboBox, AddReportsThePositionAndTheSelectionFollowsItsItem)
{
    InDiskList([](HWND list) {
        EXPECT_EQ(Add(list, "B"), 0);
        EXPECT_EQ(SendMessageA(list, CB_SETCURSEL, 0, 0), 0);
        EXPECT_EQ(Add(list, "A"), 0);
        EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 1); // still "B"
        EXPECT_EQ(Add(list, "C"), 2);
        EXPECT_EQ(SendMessageA(list, CB_SETITEMDATA, 2, 7), TRUE);
        EXPECT_EQ(SendMessageA(list, CB_GETITEMDATA, 2, 0), 7);
        EXPECT_EQ(SendMessageA(list, CB_GETITEMDATA, 3, 0), CB_ERR);
        EXPECT_EQ(SendMessageA(list, CB_SETITEMDATA, 3, 7), CB_ERR);
        EXPECT_EQ(SendMessageA(list, CB_GETLBTEXTLEN, 1, 0), 1);
        EXPECT_EQ(SendMessageA(list, CB_GETLBTEXTLEN, 5, 0), CB_ERR);
        // Selecting past the end removes the selection.
        EXPECT_EQ(SendMessageA(list, CB_SETCURSEL, 3, 0), CB_ERR);
        EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), CB_ERR);
        SendMessageA(list, CB_SETCURSEL, 1, 0);
        SendMessageA(list, CB_RESETCONTENT, 0, 0);
        EXPECT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 0);
        EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), CB_ERR);
        EXPECT_FALSE(winsim::UserSelect(list, 0));
    });
}

TEST(WinsimEdit, TypingStopsAtTheLimitButSettingTheTextDoesNot)
{
    tests::ProgramRun run;
    run.Then([](HWND dialog) {
        HWND label = winsim::DialogItem(dialog, IDC_LABEL);
        SetDlgItemTextA(dialog, IDC_LABEL, "A TEXT LONGER THAN ELEVEN");
        EXPECT_EQ(winsim::Text(label), "A TEXT LONGER THAN ELEVEN");
        char small[5];
        EXPECT_EQ(GetDlgItemTextA(dialog, IDC_LABEL, small, sizeof small), 4u);
        EXPECT_STREQ(small, "A TE");
        winsim::UserType(label, "");
        EXPECT_EQ(winsim::Text(label), "");
        // A read-only box takes no typing.
        HWND status = winsim::DialogItem(dialog, IDC_STATUS);
        winsim::UserType(status, "typed");
        EXPECT_EQ(winsim::Text(status), "");
        // Nor does a disabled one.
        EnableWindow(label, FALSE);
        winsim::UserType(label, "X");
        EXPECT_EQ(winsim::Text(label), "");
    });
    run.Run();
}

TEST(WinsimFaults, TheNthMatchingCallFailsWithItsError)
{
    tests::ProgramRun run;
    run.Then([](HWND dialog) {
        // Calls count from the moment the fault is set.
        winsim::AddFault({"SetDlgItemTextA", "", "", 2, 1400, false});
        EXPECT_TRUE(SetDlgItemTextA(dialog, IDC_STATUS, "one"));
        SetLastError(0);
        EXPECT_FALSE(SetDlgItemTextA(dialog, IDC_STATUS, "two"));
        EXPECT_EQ(GetLastError(), 1400u);
        EXPECT_TRUE(SetDlgItemTextA(dialog, IDC_STATUS, "three"));
        EXPECT_EQ(winsim::Text(winsim::DialogItem(dialog, IDC_STATUS)), "three");
    });
    run.Run();
}

TEST(WinsimMemory, BlocksAreCountedUntilFreed)
{
    tests::FreshMachine();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 3);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(winsim::MemoryBlockCount(), 1);
    EXPECT_EQ(GlobalSize(block), 3u);
    auto* bytes = (unsigned char*)GlobalLock(block);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[0] | bytes[1] | bytes[2], 0);
    GlobalUnlock(block);
    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(winsim::MemoryBlockCount(), 0);
    EXPECT_EQ(GlobalFree(block), block); // already gone
    EXPECT_FALSE(CloseHandle((HANDLE)0x1234));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
}

TEST(WinsimResFile, RejectsTruncatedOrInconsistentFiles)
{
    std::vector<winsim::Resource> out;
    std::string error;
    // The empty leading entry alone is a valid, empty file.
    const unsigned char empty[32] = {0, 0, 0, 0, 32, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0};
    EXPECT_TRUE(winsim::ParseResFile(empty, sizeof empty, out, error));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(winsim::ParseResFile(empty, 20, out, error));
    unsigned char tooLong[32];
    std::copy(std::begin(empty), std::end(empty), tooLong);
    tooLong[0] = 0x40; // data beyond the end
    EXPECT_FALSE(winsim::ParseResFile(tooLong, sizeof tooLong, out, error));
    EXPECT_NE(error.find("past the end"), std::string::npos);
    unsigned char badHeader[32];
    std::copy(std::begin(empty), std::end(empty), badHeader);
    badHeader[4] = 8;
    EXPECT_FALSE(winsim::ParseResFile(badHeader, sizeof badHeader, out, error));
}
