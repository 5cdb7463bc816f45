// tarnwick-sim as other programs use it: scenario in, transcript and exit
// status out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct SimResult {
    int status = -1;
    std::vector<std::string> lines;
    std::string errors;
};

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

SimResult RunSim(const std::string& scenario)
{
    fs::path dir = fs::temp_directory_path() / ("tarnwick-sim-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "scenario.json") << scenario;
    std::string command = std::string("'") + TARNWICK_SIM + "' '" + (dir / "scenario.json").string() +
                          "' >'" + (dir / "out").string() + "' 2>'" + (dir / "err").string() + "'";
    int raw = std::system(command.c_str());
    SimResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::istringstream out(ReadFile(dir / "out"));
    for (std::string line; std::getline(out, line);)
        result.lines.push_back(line);
    result.errors = ReadFile(dir / "err");
    fs::remove_all(dir);
    return result;
}

const char kPlaceholderList[] =
    R"({"event":"list","items":["    No USB Disks Found!"],"data":[-1],"selected":0,"start":false,"label":""})";

} // namespace

TEST(TarnwickSim, AboutBoxRoundTripTranscript)
{
    SimResult r = RunSim(R"({"disks": [], "actions": [
        {"do":"click","control":"IDC_ABOUT"}, {"do":"click-anywhere"}, {"do":"escape"}]})");
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.lines, (std::vector<std::string>{
                           R"({"event":"dialog","id":101,"title":"Tarnwick"})",
                           kPlaceholderList,
                           R"({"event":"dialog","id":110,"title":""})",
                           R"({"event":"dialog-end","id":110,"result":0})",
                           R"({"event":"dialog-end","id":101,"result":0})",
                           R"({"event":"exit","code":0,"openHandles":0,"memoryBlocks":0})"}));
    EXPECT_EQ(r.errors, "");
}

TEST(TarnwickSim, DialogActionsAreReportedInOrder)
{
    SimResult r = RunSim(R"({"actions": [
        {"do":"type","control":"IDC_LABEL","text":"TWELVECHARS!"},
        {"do":"progress","percent":37},
        {"do":"click","control":"IDC_BANNER"},
        {"do":"click","control":"IDC_QUICK_FORMAT"},
        {"do":"enter"}]})");
    EXPECT_EQ(r.status, 0) << r.errors;
    const std::string labelled =
        R"({"event":"list","items":["    No USB Disks Found!"],"data":[-1],"selected":0,"start":false,"label":"TWELVECHARS"})";
    ASSERT_EQ(r.lines.size(), 11u);
    EXPECT_EQ(r.lines[1], kPlaceholderList);
    EXPECT_EQ(r.lines[2], labelled);
    EXPECT_EQ(r.lines[3], R"x({"event":"status","text":"Formating...(37%)"})x");
    EXPECT_EQ(r.lines[4], labelled);
    EXPECT_EQ(r.lines[5].rfind(R"({"event":"shell","verb":"open","file":"https://)", 0), 0u)
        << r.lines[5];
    EXPECT_EQ(r.lines[6], labelled);
    EXPECT_EQ(r.lines[7], labelled);
    EXPECT_EQ(r.lines[8], labelled); // Enter: Start does nothing on the placeholder
    // Out of actions: the harness presses Escape.
    EXPECT_EQ(r.lines[9], R"({"event":"dialog-end","id":101,"result":0})");
    EXPECT_EQ(r.lines[10], R"({"event":"exit","code":0,"openHandles":0,"memoryBlocks":0})");
}

TEST(TarnwickSim, BadScenariosStopWithOneLineAndStatusTwo)
{
    const std::pair<const char*, const char*> cases[] = {
        {"{ not json", "not valid JSON"},
        {R"({"actions":[{"do":"dance"}]})", "actions[0].do"},
        {R"({"actions":[{"do":"click","control":"IDC_NOSUCH"}]})", "actions[0].control"},
        {R"({"actions":[{"do":"select"}]})", "\"item\" is required"},
        {R"({"actions":[{"do":"type","control":"IDC_LABEL"}]})", "\"text\" is required"},
        {R"({"actions":[{"do":"progress","percent":"half"}]})", "actions[0].percent"},
        {R"({"disks":[{"media":"removable","size":1000}]})", "\"instanceId\" is required"},
        {R"({"disks":[{"instanceId":"X","media":"floppy","size":1000}]})", "disks[0].media"},
        {R"({"disks":[{"instanceId":"X","media":"fixed","size":1000,"heads":65536}]})",
         "disks[0].heads"},
        {R"({"disks":[{"instanceId":"X","media":"fixed","size":1000000,
            "partitions":[{"slot":0,"start":63,"sectors":99999,"type":6,"format":"fat"}]}]})",
         "inside its disk"},
        {R"({"disks":[{"instanceId":"X","media":"fixed","size":1000000,
            "partitions":[{"slot":0,"start":1,"sectors":9,"type":6,"letter":"C"},
                          {"slot":0,"start":10,"sectors":9,"type":6}]}]})", "given twice"},
        {R"({"disks":[{"instanceId":"X","media":"fixed","size":1000000,
            "partitions":[{"slot":0,"start":1,"sectors":9,"type":6,"letter":"C"}]}],
            "letters":{"C":"cdrom"}})", "drive letter C"},
        {R"({"letters":{"A":"tape"}})", "letters.A"},
        {R"({"fmifs":"maybe"})", "fmifs"},
        {R"({"diskcopy":"no-such-file.dll"})", "diskcopy"},
        {R"({"faults":[{"call":"FormatDisk"}]})", "faults[0].call"},
        {R"({"faults":[{"call":"CreateFileA","code":"FSCTL_LOCK_VOLUME"}]})", "faults[0].code"},
        {R"({"faults":[{"call":"ReadFile","nth":0}]})", "faults[0].nth"},
        {R"({"faults":[{"call":"CloseHandle","short":true}]})", "faults[0].short"},
        {R"({"answers":["maybe"]})", "answers[0]"},
        {R"([1, 2])", "must be an object"},
    };
    for (const auto& [scenario, message] : cases) {
        SCOPED_TRACE(scenario);
        SimResult r = RunSim(scenario);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.lines.empty()) << "the program ran";
        EXPECT_NE(r.errors.find(message), std::string::npos) << r.errors;
        EXPECT_EQ(std::count(r.errors.begin(), r.errors.end(), '\n'), 1) << r.errors;
    }
}

