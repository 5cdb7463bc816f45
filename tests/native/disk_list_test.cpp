// The USB disk list: which disks are offered, how they read, and what the
// selection, the Start button and the label box do across Refresh.
#include "disk_fixture.h"

#include "app/disk_list.h"
#include "app/ui.h"
#include "res/resource.h"

namespace {

const std::uint64_t kStick = 64ull << 20;

// A stick the list offers.
int Add(const std::string& name)
{
    return winsim::AddDisk({true, name, "USBSTOR\\" + name, true, 512, kStick});
}

// FAT partitions of 40000 sectors in the slots, with their labels, each
// lettered unless its letter is 0.
void Partitions(int disk, std::vector<std::tuple<int, const char*, char>> slots)
{
    std::vector<std::array<std::uint32_t, 5>> entries;
    for (auto [slot, label, letter] : slots)
        entries.push_back({(std::uint32_t)slot, 63 + 40000u * slot, 40000, 6, 0});
    tests::WriteTable(disk, entries);
    std::string error;
    for (auto [slot, label, letter] : slots) {
        ASSERT_TRUE(winsim::FormatPartition(disk, slot + 1, "fat", label, error)) << error;
        if (letter)
            ASSERT_TRUE(winsim::MountVolume(disk, slot + 1, letter));
    }
}

std::string Label(HWND dialog)
{
    return winsim::Text(winsim::DialogItem(dialog, IDC_LABEL));
}

// The items with their drive numbers and, unless itemsOnly, the selection as
// the program reads it, Start and the label box.
std::string State(HWND dialog, bool itemsOnly = false)
{
    HWND list = winsim::DialogItem(dialog, IDC_DISK_LIST);
    std::vector<LPARAM> data = winsim::ComboItemData(list);
    std::string s;
    for (std::size_t i = 0; i < data.size(); i++)
        s += winsim::ComboItems(list)[i] + " #" + std::to_string(data[i]) + "; ";
    if (itemsOnly)
        return s;
    const char* name = GetSelectedDiskName();
    return s + "selected " + std::to_string(winsim::ComboSelection(list)) + " #" +
           std::to_string(GetSelectedDiskIndex()) + " " + (name ? name : "(none)") +
           (winsim::Enabled(winsim::DialogItem(dialog, IDOK)) ? ", Start" : ", no Start") +
           ", label " + Label(dialog);
}

void Refresh(HWND dialog)
{
    winsim::UserClick(winsim::DialogItem(dialog, IDC_REFRESH));
}

} // namespace

// Removable USB storage with 512-byte sectors only; sorted, each item with
// its drive number, its size in whole decimal megabytes and its first letter.
TEST(DiskList, OffersRemovableUsbDisksWithTheirSizesAndFirstLetters)
{
    tests::ProgramRun run;
    // Named?, name, instance, removable?, bytes per sector, size
    const winsim::DiskSetup disks[] = {
        {true, "Fixed", "USBSTOR\\Fixed", false, 512, kStick},
        {true, "Sectors2k", "USBSTOR\\Sectors2k", true, 2048, kStick},
        {true, "Kingston DataTraveler", "USBSTOR\\Kingston", true, 512, kStick},
        {true, "Sectors4k", "USBSTOR\\Sectors4k", true, 4096, kStick},
        {true, "Firewire", "SBP2\\Disk&Ven_Test\\1", true, 512, kStick},
        {true, "LowerCase", "usbstor\\Disk&Ven_Test\\1", true, 512, kStick},
        {false, "", "USBSTOR\\Unnamed", true, 512, kStick},
        {true, "Generic Flash Disk", "USBSTOR\\Generic", true, 512, kStick},
        {true, "A", "USBSTOR\\A", true, 512, 1999999},
        {true, "B", "USBSTOR\\B", true, 512, 999999},
        {true, "C", "USBSTOR\\C", true, 512, 1023999999},
    };
    int last = 0;
    for (const winsim::DiskSetup& d : disks)
        last = winsim::AddDisk(d);
    Partitions(last, {{0, "FIRST", 0}, {1, "SECOND", 'F'}});
    run.Then([](HWND dialog) {
        EXPECT_EQ(State(dialog), "A 1Mb #8; B 0Mb #9; C 1023Mb [F:\\] #10; Generic Flash Disk 67Mb "
                                 "#7; Kingston DataTraveler 67Mb #2; selected 0 #8 A 1Mb, Start, "
                                 "label ");
    });
    EXPECT_EQ(run.Run(), 0);
}

