// tarnwick-sim as other programs use it: scenario in, transcript and exit
// status out.
#include "pipeline_fixture.h"

using namespace tests;

static json Line(const char* text) { return json::parse(text); }

TEST(TarnwickSim, ReportsEachActionInOrder)
{
    SimRun run;
    run.Run(R"({"disks": [], "planted": ["ufat.dll"], "actions": [
        {"do":"click","control":"IDC_ABOUT"}, {"do":"click-anywhere"},
        {"do":"type","control":"IDC_LABEL","text":"TWELVECHARS!"},
        {"do":"progress","percent":-1}, {"do":"click","control":"IDC_BANNER"},
        {"do":"click","control":"IDC_QUICK_FORMAT"}, {"do":"enter"}]})");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors, "");
    json list = Line(R"({"event":"list","items":["    No USB Disks Found!"],"data":[-1],
                         "selected":0,"start":false,"label":""})");
    json labelled = list;
    labelled["label"] = "TWELVECHARS"; // the box's limit
    EXPECT_EQ(run.transcript, (std::vector<json>{
        Line(R"({"event":"planted","names":["ufat.dll"]})"),
        Line(R"({"event":"dialog","id":101,"title":"Tarnwick"})"), list,
        Line(R"({"event":"dialog","id":110,"title":""})"),
        Line(R"({"event":"dialog-end","id":110,"result":0})"), labelled,
        Line(R"x({"event":"status","text":"Formating...(-1%)"})x"), labelled, // signed, one percent sign
        Line(R"({"event":"shell","verb":"open","file":"https://tarnwick.example.org/"})"),
        labelled, labelled,
        labelled, // Enter: Start does nothing on the placeholder
        // Out of actions: the harness presses Escape.
        Line(R"({"event":"dialog-end","id":101,"result":0})"),
        Line(R"({"event":"exit","code":0,"openHandles":0,"memoryBlocks":0})")}));
}

TEST(TarnwickSim, BadScenariosStopWithOneLineAndStatusTwo)
{
    // The scenario, what the line names, and whether the program had started.
    struct Bad {
        const char* scenario;
        const char* message;
        bool started = false;
    };
    const Bad cases[] = {
        {"{ not json", "not valid JSON"}, {"[1, 2]", "must be an object"},
        {R"({"actions":[{"do":"dance"}]})", "actions[0].do"},
        {R"({"actions":[{"do":"click","control":"IDC_NOSUCH"}]})", "actions[0].control"},
        {R"({"actions":[{"do":"select"}]})", "\"item\" is required"},
        {R"({"actions":[{"do":"type","control":"IDC_LABEL"}]})", "\"text\" is required"},
        {R"({"actions":[{"do":"progress","percent":"half"}]})", "actions[0].percent"},
        {R"({"disks":[{"media":"removable","size":1000}]})", "\"instanceId\" is required"},
        {R"({"disks":[{"instanceId":"X","media":"floppy","size":1000}]})", "disks[0].media"},
        {R"({"disks":[{"instanceId":"X","media":"fixed","size":1000,"heads":65536}]})", "disks[0].heads"},
        {R"({"disks":[{"instanceId":"X","media":"fixed","size":512},{"instanceId":"x","media":"fixed","size":512}]})",
         "share the instance path"},
        {R"({"disks":[{"instanceId":"X","media":"fixed","size":1000000,"partitions":[
            {"slot":0,"start":63,"sectors":99999,"type":6,"format":"fat"}]}]})", "inside its disk"},
        {R"({"disks":[{"instanceId":"X","media":"fixed","size":1000000,"partitions":[
            {"slot":0,"start":1,"sectors":9,"type":6,"letter":"C"},
            {"slot":0,"start":10,"sectors":9,"type":6}]}]})", "given twice"},
        {R"({"disks":[{"instanceId":"X","media":"fixed","size":1000000,"partitions":[
            {"slot":0,"start":1,"sectors":9,"type":6,"letter":"C"}]}],"letters":{"C":"cdrom"}})",
         "drive letter C"},
        {R"({"letters":{"A":"tape"}})", "letters.A"}, {R"({"fmifs":"maybe"})", "fmifs"},
        {R"({"planted":["ufat.dll","..\\ulib.dll"]})", "planted[1]"},
        {R"({"diskcopy":"no-such-file.dll"})", "diskcopy"}, {R"({"answers":["maybe"]})", "answers[0]"},
        {R"({"faults":[{"call":"FormatDisk"}]})", "faults[0].call"},
        {R"({"faults":[{"call":"CreateFileA","code":"FSCTL_LOCK_VOLUME"}]})", "faults[0].code"},
        {R"({"faults":[{"call":"ReadFile","nth":0}]})", "faults[0].nth"},
        {R"({"faults":[{"call":"CloseHandle","short":true}]})", "faults[0].short"},
        // Actions the open dialog cannot take.
        {R"({"actions":[{"do":"click","control":"IDC_ABOUT"},{"do":"select","item":0}]})",
         "About box is open", true},
        {R"({"actions":[{"do":"select","item":3}]})", "no item 3", true}, {R"({"actions":[{"do":"unplug","disk":0}]})", "no disk 0", true},
        {R"({"actions":[{"do":"click","control":"IDC_ABOUT_ICON"}]})", "IDC_ABOUT_ICON", true}};
    SimRun run;
    for (const Bad& bad : cases) {
        SCOPED_TRACE(bad.scenario);
        run.Run(bad.scenario);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.transcript.empty(), !bad.started);
        EXPECT_NE(run.errors.find(bad.message), std::string::npos) << run.errors;
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    }
}
