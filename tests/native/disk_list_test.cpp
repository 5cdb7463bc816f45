// The USB disk list: which disks are offered, how they read, and what the
// selection, the Start button and the label box do across Refresh.
#include "disk_fixture.h"

#include "app/disk_list.h"
#include "app/ui.h"
#include "res/resource.h"

namespace {

struct Stick {
    std::string name = "Stick";
    std::string id; // empty: one made from the name
    bool removable = true;
    int bytesPerSector = 512;
    std::uint64_t size = 64ull << 20;
    bool named = true;
};

int Add(const Stick& s)
{
    winsim::DiskSetup setup;
    setup.friendlyName = s.name;
    setup.hasFriendlyName = s.named;
    setup.instanceId = s.id.empty() ? "USBSTOR\\Disk&Ven_Test&Prod_" + s.name + "\\1" : s.id;
    setup.removable = s.removable;
    setup.bytesPerSector = s.bytesPerSector;
    setup.size = s.size;
    return winsim::AddDisk(setup);
}

void Partition(int disk, int slot, const char* label, char letter)
{
    std::vector<unsigned char> mbr = winsim::ReadDisk(disk, 0, 512);
    unsigned char* e = &mbr[446 + 16 * slot];
    std::uint32_t start = 63 + 40000u * (std::uint32_t)slot, count = 40000;
    e[4] = 6;
    for (int i = 0; i < 4; i++) {
        e[8 + i] = (unsigned char)(start >> (8 * i));
        e[12 + i] = (unsigned char)(count >> (8 * i));
    }
    mbr[510] = 0x55;
    mbr[511] = 0xAA;
    winsim::WriteDisk(disk, 0, mbr);
    winsim::RescanPartitions(disk);
    std::string error;
    ASSERT_TRUE(winsim::FormatPartition(disk, slot + 1, "fat", label, error)) << error;
    if (letter)
        ASSERT_TRUE(winsim::MountVolume(disk, slot + 1, letter));
}

struct ListState {
    std::vector<std::string> items;
    std::vector<LPARAM> data;
    int selected;
    bool start;
    std::string label;
};

ListState State(HWND dialog)
{
    HWND list = winsim::DialogItem(dialog, IDC_DISK_LIST);
    return {winsim::ComboItems(list), winsim::ComboItemData(list), winsim::ComboSelection(list),
            winsim::Enabled(winsim::DialogItem(dialog, IDOK)),
            winsim::Text(winsim::DialogItem(dialog, IDC_LABEL))};
}

} // namespace

TEST(DiskList, OffersOnlyRemovableUsbDisksWithSmallSectors)
{
    tests::ProgramRun run;
    Stick fixedUsb, bigSectors, hugeSectors, otherBus, lowerCase, unnamed, good, other;
    fixedUsb.removable = false;
    bigSectors.bytesPerSector = 2048;
    hugeSectors.bytesPerSector = 4096;
    otherBus.id = "SBP2\\Disk&Ven_Test\\1";
    lowerCase.id = "usbstor\\Disk&Ven_Test\\1";
    unnamed.named = false;
    unnamed.id = "USBSTOR\\Unnamed";
    good.name = "Kingston DataTraveler";
    good.id = "USBSTOR\\Kingston";
    other.name = "Generic Flash Disk";
    other.id = "USBSTOR\\Generic";
    for (Stick* s : {&fixedUsb, &bigSectors, &good, &hugeSectors, &otherBus, &lowerCase, &unnamed,
                     &other})
        Add(*s);
    run.Then([](HWND dialog) {
        ListState s = State(dialog);
        // Sorted by text, each item carrying its drive number.
        EXPECT_EQ(s.items, (std::vector<std::string>{"Generic Flash Disk 67Mb",
                                                     "Kingston DataTraveler 67Mb"}));
        EXPECT_EQ(s.data, (std::vector<LPARAM>{7, 2}));
        EXPECT_EQ(s.selected, 0);
        EXPECT_TRUE(s.start);
        EXPECT_EQ(GetSelectedDiskIndex(), 7);
        EXPECT_STREQ(GetSelectedDiskName(), "Generic Flash Disk 67Mb");
    });
    EXPECT_EQ(run.Run(), 0);
}

TEST(DiskList, SizesInWholeDecimalMegabytesAndTheFirstLetter)
{
    tests::ProgramRun run;
    Stick almostTwo, underOne, big;
    almostTwo.name = "A";
    almostTwo.size = 1999999;
    underOne.name = "B";
    underOne.size = 999999;
    big.name = "C";
    big.size = 1023999999;
    Add(almostTwo);
    Add(underOne);
    int lettered = Add(big);
    Partition(lettered, 0, "FIRST", 0);     // no letter
    Partition(lettered, 1, "SECOND", 'F');
    run.Then([](HWND dialog) {
        EXPECT_EQ(State(dialog).items,
                  (std::vector<std::string>{"A 1Mb", "B 0Mb", "C 1023Mb [F:\\]"}));
    });
    run.Run();
}

TEST(DiskList, PlaceholderWhenNothingQualifies)
{
    tests::ProgramRun run;
    Stick fixed;
    fixed.removable = false;
    Add(fixed);
    run.Then([](HWND dialog) {
        ListState s = State(dialog);
        EXPECT_EQ(s.items, std::vector<std::string>{"    No USB Disks Found!"});
        EXPECT_EQ(s.data, std::vector<LPARAM>{-1});
        EXPECT_EQ(s.selected, 0);
        EXPECT_FALSE(s.start);
        EXPECT_EQ(s.label, "");
        EXPECT_EQ(GetSelectedDiskIndex(), -1);
        EXPECT_STREQ(GetSelectedDiskName(), "    No USB Disks Found!");
    });
    run.Run();
}

TEST(DiskList, LabelComesFromTheSelectedDisksFirstLetteredVolume)
{
    tests::ProgramRun run;
    Stick a, b;
    a.name = "A";
    b.name = "B";
    int first = Add(a), second = Add(b);
    Partition(first, 0, "NOLETTER", 0);
    Partition(second, 0, "BRAVO", 'G');
    run.Then([](HWND dialog) {
        EXPECT_EQ(State(dialog).label, ""); // "A" is selected and has no letter
        winsim::UserSelect(winsim::DialogItem(dialog, IDC_DISK_LIST), 1);
        EXPECT_EQ(State(dialog).label, ""); // choosing does not refill the box
        winsim::UserClick(winsim::DialogItem(dialog, IDC_REFRESH));
        EXPECT_EQ(State(dialog).selected, 1); // the position is kept
        EXPECT_EQ(State(dialog).label, "BRAVO");
        // A volume that does not answer leaves the box empty. Refresh asks it
        // twice while querying the disks; the third question fills the box.
        winsim::AddFault({"GetVolumeInformationA", "", "", 3, 21, false});
        winsim::UserClick(winsim::DialogItem(dialog, IDC_REFRESH));
        EXPECT_EQ(State(dialog).label, "");
    });
    run.Run();
}

TEST(DiskList, UnpluggedSelectionLeavesNothingSelectedButStartEnabled)
{
    tests::ProgramRun run;
    Stick a, b;
    a.name = "A";
    b.name = "B";
    Add(a);
    int second = Add(b);
    Partition(second, 0, "BRAVO", 'F');
    run.Then([](HWND dialog) {
        winsim::UserSelect(winsim::DialogItem(dialog, IDC_DISK_LIST), 1);
        winsim::UnplugDisk(1);
        winsim::UserClick(winsim::DialogItem(dialog, IDC_REFRESH));
        ListState s = State(dialog);
        EXPECT_EQ(s.items, std::vector<std::string>{"A 67Mb"});
        EXPECT_EQ(s.selected, -1);
        EXPECT_TRUE(s.start);
        EXPECT_EQ(s.label, "");
        EXPECT_EQ(GetSelectedDiskIndex(), -1);
        EXPECT_EQ(GetSelectedDiskName(), nullptr);
    });
    run.Run();
}

TEST(DiskList, SelectedNameIsRefusedRatherThanOverrun)
{
    tests::ProgramRun run;
    run.Then([](HWND dialog) {
        HWND list = winsim::DialogItem(dialog, IDC_DISK_LIST);
        std::string long499(499, 'x'), long500(500, 'y');
        winsim::DeliverMessage(list, CB_RESETCONTENT, 0, 0);
        winsim::DeliverMessage(list, CB_ADDSTRING, 0, (LPARAM)long499.c_str());
        winsim::DeliverMessage(list, CB_ADDSTRING, 0, (LPARAM)long500.c_str());
        winsim::DeliverMessage(list, CB_SETCURSEL, 0, 0);
        EXPECT_EQ(GetSelectedDiskName(), long499);
        winsim::DeliverMessage(list, CB_SETCURSEL, 1, 0);
        EXPECT_EQ(GetSelectedDiskName(), nullptr);
    });
    run.Run();
}
