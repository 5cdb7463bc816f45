// The whole Start run once per platform call it makes, that call failing
// (and, for transfers, falling one sector short) each time. The table says,
// for every such call, what the user must see: the one box the run stops
// with, the failed MBR write that lets it go on without claiming success, a
// question that ends the run unseen, or a run that goes on to success. Every
// run ends with nothing leaked and protected disks untouched; one stopped
// while checking has written nothing.
#include "pipeline_fixture.h"

#include <map>

namespace {

// What a failing call leads to, by letter.
const std::map<char, std::string> kBoxes = {
    {'Q', "Failed To Query Disk!"},
    {'O', "Failed To Open The Disk!"},
    {'L', "Failed To Lock Disk!"},
    {'G', "Failed To Get Disk Layout!"},
    {'S', "Failed To Set Drive Layout!"},
    {'R', "Failed To Read MBR!"},
    {'W', "Failed To Write MBR!"}, // shown, and the run goes on to its end
    {'E', "Failed To ReQuery Disk Info!"},
    {'I', "Failed To Set Drive ID!"},
    {'X', "Enable LBA: An Error occurred when trying to set LBA mode (FAT16X)."},
    {'C', "Error Writing FAT Code!"},
    {'D', "Error Occurred Extracting/Copying DOS Files"},
    {'P', "Failed To Set Dos File Attributes!"},
    {'4', "FormatEx Error[4]: Drive Does Not Exist."},
    {'7', "FormatEx Error[7]: Failed To Dismount Drive."},
    {'8', "FormatEx Error[8]: The drive is locked by another process."},
    {'9', "FormatEx Error[9]: Another process has open file(s) on this drive."},
    {'B', "FormatEx Error[11]: An Error Occurred Formating the Drive."},
};
// '.': the run goes on to success; 'N': it ends at the question, unseen.
// The format library is loaded once for the process, so its own failures
// are proven in a process of their own, not here.

// By the status line in effect when the call is made ("" before the first;
// a status ending in "(" stands for every text it begins): for each
// function, one letter per call of it in that stage, in order, exactly as
// many as the run makes (a trailing '*' repeats the letter before it for
// any number of further calls); a function not named takes the stage's
// default. Showing a text or repainting never stops a run.
struct Stage {
    const char* status;
    char byDefault;
    std::map<std::string, std::string> calls;
};

const Stage kStages[] = {
    // A list read back wrong names drive 0, the system disk: refused.
    {"", '.', {{"GetDlgItem", ".Q."}, {"SendMessageA", "...Q..."}, {"MessageBoxA", "N"}}},
    // Only the stick's own answers count; its volumes and the floppy test
    // may fail. A handle left open keeps the disk from being locked.
    {"Checking Disk...", 'Q',
     {{"CreateFileA", "QQ.."}, {"DeviceIoControl", "QQ.."}, {"ReadFile", "Q"},
      {"RegOpenKeyExA", "QQQQ.."}, {"RegQueryValueExA", "QQQ.."}, {"CloseHandle", "LL.."},
      {"RegCloseKey", ".*"}, {"GetLogicalDrives", ".*"}, {"GetVolumeInformationA", ".*"},
      {"GetDlgItemTextA", "."}, {"GetSystemDirectoryA", "D"}, {"LoadLibraryA", "D"},
      {"FindResourceA", "D"}, {"LoadResource", "D"}, {"LockResource", "D"},
      {"SizeofResource", "D"}, {"FreeResource", "."}, {"FreeLibrary", "."},
      {"SetDlgItemTextA", ".*"}, {"UpdateWindow", ".*"}}},
    // Open, lock, layout, the MBR read and written, the partition's first
    // sector cleared (its result unused), then the disk queried again.
    {"Partitioning Disk...", 'E',
     {{"CreateFileA", "ORW.EE.."}, {"DeviceIoControl", "LGSEE.."}, {"ReadFile", "RE"},
      {"WriteFile", "W."}, {"SetFilePointer", "."}, {"CloseHandle", "R......9"},
      {"RegOpenKeyExA", "EEEE.."}, {"RegQueryValueExA", "EEE.."}, {"RegCloseKey", ".*"},
      {"GetLogicalDrives", ".*"}, {"GetVolumeInformationA", ".*"},
      {"IsDlgButtonChecked", ".."}, {"SetDlgItemTextA", ".*"}, {"UpdateWindow", ".*"}}},
    {"Formating Drive...D:\\", '.',
     {{"GetLogicalDriveStringsA", "4"}, {"MultiByteToWideChar", "BB."}, {"CreateFileA", "8"},
      {"DeviceIoControl", "97"}, {"CloseHandle", "B"}, {"FormatEx", "B"}}},
    // After the last report: the drive number, then the type set again.
    {"Formating...(100%)", '.',
     {{"CreateFileA", "IIXX"}, {"SetFilePointer", "II"}, {"ReadFile", "IX"},
      {"WriteFile", "IX"}}},
    {"Formating...(", '.', {}},
    {"Writing FAT Sector Code...", 'C',
     {{"CreateFileA", "C"}, {"ReadFile", "C"}, {"SetFilePointer", "C"}, {"WriteFile", "C"},
      {"CloseHandle", "."}, {"SetDlgItemTextA", ".*"}, {"UpdateWindow", ".*"}}},
    // A file left open cannot be patched.
    {"Extracting and Copying DOS Files...", 'D',
     {{"CreateFileA", "DDD"}, {"WriteFile", "DDD"}, {"CloseHandle", "P.P"},
      {"GlobalUnlock", ".*"}, {"GlobalFree", "..."}, {"FreeResource", "."},
      {"FreeLibrary", "."}, {"SetDlgItemTextA", ".*"}, {"UpdateWindow", ".*"}}},
    {"Setting File Attributes...", 'P',
     {{"CreateFileA", "PP"}, {"WriteFile", "PP"}, {"CloseHandle", ".."},
      {"SetDlgItemTextA", ".*"}, {"UpdateWindow", ".*"}}},
    {"Operation Completed Successfully", '.', {{"MessageBoxA", "."}}},
};

struct Outcome {
    std::vector<std::string> errors;
    bool completed = false;      // the completion box
    bool reportedSuccess = false; // the status line's last word
    bool reachedLastStage = false;
    bool wentOnAfterBox = false; // a stage began after the first error box
    bool wroteAnything = false;
    std::vector<winsim::FormatCall> formats;
    std::vector<std::string> stages;  // the clean run's status line by call
};

Outcome RunOnce(const winsim::Fault* fault, std::vector<std::string>* calls)
{
    tests::ProgramRun run;
    tests::AddMachine({});
    std::size_t startedAt = 0;
    // The fault counts calls from the press of Start on.
    tests::PressStart(run, {IDC_ENABLE_LBA, IDC_QUICK_FORMAT}, [fault, &startedAt] {
        startedAt = winsim::CallLog().size();
        if (fault)
            winsim::AddFault(*fault);
    });
    run.Run();
    Outcome o;
    for (const auto& box : run.boxes) {
        if (box.caption == "Tarnwick Error!") {
            EXPECT_EQ(box.type, (UINT)(MB_ICONERROR | MB_OK)) << box.text;
            o.errors.push_back(box.text);
        } else if (box.text == "Operation Completed Successfully!") {
            EXPECT_EQ(box.caption, "Tarnwick");
            EXPECT_EQ(box.type, (UINT)(MB_ICONINFORMATION | MB_OK));
            o.completed = true;
        } else {
            EXPECT_EQ(box.caption, "Tarnwick") << box.text;
            EXPECT_EQ(box.type, (UINT)(MB_ICONWARNING | MB_YESNO)) << box.text;
        }
    }
    bool boxShown = false;
    for (const auto& e : run.events) {
        if (e.kind == "box")
            boxShown |= !o.errors.empty() && e.text == o.errors.front();
        if (e.kind != "text" || e.id != IDC_STATUS)
            continue;
        o.reachedLastStage |= e.text == "Setting File Attributes...";
        o.reportedSuccess |= e.text == "Operation Completed Successfully";
        o.wentOnAfterBox |= boxShown && !e.text.empty();
    }
    o.formats = winsim::FormatCalls();
    o.wroteAnything = !winsim::DeviceWrites().empty() || !o.formats.empty();
    if (calls) {
        calls->assign(winsim::CallLog().begin() + (long)startedAt, winsim::CallLog().end());
        std::string stage;
        std::size_t next = startedAt;
        for (const auto& e : run.events) {
            if (e.kind != "text" || e.id != IDC_STATUS || e.text.empty())
                continue;
            for (; next < (std::size_t)e.value; next++)
                o.stages.push_back(stage);
            stage = e.text;
        }
        for (; next < winsim::CallLog().size(); next++)
            o.stages.push_back(stage);
    }
    // A release that itself fails leaves its object behind; nothing else may.
    std::string failing = fault ? fault->call : "";
    if (failing != "CloseHandle" && failing != "RegCloseKey")
        EXPECT_EQ(winsim::OpenHandleCount(), 0);
    if (failing != "GlobalFree")
        EXPECT_EQ(winsim::MemoryBlockCount(), 0);
    EXPECT_EQ(winsim::LoadedResourceCount(), 0);
    EXPECT_TRUE(winsim::ProtectedWrites().empty());
    return o;
}

// The letter for the nth call of function within stage.
char Expected(const std::string& stage, const std::string& function, int nth)
{
    for (const auto& s : kStages) {
        std::string status = s.status;
        bool prefix = !status.empty() && status.back() == '(';
        if (prefix ? stage.rfind(status, 0) != 0 : stage != status)
            continue;
        auto found = s.calls.find(function);
        if (found == s.calls.end())
            return s.byDefault;
        const std::string& letters = found->second;
        std::size_t at = (std::size_t)nth - 1;
        if (letters.back() == '*')
            return letters[std::min(at, letters.size() - 2)];
        return at < letters.size() ? letters[at] : '+'; // a call the table does not know
    }
    return '?';
}

char Observed(const Outcome& o)
{
    if (o.errors.empty())
        return o.completed || o.reportedSuccess ? '.' : o.wroteAnything ? '?' : 'N';
    for (const auto& [letter, text] : kBoxes)
        if (o.errors[0] == text)
            return letter;
    return '?';
}

} // namespace