TEST(TarnwickSim, ActionsTheOpenDialogCannotTakeStopTheHarness)
{
    const std::pair<const char*, const char*> cases[] = {
        {R"({"actions":[{"do":"click","control":"IDC_ABOUT"},{"do":"select","item":0}]})",
         "About box is open"},
        {R"({"actions":[{"do":"select","item":3}]})", "no item 3"},
        {R"({"actions":[{"do":"click","control":"IDC_ABOUT_ICON"}]})", "IDC_ABOUT_ICON"},
    };
    for (const auto& [scenario, message] : cases) {
        SCOPED_TRACE(scenario);
        SimResult r = RunSim(scenario);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.errors.find(message), std::string::npos) << r.errors;
        EXPECT_FALSE(r.lines.empty()); // the run had started
    }
}

namespace {

const char kSystemDisk[] = R"({"friendlyName":"WDC WD800JD-75MSA3",
    "instanceId":"IDE\\DiskWDC_WD800JD-75MSA3___________________10.01E04\\5&2d5cd3b&0&0.0.0",
    "media":"fixed","size":80026361856,
    "partitions":[{"slot":0,"start":63,"sectors":156296322,"type":7,"active":true,"format":"raw","letter":"C"}]})";

std::string Stick(const std::string& name, const std::string& label, const std::string& letter)
{
    return R"({"friendlyName":")" + name + R"(","instanceId":"USBSTOR\\Disk&Ven_)" + name +
           R"(\\6&1a2b3c4d&0","media":"removable","size":67108864,
        "partitions":[{"slot":0,"start":63,"sectors":131009,"type":11,"format":"fat",
                       "label":")" + label + R"(","letter":")" + letter + R"("}]})";
}

} // namespace

TEST(TarnwickSim, ListsTheOneStickBesideSystemCdromAndFloppy)
{
    SimResult r = RunSim(std::string(R"({"disks":[)") + kSystemDisk + "," +
                         Stick("Generic Flash Disk USB Device", "OLDSTICK", "E") +
                         R"(], "letters":{"A":"floppy","D":"cdrom"}})");
    EXPECT_EQ(r.status, 0) << r.errors;
    ASSERT_GE(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[1],
              R"({"event":"list","items":["Generic Flash Disk USB Device 67Mb [E:\\]"],"data":[1],"selected":0,"start":true,"label":"OLDSTICK"})");
}

TEST(TarnwickSim, UnpluggingTheSelectedSecondStick)
{
    SimResult r = RunSim(std::string(R"({"disks":[)") + Stick("Alpha", "ALPHA", "E") + "," +
                         Stick("Bravo", "BRAVO", "F") + R"(], "actions":[
        {"do":"select","item":1},{"do":"unplug","disk":1},{"do":"click","control":"IDC_REFRESH"}]})");
    EXPECT_EQ(r.status, 0) << r.errors;
    ASSERT_EQ(r.lines.size(), 7u);
    EXPECT_EQ(r.lines[2],
              R"({"event":"list","items":["Alpha 67Mb [E:\\]","Bravo 67Mb [F:\\]"],"data":[0,1],"selected":1,"start":true,"label":"ALPHA"})");
    EXPECT_EQ(r.lines[4],
              R"({"event":"list","items":["Alpha 67Mb [E:\\]"],"data":[0],"selected":-1,"start":true,"label":""})");
}
