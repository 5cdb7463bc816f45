// The Start pipeline end to end through tarnwick-sim: the stick job, shaped
// by each case, either makes a bootable stick, read back with the tools other
// systems use, or stops with its box before the first write.
#include "pipeline_fixture.h"

#include "disk/mbr.h"

extern const unsigned char g_fatBootCode[450];

namespace {

using namespace tests;

struct Case {
    std::string name;
    std::string box; // empty: the job succeeds
    std::vector<json> before; // actions right before Start
    std::function<void(json& job, json& stick)> shape;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

bool Ticked(const json& job, const char* control)
{
    return std::count(job["actions"].begin(), job["actions"].end(), Click(control)) % 2 == 1;
}

json Replaced(const json& by)
{
    return json::array({{{"do", "unplug"}, {"disk", 1}}, {{"do", "plug"}, {"disk", by}}});
}

json OtherStick(std::uint64_t size, const std::string& instanceId)
{
    return {{"friendlyName", "Kingmax Flash Disk USB Device"}, {"instanceId", instanceId},
            {"media", "removable"}, {"size", size},
            {"partitions", {{{"slot", 0}, {"start", 63}, {"sectors", 30000}, {"type", 11}, {"letter", "F"}}}}};
}

// Disks pulled in turn, Refresh, disks plugged in in turn (null: the stick
// again), Refresh, the stick chosen again.
std::vector<json> ComeAndGo(std::vector<int> pulled, std::vector<json> back)
{
    std::vector<json> actions;
    for (int n : pulled)
        actions.push_back({{"do", "unplug"}, {"disk", n}});
    actions.push_back(Click("IDC_REFRESH"));
    for (const json& disk : back)
        actions.push_back({{"do", "plug"}, {"disk", disk}});
    actions.push_back(Click("IDC_REFRESH"));
    actions.push_back({{"do", "select"}, {"item", 0}});
    return actions;
}

// A disk that fails the run if anything is written to it: a card reader's
// slot (i from 0) or, for -1, another stick.
json Guarded(int i)
{
    json disk = OtherStick(16 << 20, "USBSTOR\\Disk&Ven_" + std::to_string(i) + "\\2");
    disk["protected"] = true;
    if (i >= 0)
        disk.update({{"friendlyName", "Multi Card Slot " + std::to_string(i)}, {"partitions", json::array()}});
    return disk;
}

class PipelineEndToEnd : public testing::TestWithParam<Case> {};

const char kQueryFailed[] = "Failed To Query Disk!";

} // namespace

TEST_P(PipelineEndToEnd, MakesABootableStickOrWritesNothing)
{
    const Case& c = GetParam();
    json job = StickJob();
    job["disks"][1]["image"] = "stick.img";
    BeforeStart(job, c.before);
    c.shape(job, job["disks"][1]);
    json& stick = job["disks"][1];
    const std::uint64_t size = stick["size"], spt = stick.value("sectorsPerTrack", 63);
    const int heads = stick.value("heads", 255);
    // Two old partitions, the second of which the new table must drop.
    std::uint32_t half = (std::uint32_t)((size / 512 - 63) / 2);
    if (stick.contains("partitions")) {
        stick["partitions"][0]["sectors"] = half;
        stick["partitions"].push_back({{"slot", 2}, {"start", 63 + half}, {"sectors", half}, {"type", 6}});
    }
    for (json& action : job["actions"])
        if (action["do"] == "plug" && action["disk"].is_null())
            action["disk"] = stick; // pulled and plugged back in
    SimRun run;
    // An old boot code of its own, to see it kept or replaced.
    std::vector<char> old(440);
    for (std::size_t i = 0; i < old.size(); i++)
        old[i] = (char)(i * 13 + 5);
    std::ofstream(run.dir / "stick.img", std::ios::binary).write(old.data(), 440);
    run.Run(job.dump());
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.transcript.back(),
              json({{"event", "exit"}, {"code", 0}, {"openHandles", 0}, {"memoryBlocks", 0}}));
    std::vector<json> boxes = run.Events("box");
    ASSERT_EQ(boxes.size(), 2u); // the question, then the outcome
    if (!c.box.empty()) {
        EXPECT_EQ(run.stats["deviceWrites"], json::array());
        EXPECT_FALSE(run.stats["calls"].contains("FormatEx"));
        EXPECT_EQ(boxes[1], json({{"event", "box"}, {"title", "Tarnwick Error!"}, {"text", c.box},
                                  {"type", 16}, {"answer", "ok"}}));
        EXPECT_EQ(run.Events("status"), (std::vector<json>{{{"event", "status"}, {"text", "Checking Disk..."}},
                                                           {{"event", "status"}, {"text", ""}}}));
        return;
    }
    EXPECT_EQ(boxes[1]["text"], "Operation Completed Successfully!");
    EXPECT_EQ(run.Events("sleep"), (stick.value("autoMount", true)
                                        ? std::vector<json>{}
                                        : std::vector<json>{{{"event", "sleep"}, {"ms", 1000}}}));