TEST(PipelineSweep, EveryFailingCallShowsItsOwnBoxAndStopsThere)
{
    // The format library, once loaded, stays for the process: a first run
    // loads it, so that every later run makes the same calls. Its loading
    // is proven in a process of its own.
    RunOnce(nullptr, nullptr);
    std::vector<std::string> calls;
    Outcome clean = RunOnce(nullptr, &calls);
    ASSERT_TRUE(clean.completed);
    ASSERT_TRUE(clean.errors.empty());
    // Quick Format ticked, Force Volume Dismount not: the volume is locked
    // before it is dismounted, and formatted quick, over a cleared first sector.
    ASSERT_EQ(clean.formats.size(), 1u);
    EXPECT_TRUE(clean.formats[0].quick);
    EXPECT_TRUE(clean.formats[0].blankBootSector);
    std::map<std::string, int> seen;
    std::map<std::pair<std::string, std::string>, int> seenInStage;
    int runs = 0;
    for (std::size_t i = 0; i < calls.size(); i++) {
        const std::string& name = calls[i];
        const std::string& stage = clean.stages[i];
        int nth = ++seen[name];
        int nthInStage = ++seenInStage[{stage, name}];
        if (name == "EndDialog") // the Escape that closes the dialog afterwards
            continue;
        char want = Expected(stage, name, nthInStage);
        for (bool shortTransfer : {false, true}) {
            if (shortTransfer && name != "ReadFile" && name != "WriteFile")
                continue;
            SCOPED_TRACE(name + " #" + std::to_string(nth) + (shortTransfer ? " short" : "") +
                         " in \"" + stage + "\"");
            winsim::Fault fault{name, "", "", nth, 31, shortTransfer};
            Outcome o = RunOnce(&fault, nullptr);
            runs++;
            char got = Observed(o);
            EXPECT_EQ(got, want);
            if (want == 'N' || want == '.') {
                EXPECT_TRUE(o.errors.empty());
                // The completion box comes unless it is the call that fails.
                EXPECT_EQ(o.completed, want == '.' && name != "MessageBoxA");
                EXPECT_EQ(o.reportedSuccess || name == "SetDlgItemTextA", want == '.');
            } else {
                // One box, and the run stops there; a failed MBR write alone
                // lets it go on to its end without claiming success.
                EXPECT_EQ(o.errors.size(), 1u);
                EXPECT_EQ(want == 'W' ? o.reachedLastStage : o.wentOnAfterBox, want == 'W');
                EXPECT_FALSE(o.completed);
                EXPECT_FALSE(o.reportedSuccess);
            }
            if (want != '.' && (want == 'N' || stage == "Checking Disk..."))
                EXPECT_FALSE(o.wroteAnything);
        }
    }
    // Every call the table names is made: a step left out fails here.
    for (const auto& s : kStages)
        for (const auto& [name, letters] : s.calls)
            if (letters.back() != '*')
                EXPECT_EQ(seenInStage[std::make_pair(std::string(s.status), name)], (int)letters.size())
                    << name << " in \"" << s.status << "\"";
    std::printf("fault sweep: %d runs\n", runs);
}
