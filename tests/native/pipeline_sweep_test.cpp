// The whole Start run once per platform call it makes, that call failing
// (and, for transfers, falling one sector short) each time. The table says
// for every call what the user must see: the one box the run stops with (a
// failed MBR write alone goes on, without claiming success), a question that
// ends the run unseen, or success. Every run ends with nothing leaked and
// protected disks untouched; one stopped while checking has written nothing.
#include "pipeline_fixture.h"

#include "res/resource.h"

#include <map>
#include <set>

namespace {

// The box a failing call leads to, by letter; '.': the run goes on to
// success, 'N': it ends at the question, unseen.
const std::map<char, std::string> kBoxes = {
    {'Q', "Failed To Query Disk!"}, {'O', "Failed To Open The Disk!"},
    {'L', "Failed To Lock Disk!"}, {'G', "Failed To Get Disk Layout!"},
    {'S', "Failed To Set Drive Layout!"}, {'R', "Failed To Read MBR!"},
    {'W', "Failed To Write MBR!"}, {'E', "Failed To ReQuery Disk Info!"},
    {'I', "Failed To Set Drive ID!"}, {'C', "Error Writing FAT Code!"},
    {'X', "Enable LBA: An Error occurred when trying to set LBA mode (FAT16X)."},
    {'D', "Error Occurred Extracting/Copying DOS Files"},
    {'P', "Failed To Set Dos File Attributes!"},
    {'4', "FormatEx Error[4]: Drive Does Not Exist."},
    {'7', "FormatEx Error[7]: Failed To Dismount Drive."},
    {'8', "FormatEx Error[8]: The drive is locked by another process."},
    {'9', "FormatEx Error[9]: Another process has open file(s) on this drive."},
    {'B', "FormatEx Error[11]: An Error Occurred Formating the Drive."}};
const char kCompleted[] = "Operation Completed Successfully!";
const char kConfirm[] = "You are about to repartition and format a disk.\n\nDisk: Generic Flash Disk "
                        "USB Device 67Mb [E:\\]\n\nAll existing volumes and data on that disk will "
                        "be lost.\n\nAre You Sure You Want To Continue?";

// By the status line at the call ("" before the first; one ending in "("
// stands for every text it begins): for each function, one letter per call of
// it in that stage, exactly as many as the run makes; other functions take the
// stage's default. Showing a text, repainting, looking at other volumes or
// releasing a key or block never stops a run.
struct Stage {
    const char* status;
    char byDefault;
    std::map<std::string, std::string> calls;
};

const Stage kStages[] = {
    // A list read back wrong names drive 0, the system disk: refused.
    {"", '.', {{"GetDlgItem", ".Q."}, {"SendMessageA", "...Q..."}, {"MessageBoxA", "N"}}},
    // Only the stick's own answers count. A handle left open keeps the disk
    // from being locked.
    {"Checking Disk...", 'Q',
     {{"CreateFileA", ".QQQ.."}, {"DeviceIoControl", ".QQQ.."}, {"ReadFile", "Q"},
      {"RegOpenKeyExA", "Q.QQQ.."}, {"RegQueryValueExA", "Q.QQ.."}, {"CloseHandle", ".LLL.."},
      {"GetDlgItemTextA", "."}, {"GetSystemDirectoryA", "D"}, {"LoadLibraryExA", "D"},
      {"FindResourceA", "D"}, {"LoadResource", "D"}, {"LockResource", "D"},
      {"SizeofResource", "D"}, {"FreeResource", "."}, {"FreeLibrary", "."}}},
    // Open, lock, layout, the MBR read and written, the partition's first
    // sector cleared (its result unused), then the disk queried again.
    {"Partitioning Disk...", 'E',
     {{"CreateFileA", "ORW..EEE.."}, {"DeviceIoControl", "LGS.EEE.."}, {"ReadFile", "RE"},
      {"WriteFile", "W."}, {"SetFilePointer", "."}, {"CloseHandle", "R........9"},
      {"RegOpenKeyExA", "E.EEE.."}, {"RegQueryValueExA", "E.EE.."}, {"IsDlgButtonChecked", ".."}}},
    {"Formating Drive...D:\\", '.',
     {{"GetLogicalDriveStringsA", "4"}, {"MultiByteToWideChar", "BB."}, {"CreateFileA", "8"},
      {"DeviceIoControl", "97"}, {"CloseHandle", "B"}, {"FormatEx", "B"}}},
    // After the last report: the drive number, then the type set again.
    {"Formating...(100%)", '.',
     {{"CreateFileA", "IIXX"}, {"SetFilePointer", "II"}, {"ReadFile", "IX"}, {"WriteFile", "IX"}}},
    {"Formating...(", '.', {}},
    // The boot sector goes to the disk with its write: its close loses nothing.
    {"Writing FAT Sector Code...", 'C',
     {{"CreateFileA", "C"}, {"ReadFile", "C"}, {"SetFilePointer", "C"}, {"WriteFile", "C"},
      {"CloseHandle", "."}}},
    // A file whose close fails has not reached the stick whole: its write
    // failed.
    {"Extracting and Copying DOS Files...", 'D',
     {{"CreateFileA", "DDD"}, {"WriteFile", "DDD"}, {"CloseHandle", "DDD"}, {"GlobalFree", "..."},
      {"FreeResource", "."}, {"FreeLibrary", "."}}},
    {"Setting File Attributes...", 'P',
     {{"CreateFileA", "PP"}, {"WriteFile", "PP"}, {"CloseHandle", "PP"}}},
    {"Operation Completed Successfully", '.', {{"MessageBoxA", "."}}},
};
const std::set<std::string> kHarmless = {"SetDlgItemTextA", "UpdateWindow", "GetLogicalDrives",
                                         "GetVolumeInformationA", "RegCloseKey", "GlobalUnlock"};

// The letter for the nth call (from 0) of function within stage; '+' for a
// call the table does not know.
char Expected(const std::string& stage, const std::string& function, std::size_t nth)
{
    if (kHarmless.count(function))
        return '.';
    for (const auto& s : kStages) {
        std::string status = s.status;
        if (!status.empty() && status.back() == '(' ? stage.rfind(status, 0) != 0 : stage != status)
            continue;
        auto found = s.calls.find(function);
        if (found == s.calls.end())
            return s.byDefault;
        return nth < found->second.size() ? found->second[nth] : '+';
    }
    return '?';
}

struct Outcome {
    int errors = 0;
    bool completed = false, wrote = false;
    std::string firstError, last, afterBox; // the last status shown; the last after the first box
};

// One run with Quick Format and Enable LBA ticked, the fault counting calls
// from the press of Start on; stages gets the status line at each call from there.
Outcome RunOnce(const winsim::Fault* fault, std::vector<std::string>* stages = nullptr)
{
    tests::ProgramRun run;
    // Without the floppy and CD letters, whose volumes each run would read too.
    tests::json job = tests::StickJob();
    job.erase("letters");
    tests::BuildMachine(job);
    std::size_t startedAt = 0;
    run.Answer(IDYES);
    run.Then([&](HWND dialog) {
        winsim::UserClick(winsim::DialogItem(dialog, IDC_ENABLE_LBA));
        winsim::UserClick(winsim::DialogItem(dialog, IDC_QUICK_FORMAT));
        startedAt = winsim::CallLog().size();
        if (fault)
            winsim::AddFault(*fault);
        winsim::UserClick(winsim::DialogItem(dialog, IDOK));
    });
    run.Run();
    Outcome o;
    for (const auto& e : run.events) {
        if (e.kind == "box" && e.value == (MB_ICONERROR | MB_OK) && o.errors++ == 0)
            o.firstError = e.text;
        o.completed |= e.kind == "box" && e.text == kCompleted;
        if (e.kind != "text" || e.id != IDC_STATUS || e.text.empty())
            continue;
        if (stages)
            stages->resize(std::max((std::size_t)e.value, startedAt) - startedAt, o.last);
        o.last = e.text;
        o.afterBox = o.errors ? e.text : "";
    }
    if (stages)
        stages->resize(winsim::CallLog().size() - startedAt, o.last);
    // Every box with its exact title, text and icon.
    for (const auto& box : run.boxes) {
        bool error = box.caption == "Tarnwick Error!", done = box.text == kCompleted;
        EXPECT_EQ(box.type, (UINT)(error  ? MB_ICONERROR | MB_OK
                                   : done ? MB_ICONINFORMATION | MB_OK
                                          : MB_ICONWARNING | MB_YESNO)) << box.text;
        if (!error)
            EXPECT_EQ(box.caption, "Tarnwick");
        if (!error && !done)
            EXPECT_EQ(box.text, kConfirm);
    }
    o.wrote = !winsim::DeviceWrites().empty() || !winsim::FormatCalls().empty();
    // A release that itself fails leaves its object behind; nothing else may.
    std::string failing = fault ? fault->call : "";
    EXPECT_TRUE(winsim::OpenHandleCount() == 0 || failing == "CloseHandle" || failing == "RegCloseKey");
    EXPECT_TRUE(winsim::MemoryBlockCount() == 0 || failing == "GlobalFree");
    EXPECT_EQ(winsim::LoadedResourceCount(), 0);
    return o;
}

} // namespace