    // The partition table, as sfdisk reads it: one partition from one track in.
    fs::path image = run.dir / "stick.img";
    std::string dump;
    ASSERT_EQ(Shell("sfdisk --dump '" + image.string() + "'", &dump), 0);
    char line[128];
    std::snprintf(line, sizeof line, "start=%12llu, size=%12llu, type=%s, bootable",
                  (unsigned long long)spt, (unsigned long long)(size / 512 - spt),
                  Ticked(job, "IDC_ENABLE_LBA") ? "e" : "6");
    EXPECT_NE(dump.find(line), std::string::npos) << dump;
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 7) << dump;

    unsigned char mbr[512], boot[512];
    std::ifstream in(image, std::ios::binary);
    in.read((char*)mbr, 512).seekg((std::streamoff)(spt * 512)).read((char*)boot, 512);
    MbrImage decoded;
    DecodeMbr(mbr, &decoded);
    bool keep = Ticked(job, "IDC_KEEP_MBR_CODE");
    for (int i = 0; i < (keep ? 440 : MBR_BOOT_CODE_SIZE); i++)
        ASSERT_EQ(mbr[i], keep ? (unsigned char)old[i] : GetMbrBootCode()[i]) << i;
    std::uint64_t cylinders = size / (512 * heads * spt);
    EXPECT_EQ(decoded.slots[0].endCylinder, std::min<std::uint64_t>(cylinders - 1, 1023));
    EXPECT_EQ(decoded.slots[0].endHead, heads - 1);
    EXPECT_EQ(decoded.slots[0].endSector, spt);
    EXPECT_EQ(decoded.signature, 0xAA55);

    // The volume: the drive number, our boot code, a clean FAT, the files.
    EXPECT_EQ(boot[36], 0x80);
    EXPECT_TRUE(std::equal(boot + 62, boot + 512, g_fatBootCode));
    std::string part = (run.dir / "part.img").string(), fsck;
    ASSERT_EQ(Shell("dd if='" + image.string() + "' of='" + part + "' bs=1M iflag=skip_bytes skip=" +
                    std::to_string(spt * 512) + " conv=sparse 2>&1"), 0);
    EXPECT_EQ(Shell("fsck.fat -n '" + part + "'", &fsck), 0) << fsck;
    // Each file with the one byte the program patches.
    const std::tuple<const char*, const char*, int> files[] = {
        {"IO.SYS", FIXTURE_IO_SYS, 938}, {"MSDOS.SYS", FIXTURE_MSDOS_SYS, -1},
        {"COMMAND.COM", FIXTURE_COMMAND_COM, 25872}};
    for (const auto& [name, fixture, patched] : files) {
        std::string copy;
        EXPECT_EQ(Shell("MTOOLS_SKIP_CHECK=1 mcopy -n -i '" + part + "' ::" + name + " -", &copy), 0);
        std::ifstream in(fixture, std::ios::binary);
        std::string want((std::istreambuf_iterator<char>(in)), {});
        if (patched >= 0)
            want[(std::size_t)patched] = (char)0xEB;
        EXPECT_TRUE(copy == want) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sticks, PipelineEndToEnd,
    testing::Values(
        Case{"typical", "", {}, [](json&, json&) {}},
        Case{"lba_256MiB", "", {Click("IDC_ENABLE_LBA")}, [](json&, json& s) { s["size"] = 256 << 20; }},
        Case{"keep_mbr_code_full_format_16MiB", "", {Click("IDC_KEEP_MBR_CODE"), Click("IDC_QUICK_FORMAT")},
             [](json&, json& s) { s["size"] = 16 << 20; }},
        Case{"lba_1536MiB_64x32", "", {Click("IDC_ENABLE_LBA")},
             [](json&, json& s) { s.update({{"size", 1536ull << 20}, {"heads", 64}, {"sectorsPerTrack", 32}}); }},
        Case{"replugged_no_auto_mount", "", Replaced(nullptr), [](json&, json& s) { s["autoMount"] = false; }},
        // Libraries of the names the format library loads, beside the program: none is loaded.
        Case{"planted_libraries", "", {},
             [](json& j, json&) { j["planted"] = {"fmifs.dll", "ulib.dll", "ifsutil.dll", "ufat.dll"}; }},
        // Pulled and plugged back beside another stick, or among a card
        // reader's slots: the stick gets a new number, Start writes it.
        Case{"replugged_beside_another_stick", "", ComeAndGo({1}, {nullptr}),
             [](json& j, json&) { j["disks"].push_back(Guarded(-1)); }},
        Case{"replugged_among_card_slots", "",
             ComeAndGo({2, 3, 4, 5, 1}, {Guarded(0), Guarded(1), Guarded(2), Guarded(3), nullptr}),
             [](json& j, json&) {
                 for (int i : {0, 1, 2, 3, -1})
                     j["disks"].push_back(Guarded(i));
             }},
        // Another stick given the confirmed drive number; a card reader
        // holding another card; the chosen stick pulled, its number free.
        Case{"another_stick", kQueryFailed, Replaced(OtherStick(16 << 20, "USBSTOR\\Disk&Ven_K\\2")),
             [](json&, json&) {}},
        Case{"another_length", kQueryFailed, {},
             [](json& j, json& s) { BeforeStart(j, Replaced(OtherStick(32 << 20, s["instanceId"]))); }},
        Case{"chosen_stick_pulled", kQueryFailed, {{{"do", "select"}, {"item", 0}}, {{"do", "unplug"}, {"disk", 1}}},
             [](json& j, json&) { j["disks"].push_back(OtherStick(16 << 20, "USBSTOR\\Disk&Ven_K\\2")); }},
        Case{"label_with_a_dot", "FormatEx Error[6]: Supplied Label Parameter Check Failed.", {},
             [](json& j, json&) { j["actions"][1]["text"] = "DOS.BOOT"; }},
        Case{"floppy_without_the_dos_files", "Error Occurred Extracting/Copying DOS Files", {},
             [](json& j, json&) { j["diskcopy"] = PE_FIXTURE_DLL; }},
        Case{"no_sectors_per_track", kQueryFailed, {}, [](json&, json& s) { s["sectorsPerTrack"] = 0; }},
        Case{"sectors_per_track_64", kQueryFailed, {}, [](json&, json& s) { s["sectorsPerTrack"] = 64; }},
        Case{"no_heads", kQueryFailed, {}, [](json&, json& s) { s["heads"] = 0; }},
        Case{"heads_256", kQueryFailed, {}, [](json&, json& s) { s["heads"] = 256; }},
        Case{"one_track", kQueryFailed, {},
             [](json&, json& s) { s["size"] = 63 * 512; s.erase("partitions"); }}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });
