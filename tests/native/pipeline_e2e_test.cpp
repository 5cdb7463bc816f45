// The Start pipeline end to end through tarnwick-sim: a virtual stick made
// bootable, then read back with the tools other systems use.
#include <gtest/gtest.h>

#include "disk/mbr.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <sys/wait.h>

extern const unsigned char g_fatBootCode[450];

namespace {

namespace fs = std::filesystem;

using nlohmann::json;

struct Variant {
    std::string name;
    std::uint64_t size = 64ull << 20;
    int heads = 255;
    int sectorsPerTrack = 63;
    bool lba = false;
    bool keepMbrCode = false;
    bool quick = true;
    bool autoMount = true;
    bool replugged = false; // pulled and plugged back in after the list was made
};

std::vector<unsigned char> ReadBytes(const fs::path& path, std::uint64_t offset = 0,
                                     std::size_t length = 0)
{
    std::ifstream in(path, std::ios::binary);
    if (length == 0) // the whole file
        length = fs::exists(path) ? (std::size_t)fs::file_size(path) : 0;
    std::vector<unsigned char> bytes(length);
    in.seekg((std::streamoff)offset);
    in.read((char*)bytes.data(), (std::streamsize)length);
    return bytes;
}

int Shell(const std::string& command, std::string* output = nullptr)
{
    std::string log =
        (fs::temp_directory_path() / ("tarnwick-e2e-" + std::to_string(::getpid()) + ".log")).string();
    int raw = std::system((command + " >'" + log + "' 2>&1").c_str());
    if (output)
        *output = std::string((const char*)ReadBytes(log).data(), ReadBytes(log).size());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// A folder of its own for each run of tarnwick-sim, with the scenarios.
class SimRuns : public testing::Test {
protected:
    void SetUp() override
    {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        name = "tarnwick-e2e-" + name + "-" + std::to_string(::getpid());
        dir = fs::temp_directory_path() / name;
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    json Stick(const Variant& v)
    {
        std::uint64_t half = (v.size / 512 - (std::uint64_t)v.sectorsPerTrack) / 2;
        return {{"friendlyName", "Generic Flash Disk USB Device"},
                {"instanceId", "USBSTOR\\Disk&Ven_Generic\\1"},
                {"media", "removable"}, {"size", v.size}, {"heads", v.heads},
                {"sectorsPerTrack", v.sectorsPerTrack}, {"image", "stick.img"},
                {"autoMount", v.autoMount},
                {"partitions", {{{"slot", 0}, {"start", v.sectorsPerTrack}, {"sectors", half},
                                 {"type", 11}, {"format", "fat"}, {"label", "OLDSTICK"},
                                 {"letter", "E"}},
                                // a second old partition, which the new table must drop
                                {{"slot", 2}, {"start", v.sectorsPerTrack + half},
                                 {"sectors", half}, {"type", 6}, {"format", "raw"}}}}};
    }

    json Scenario(const Variant& v, const std::string& answer)
    {
        json actions = {{{"do", "type"}, {"control", "IDC_LABEL"}, {"text", "Dos boot"}}};
        if (v.quick)
            actions.push_back({{"do", "click"}, {"control", "IDC_QUICK_FORMAT"}});
        if (v.lba)
            actions.push_back({{"do", "click"}, {"control", "IDC_ENABLE_LBA"}});
        if (v.keepMbrCode)
            actions.push_back({{"do", "click"}, {"control", "IDC_KEEP_MBR_CODE"}});
        if (v.replugged) {
            actions.push_back({{"do", "unplug"}, {"disk", 1}});
            actions.push_back({{"do", "plug"}, {"disk", Stick(v)}});
        }
        actions.push_back({{"do", "click"}, {"control", "IDOK"}});
        json system = {{"friendlyName", "WDC WD800JD"}, {"instanceId", "IDE\\DiskWDC\\1"},
                       {"media", "fixed"}, {"size", 80026361856ull},
                       {"partitions", {{{"slot", 0}, {"start", 63}, {"sectors", 156296322},
                                        {"type", 7}, {"active", true}, {"letter", "C"}}}}};
        return {{"disks", {system, Stick(v)}}, {"letters", {{"A", "floppy"}}},
                {"diskcopy", DISKCOPY_DLL}, {"answers", {answer}}, {"actions", actions}};
    }

    // Runs the scenario; the transcript's lines.
    std::vector<std::string> Run(const json& scenario, int& status)
    {
        std::ofstream(dir / "scenario.json") << scenario.dump();
        std::string out;
        status = Shell(std::string("'") + TARNWICK_SIM + "' '" + (dir / "scenario.json").string() +
                       "'", &out);
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    fs::path dir;
};

class PipelineEndToEnd : public SimRuns, public testing::WithParamInterface<Variant> {};

std::vector<std::string> Events(const std::vector<std::string>& lines, const std::string& kind)
{
    std::vector<std::string> found;
    for (const auto& line : lines)
        if (line.find("{\"event\":\"" + kind + "\"") == 0)
            found.push_back(line);
    return found;
}

} // namespace

TEST_P(PipelineEndToEnd, MakesABootableStick)
{
    const Variant v = GetParam();
    // An old boot code of its own, to see it kept or replaced.
    {
        std::ofstream image(dir / "stick.img", std::ios::binary);
        std::vector<char> old(440);
        for (std::size_t i = 0; i < old.size(); i++)
            old[i] = (char)(i * 13 + 5);
        image.write(old.data(), (std::streamsize)old.size());
    }
    int status = -1;
    std::vector<std::string> lines = Run(Scenario(v, "yes"), status);
    ASSERT_EQ(status, 0) << (lines.empty() ? "" : lines.back());

    std::vector<std::string> statuses;
    for (const auto& line : Events(lines, "status"))
        if (line.find("Formating...(") == std::string::npos)
            statuses.push_back(line.substr(std::string(R"({"event":"status","text":")").size()));
    std::vector<std::string> wanted = {"Checking Disk...\"}", "Partitioning Disk...\"}",
                                       "Formating Drive...D:\\\\\"}",
                                       "Writing FAT Sector Code...\"}",
                                       "Extracting and Copying DOS Files...\"}",
                                       "Setting File Attributes...\"}",
                                       "Operation Completed Successfully\"}", "\"}"};
    // Windows mounts the new partition at the first free letter from C, the
    // program at the first from D: here both give D.
    EXPECT_EQ(statuses, wanted);
    EXPECT_GE(Events(lines, "status").size(), wanted.size() + 3); // rising percentages between
    ASSERT_EQ(Events(lines, "box").size(), 2u);
    EXPECT_NE(Events(lines, "box")[1].find("Operation Completed Successfully!"), std::string::npos);
    EXPECT_EQ(Events(lines, "sleep"),
              v.autoMount ? std::vector<std::string>{}
                          : std::vector<std::string>{R"({"event":"sleep","ms":1000})"});
    EXPECT_EQ(lines.back(), R"({"event":"exit","code":0,"openHandles":0,"memoryBlocks":0})");

    // The partition table, as sfdisk reads it.
    std::uint64_t spt = (std::uint64_t)v.sectorsPerTrack;
    std::uint64_t sectors = v.size / 512 - spt;
    std::string dump;
    ASSERT_EQ(Shell("sfdisk --dump '" + (dir / "stick.img").string() + "'", &dump), 0);
    std::string line = "start=" + std::string(12 - std::to_string(spt).size(), ' ') +
                       std::to_string(spt) + ", size=" +
                       std::string(12 - std::to_string(sectors).size(), ' ') +
                       std::to_string(sectors) + ", type=" + (v.lba ? "e" : "6") + ", bootable";
    EXPECT_NE(dump.find(line), std::string::npos) << dump;
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 7) << dump; // one partition only

    std::vector<unsigned char> mbr = ReadBytes(dir / "stick.img", 0, 512);
    MbrImage decoded;
    DecodeMbr(mbr.data(), &decoded);
    for (int i = 0; i < (v.keepMbrCode ? 440 : MBR_BOOT_CODE_SIZE); i++)
        ASSERT_EQ(mbr[i], v.keepMbrCode ? (unsigned char)(i * 13 + 5) : GetMbrBootCode()[i]) << i;
    std::uint64_t cylinders = v.size / (512ull * v.heads * spt);
    EXPECT_EQ(decoded.slots[0].endCylinder, std::min<std::uint64_t>(cylinders - 1, 1023));
    EXPECT_EQ(decoded.slots[0].endHead, v.heads - 1);
    EXPECT_EQ(decoded.slots[0].endSector, v.sectorsPerTrack);
    EXPECT_EQ(decoded.signature, 0xAA55);
    for (int slot = 1; slot < 4; slot++)
        EXPECT_EQ(decoded.slots[slot].type, 0);

    // The volume: the drive number, our boot code, a clean FAT, the files.
    std::vector<unsigned char> boot = ReadBytes(dir / "stick.img", spt * 512, 512);
    EXPECT_EQ(boot[36], 0x80);
    EXPECT_TRUE(std::equal(boot.begin() + 62, boot.end(), g_fatBootCode));
    std::string part = (dir / "part.img").string();
    ASSERT_EQ(Shell("dd if='" + (dir / "stick.img").string() + "' of='" + part +
                    "' bs=1M iflag=skip_bytes skip=" + std::to_string(spt * 512) +
                    " conv=sparse"), 0);
    std::string fsck;
    EXPECT_EQ(Shell("fsck.fat -n '" + part + "'", &fsck), 0) << fsck;
    const std::pair<const char*, const char*> files[] = {
        {"IO.SYS", FIXTURE_IO_SYS}, {"MSDOS.SYS", FIXTURE_MSDOS_SYS},
        {"COMMAND.COM", FIXTURE_COMMAND_COM}};
    for (const auto& [name, fixture] : files) {
        std::string copy = (dir / name).string();
        ASSERT_EQ(Shell("MTOOLS_SKIP_CHECK=1 mcopy -n -i '" + part + "' ::" + name + " '" + copy +
                        "'"), 0) << name;
        std::vector<unsigned char> want = ReadBytes(fixture);
        if (std::string(name) == "IO.SYS")
            want[938] = 0xEB;
        if (std::string(name) == "COMMAND.COM")
            want[25872] = 0xEB;
        EXPECT_TRUE(ReadBytes(copy) == want) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sticks, PipelineEndToEnd,
    testing::Values(Variant{"typical"}, Variant{"lba", 64ull << 20, 255, 63, true},
                    Variant{"keep_mbr_code", 64ull << 20, 255, 63, false, true},
                    Variant{"full_format", 64ull << 20, 255, 63, false, false, false},
                    Variant{"no_auto_mount", 64ull << 20, 255, 63, false, false, true, false},
                    Variant{"stick_16MiB", 16ull << 20}, Variant{"stick_256MiB", 256ull << 20},
                    Variant{"stick_1536MiB_64x32", 1536ull << 20, 64, 32, true},
                    Variant{"replugged", 64ull << 20, 255, 63, false, false, true, true, true}),
    [](const testing::TestParamInfo<Variant>& info) { return info.param.name; });

// Runs that must end before the first write: the box they stop with (none
// for the answer No) and a change to the typical scenario.
struct Refusal {
    std::string name;
    std::string box;
    std::function<void(json& scenario)> shape;
};

void PrintTo(const Refusal& r, std::ostream* os)
{
    *os << r.name;
}

class PipelineRefusal : public SimRuns, public testing::WithParamInterface<Refusal> {};

json Plug(json disk)
{
    return json::object({{"do", "plug"}, {"disk", disk}});
}

json Unplug(int disk)
{
    return json::object({{"do", "unplug"}, {"disk", disk}});
}

// Actions to play right before Start is pressed.
void BeforeStart(json& scenario, std::initializer_list<json> actions)
{
    json& list = scenario["actions"];
    for (const json& action : actions)
        list.insert(list.end() - 1, action);
}

TEST_P(PipelineRefusal, ChangesNoByteOfAnyDisk)
{
    const Refusal& r = GetParam();
    json scenario = Scenario(Variant{"", 16ull << 20}, r.box.empty() ? "no" : "yes");
    // Old partitions are left raw, so that setting the machine up writes the
    // same bytes each time and only the program could change them.
    scenario["disks"][1]["partitions"][0]["format"] = "raw";
    r.shape(scenario);
    // The machine without the user's actions, plugged disks plugged from the start.
    json setup = scenario;
    setup["actions"] = json::array();
    for (const json& action : scenario["actions"])
        if (action["do"] == "plug")
            setup["disks"].push_back(action["disk"]);
    int status = -1;
    Run(setup, status);
    ASSERT_EQ(status, 0);
    std::map<std::string, std::vector<unsigned char>> before;
    for (const auto& file : fs::directory_iterator(dir))
        if (file.path().extension() == ".img")
            before[file.path().filename().string()] = ReadBytes(file.path());

    std::vector<std::string> lines = Run(scenario, status);
    EXPECT_EQ(status, 0);
    for (const auto& [name, bytes] : before)
        EXPECT_TRUE(ReadBytes(dir / name) == bytes) << name << " changed";
    std::vector<std::string> boxes = Events(lines, "box"), statuses = Events(lines, "status");
    const std::string cleared = R"({"event":"status","text":""})";
    if (r.box.empty()) {
        EXPECT_EQ(boxes.size(), 1u);
        EXPECT_EQ(statuses, std::vector<std::string>{cleared});
        return;
    }
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(json::parse(boxes[1])["text"], r.box);
    EXPECT_EQ(statuses, (std::vector<std::string>{
                            R"({"event":"status","text":"Checking Disk..."})", cleared}));
}

const char kQueryFailed[] = "Failed To Query Disk!";
const char kNoDosFiles[] = "Error Occurred Extracting/Copying DOS Files";

json OtherStick(std::uint64_t size, const std::string& instanceId)
{
    return {{"friendlyName", "Kingmax Flash Disk USB Device"}, {"instanceId", instanceId},
            {"media", "removable"}, {"size", size}, {"image", "other.img"},
            {"partitions", {{{"slot", 0}, {"start", 63}, {"sectors", 30000}, {"type", 11},
                             {"letter", "F"}}}}};
}

void Geometry(json& scenario, int heads, int sectorsPerTrack)
{
    scenario["disks"][1]["heads"] = heads;
    scenario["disks"][1]["sectorsPerTrack"] = sectorsPerTrack;
}

INSTANTIATE_TEST_SUITE_P(
    Sticks, PipelineRefusal,
    testing::Values(
        Refusal{"answer_no", "", [](json&) {}},
        // Another stick given the confirmed drive number; a card reader
        // holding another card; the other stick sliding down to the number.
        Refusal{"another_stick", kQueryFailed,
                [](json& s) {
                    json other = OtherStick(16ull << 20, "USBSTOR\\Disk&Ven_Kingmax\\2");
                    BeforeStart(s, {Unplug(1), Plug(other)});
                }},
        Refusal{"another_length", kQueryFailed,
                [](json& s) {
                    json card = OtherStick(32ull << 20, "USBSTOR\\Disk&Ven_Generic\\1");
                    BeforeStart(s, {Unplug(1), Plug(card)});
                }},
        Refusal{"shifted_number", kQueryFailed,
                [](json& s) {
                    s["disks"].push_back(OtherStick(16ull << 20, "USBSTOR\\Disk&Ven_Kingmax\\2"));
                    BeforeStart(s, {json::object({{"do", "select"}, {"item", 0}}), Unplug(1)});
                }},
        Refusal{"label_with_a_dot", "FormatEx Error[6]: Supplied Label Parameter Check Failed.",
                [](json& s) { s["actions"][0]["text"] = "DOS.BOOT"; }},
        Refusal{"no_diskcopy", kNoDosFiles, [](json& s) { s.erase("diskcopy"); }},
        Refusal{"diskcopy_without_floppy", kNoDosFiles,
                [](json& s) { s["diskcopy"] = PROGRAM_RESOURCES_DLL; }},
        Refusal{"floppy_without_the_files", kNoDosFiles,
                [](json& s) { s["diskcopy"] = PE_FIXTURE_DLL; }},
        Refusal{"no_sectors_per_track", kQueryFailed, [](json& s) { Geometry(s, 255, 0); }},
        Refusal{"sectors_per_track_64", kQueryFailed, [](json& s) { Geometry(s, 255, 64); }},
        Refusal{"no_heads", kQueryFailed, [](json& s) { Geometry(s, 0, 63); }},
        Refusal{"heads_256", kQueryFailed, [](json& s) { Geometry(s, 256, 63); }},
        Refusal{"one_track", kQueryFailed,
                [](json& s) {
                    s["disks"][1]["size"] = 63 * 512;
                    s["disks"][1].erase("partitions");
                }}),
    [](const testing::TestParamInfo<Refusal>& info) { return info.param.name; });