// Refresh, not a choice in the list, fills the label box from the selected
// disk's first lettered volume, keeping the selected position while it lasts.
TEST(DiskList, RefreshRebuildsTheListAndFillsTheLabel)
{
    tests::ProgramRun run;
    int first = Add("A"), second = Add("B");
    Partitions(first, {{0, "NOLETTER", 0}});
    Partitions(second, {{0, "BRAVO CHARL", 'G'}});
    run.Then([](HWND dialog) {
        EXPECT_EQ(Label(dialog), "");
        winsim::UserType(winsim::DialogItem(dialog, IDC_LABEL), "MINE");
        winsim::UserSelect(winsim::DialogItem(dialog, IDC_DISK_LIST), 1);
        EXPECT_EQ(Label(dialog), "MINE");
        Refresh(dialog);
        EXPECT_EQ(State(dialog),
                  "A 67Mb #0; B 67Mb [G:\\] #1; selected 1 #1 B 67Mb [G:\\], Start, label BRAVO CHARL");
        // A volume that does not answer leaves the box empty. Refresh asks it
        // twice while querying the disks; the third question fills the box.
        winsim::AddFault({"GetVolumeInformationA", "", "", 3, 21, false});
        Refresh(dialog);
        EXPECT_EQ(Label(dialog), "");
        // The selected disk unplugged: nothing selected, yet Start enabled.
        winsim::UnplugDisk(1);
        Refresh(dialog);
        EXPECT_EQ(State(dialog), "A 67Mb #0; selected -1 #-1 (none), Start, label ");
        winsim::UnplugDisk(0);
        Refresh(dialog);
        EXPECT_EQ(State(dialog), "    No USB Disks Found! #-1; selected 0 #-1     No USB Disks "
                                 "Found!, no Start, label ");
    });
    EXPECT_EQ(run.Run(), 0);
}

// A disk takes the lowest drive number free when it arrives and keeps it;
// the Disk service list keeps only the order of arrival. Each item's name
// and size are those of the one disk its number opens, as two sticks and a
// card reader's four slots come and go.
TEST(DiskList, EachItemNamesTheDiskItsNumberOpens)
{
    tests::ProgramRun run;
    auto plug = [](std::string name, int megabytes) {
        winsim::AddDisk({true, name, "USBSTOR\\" + name, true, 512, megabytes * 1000000ull});
    };
    auto reader = [&] { for (int slot = 0; slot < 4; slot++) plug("Card" + std::to_string(slot), 30 + slot); };
    plug("A", 10), plug("B", 20);
    run.Then([&](HWND dialog) {
        auto listed = [&] { return Refresh(dialog), State(dialog, true); };
        winsim::UnplugDisk(0);
        EXPECT_EQ(listed(), "B 20Mb #1; ");
        plug("A", 10); // back at 0, after B in the Disk service list
        EXPECT_EQ(listed(), "A 10Mb #0; B 20Mb #1; ");
        reader(); // 2 to 5; then all but B pulled, the reader plugged back before A
        for (int gone : {0, 2, 3, 4, 5})
            winsim::UnplugDisk(gone);
        reader(), plug("A", 10);
        EXPECT_EQ(listed(), "A 10Mb #5; B 20Mb #1; Card0 30Mb #0; Card1 31Mb #2; Card2 32Mb #3; Card3 33Mb #4; ");
    });
    EXPECT_EQ(run.Run(), 0);
}

// More USB disks than the list can tell apart: it offers the first 32, and
// Start on any of them still finds out whether its number opens that disk.
TEST(DiskList, OffersNoMoreDisksThanItRemembers)
{
    tests::ProgramRun run;
    for (int i = 0; i < 40; i++)
        winsim::AddDisk({true, "S" + std::to_string(10 + i), "USBSTOR\\" + std::to_string(i), true, 512, kStick});
    run.Answer(IDYES);
    run.Then([](HWND dialog) {
        EXPECT_EQ(winsim::ComboItems(winsim::DialogItem(dialog, IDC_DISK_LIST)).size(), 32u);
        for (int n = 0; n < 40; n++) {
            DiskInfo info;
            ASSERT_TRUE(QueryDiskInfo(n, &info));
            EXPECT_EQ(IsListedDisk(n, &info), n < 32) << n;
            info.instanceId[8] = 'x'; // one of the same size and name, another serial number
            EXPECT_EQ(IsListedDisk(n, &info), 0) << n;
        }
        // The last one offered pulled, and such a twin given its number.
        winsim::UnplugDisk(31);
        winsim::AddDisk({true, "S41", "USBSTOR\\x", true, 512, kStick});
        winsim::UserSelect(winsim::DialogItem(dialog, IDC_DISK_LIST), 31);
        winsim::UserClick(winsim::DialogItem(dialog, IDOK));
    });
    EXPECT_EQ(run.Run(), 0);
    EXPECT_EQ(run.boxes.back().text, "Failed To Query Disk!");
    EXPECT_TRUE(winsim::DeviceWrites().empty());
}

// The name buffer holds 499 characters and the terminator.
TEST(DiskList, SelectedNameIsRefusedRatherThanOverrun)
{
    tests::ProgramRun run;
    run.Then([](HWND dialog) {
        HWND list = winsim::DialogItem(dialog, IDC_DISK_LIST);
        for (std::size_t length : {499, 500}) {
            std::string name(length, 'x');
            winsim::DeliverMessage(list, CB_RESETCONTENT, 0, 0);
            winsim::DeliverMessage(list, CB_ADDSTRING, 0, (LPARAM)name.c_str());
            winsim::DeliverMessage(list, CB_SETCURSEL, 0, 0);
            const char* read = GetSelectedDiskName();
            EXPECT_EQ(read ? read : "(refused)", length < 500 ? name : "(refused)");
        }
    });
    EXPECT_EQ(run.Run(), 0);
}