TEST(PipelineSweep, EveryFailingCallShowsItsOwnBoxAndStopsThere)
{
    // The format library, once loaded, stays for the process: a first run
    // loads it, so that every later run makes the same calls.
    RunOnce(nullptr);
    std::vector<std::string> stages;
    Outcome clean = RunOnce(nullptr, &stages);
    ASSERT_TRUE(clean.completed && clean.errors == 0);
    // Quick Format ticked, Force Volume Dismount not; over a cleared first sector.
    ASSERT_EQ(winsim::FormatCalls().size(), 1u);
    EXPECT_TRUE(winsim::FormatCalls()[0].quick && winsim::FormatCalls()[0].blankBootSector);
    std::vector<std::string> calls(winsim::CallLog().end() - (long)stages.size(), winsim::CallLog().end());
    // Every call the table names is made: a step left out fails here.
    std::map<std::pair<std::string, std::string>, std::size_t> seenInStage;
    std::vector<char> wants;
    for (std::size_t i = 0; i < calls.size(); i++)
        wants.push_back(Expected(stages[i], calls[i], seenInStage[{stages[i], calls[i]}]++));
    for (const auto& s : kStages)
        for (const auto& [name, letters] : s.calls)
            EXPECT_EQ((seenInStage[{s.status, name}]), letters.size()) << name << " in \"" << s.status << "\"";
    // One wrong row is enough: the sweep stops there, so a broken build fails soon.
    std::map<std::string, int> seen;
    for (std::size_t i = 0; i < calls.size() && !HasFailure(); i++) {
        const std::string &name = calls[i], &stage = stages[i];
        int nth = ++seen[name];
        char want = wants[i];
        if (name == "EndDialog") // the Escape that closes the dialog afterwards
            continue;
        for (bool shortTransfer : {false, true}) {
            if (shortTransfer && name != "ReadFile" && name != "WriteFile")
                continue;
            SCOPED_TRACE(name + " #" + std::to_string(nth) + (shortTransfer ? " short" : "") +
                         " in \"" + stage + "\"");
            winsim::Fault fault{name, "", "", nth, 31, shortTransfer};
            Outcome o = RunOnce(&fault);
            // The completion box comes unless it is the call that fails.
            EXPECT_EQ(o.completed, want == '.' && name != "MessageBoxA");
            if (want == '.' || want == 'N') {
                EXPECT_EQ(o.errors, 0);
                EXPECT_EQ(o.last == "Operation Completed Successfully" || name == "SetDlgItemTextA",
                          want == '.');
                EXPECT_FALSE(want == 'N' && o.wrote);
            } else {
                // One box, and the run stops there; a failed MBR write alone
                // goes on to its end, without claiming success.
                EXPECT_EQ(o.firstError, kBoxes.count(want) ? kBoxes.at(want) : "(no such call)");
                EXPECT_EQ(o.errors, 1);
                EXPECT_EQ(o.afterBox, want == 'W' ? "Setting File Attributes..." : "");
                EXPECT_FALSE(stage == "Checking Disk..." && o.wrote);
            }
        }
    }
}
