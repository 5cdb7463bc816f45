// The Start pipeline end to end through tarnwick-sim: the stick job, shaped
// by each case, either makes a bootable stick, read back with the tools other
// systems use, or stops with its box before the first write. Sticks of every
// size people own, up to terabytes, are sparse files.
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

// Network drives mapped from D to last.
void Mapped(json& job, char last)
{
    for (char c = 'D'; c <= last; c++)
        job["letters"][std::string(1, c)] = "network";
}

// Before Start: disks pulled, Refresh, disks plugged in (null: the stick
// again), Refresh, the stick chosen and the label typed again.
void ComeAndGo(json& job, std::vector<int> pulled, std::vector<json> back)
{
    std::vector<json> actions;
    for (int n : pulled)
        actions.push_back({{"do", "unplug"}, {"disk", n}});
    actions.push_back(Click("IDC_REFRESH"));
    for (const json& disk : back)
        actions.push_back({{"do", "plug"}, {"disk", disk}});
    BeforeStart(job, actions);
    BeforeStart(job, {Click("IDC_REFRESH"), {{"do", "select"}, {"item", 0}}, job["actions"][1]});
}

// A disk no write may reach (or the run fails): a card reader's slot i, or
// for -1 another stick.
json Guarded(int i)
{
    json disk = OtherStick(16 << 20, "USBSTOR\\Disk&Ven_" + std::to_string(i) + "\\2");
    disk["protected"] = true;
    if (i >= 0)
        disk.update({{"friendlyName", "Multi Card Slot " + std::to_string(i)}, {"partitions", json::array()}});
    return disk;
}

json& Sized(json& stick, std::uint64_t size, int heads = 255, int sectors = 63)
{
    stick.update({{"size", size}, {"heads", heads}, {"sectorsPerTrack", sectors}});
    return stick;
}

class PipelineEndToEnd : public testing::TestWithParam<Case> {};

const char kQueryFailed[] = "Failed To Query Disk!";
const char kNoDosFiles[] = "Error Occurred Extracting/Copying DOS Files";
const char kBadLabel[] = "FormatEx Error[6]: Supplied Label Parameter Check Failed.";
const std::uint64_t kGiB = 1ull << 30;
// The DOS on the stick reads FAT16 of fewer than this many clusters of at most 32 KiB.
const std::uint64_t kDosClusters = 65525;

std::uint64_t Le(const unsigned char* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; i--)
        v = v << 8 | p[i];
    return v;
}

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
    // Two old partitions, the second, in the last entry, for the new table to drop.
    std::uint32_t half = (std::uint32_t)std::min<std::uint64_t>((size / 512 - 63) / 2, 1 << 21);
    if (stick.contains("partitions")) {
        stick["partitions"][0]["sectors"] = half;
        stick["partitions"].push_back({{"slot", 3}, {"start", 63 + half}, {"sectors", half}, {"type", 6}});
    }
    for (json& action : job["actions"])
        if (action["do"] == "plug" && action["disk"].is_null())
            action["disk"] = stick; // pulled and plugged back in
    SimRun run;
    fs::path image = run.dir / "stick.img";
    // An old boot code of its own, to see it kept or replaced.
    std::vector<char> old(440);
    for (std::size_t i = 0; i < old.size(); i++)
        old[i] = (char)(i * 13 + 5);
    std::ofstream(image, std::ios::binary).write(old.data(), 440);
    run.Run(job.dump());
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.transcript.back(),
              json({{"event", "exit"}, {"code", 0}, {"openHandles", 0}, {"memoryBlocks", 0}}));
    std::vector<json> boxes = run.Events("box");
    ASSERT_EQ(boxes.size(), 2u); // the question, then the outcome
    json painted = {""}; // as the dialog shows, then each stage's text while it runs
    for (const json& status : run.Events("status"))
        painted.push_back(status["text"]);
    EXPECT_EQ(run.stats["statusPainted"], painted);
    if (!c.box.empty()) {
        EXPECT_EQ(run.stats["deviceWrites"], json::array());
        EXPECT_FALSE(run.stats["calls"].contains("FormatEx"));
        EXPECT_EQ(boxes[1], json({{"event", "box"}, {"title", "Tarnwick Error!"}, {"text", c.box},
                                  {"type", 16}, {"answer", "ok"}}));
        EXPECT_EQ(run.Events("status"), (std::vector<json>{{{"event", "status"}, {"text", "Checking Disk..."}},
                                                           {{"event", "status"}, {"text", ""}}}));
        // Every byte as the same machine leaves it when the user answers No,
        // Start pressed with Enter; the status line cleared.
        fs::rename(image, run.dir / "refused.img");
        std::ofstream(image, std::ios::binary).write(old.data(), 440);
        job["answers"] = {"no"};
        job["actions"].back() = {{"do", "enter"}};
        run.Run(job.dump());
        EXPECT_EQ(run.Events("box").size(), 1u);
        EXPECT_EQ(run.Events("status"), (std::vector<json>{{{"event", "status"}, {"text", ""}}}));
        EXPECT_EQ(Shell("cmp '" + image.string() + "' '" + (run.dir / "refused.img").string() + "'"), 0);
        return;
    }
    EXPECT_EQ(boxes[1]["text"], "Operation Completed Successfully!");
    EXPECT_EQ(run.Events("sleep"), (stick.value("autoMount", true)
                                        ? std::vector<json>{}
                                        : std::vector<json>{{{"event", "sleep"}, {"ms", 1000}}}));

    // The partition table, as sfdisk reads it: one partition from one track
    // in, to the disk's end unless the volume would be too large for DOS;
    // then to a cylinder boundary, less than two cylinders short of that.
    unsigned char mbr[512], boot[512];
    std::ifstream in(image, std::ios::binary);
    in.read((char*)mbr, 512).seekg((std::streamoff)(spt * 512)).read((char*)boot, 512);
    MbrImage decoded;
    DecodeMbr(mbr, &decoded);
    const std::uint64_t whole = size / 512 - spt, sectors = decoded.slots[0].sectorCount;
    const std::uint64_t cylinder = heads * spt, end = spt + sectors;
    if (sectors != whole) {
        EXPECT_LT(sectors, whole);
        EXPECT_EQ(end % cylinder, 0u);
        EXPECT_GE((sectors + 2 * cylinder) * 512, kDosClusters * 32768) << sectors;
    }
    std::string dump;
    ASSERT_EQ(Shell("sfdisk --dump '" + image.string() + "'", &dump), 0);
    char line[128];
    std::snprintf(line, sizeof line, "start=%12llu, size=%12llu, type=%s, bootable",
                  (unsigned long long)spt, (unsigned long long)sectors,
                  Ticked(job, "IDC_ENABLE_LBA") ? "e" : "6");
    EXPECT_NE(dump.find(line), std::string::npos) << dump;
    EXPECT_EQ(dump.find("start="), dump.rfind("start=")) << dump;

    bool keep = Ticked(job, "IDC_KEEP_MBR_CODE");
    for (int i = 0; i < (keep ? 440 : MBR_BOOT_CODE_SIZE); i++)
        ASSERT_EQ(mbr[i], keep ? (unsigned char)old[i] : GetMbrBootCode()[i]) << i;
    // The end: the partition's last whole cylinder (at most 1023), or the
    // address of its last sector on a disk under one cylinder.
    using Chs = std::vector<std::uint64_t>;
    const std::uint64_t cylinders = (sectors == whole ? size / 512 : end) / cylinder, last = end - 1;
    EXPECT_EQ((Chs{decoded.slots[0].endCylinder, decoded.slots[0].endHead, decoded.slots[0].endSector}),
              (cylinders ? Chs{std::min<std::uint64_t>(cylinders - 1, 1023), heads - 1u, spt}
                         : Chs{0, last / spt % heads, last % spt + 1}));
    EXPECT_EQ(decoded.signature, 0xAA55);

    // The volume: the drive number, our boot code, clusters DOS can count,
    // a clean FAT, the label, the files.
    EXPECT_EQ(boot[36], 0x80);
    EXPECT_TRUE(std::equal(boot + 62, boot + 512, g_fatBootCode));
    const std::uint64_t perCluster = boot[13], total = Le(boot + 19, 2) ? Le(boot + 19, 2) : Le(boot + 32, 4);
    const std::uint64_t clusters =
        (total - Le(boot + 14, 2) - boot[16] * Le(boot + 22, 2) - Le(boot + 17, 2) * 32 / 512) / perCluster;
    EXPECT_EQ(total, sectors);
    EXPECT_LE(perCluster, 64u);
    EXPECT_LT(clusters, kDosClusters);
    EXPECT_EQ(std::string((const char*)boot + 54, 5), clusters < 4085 ? "FAT12" : "FAT16");
    std::string part = (run.dir / "part.img").string(), fsck, label;
    // Everything written lies in the volume's first 64 MiB; the rest reads as zeros.
    ASSERT_EQ(Shell("dd if='" + image.string() + "' of='" + part + "' bs=1M iflag=skip_bytes,count_bytes skip=" +
                    std::to_string(spt * 512) + " count=64M 2>&1 && truncate -s " +
                    std::to_string(sectors * 512) + " '" + part + "'"), 0);
    EXPECT_EQ(Shell("fsck.fat -n '" + part + "'", &fsck), 0) << fsck;
    std::string typed = job["actions"][1]["text"];
    std::transform(typed.begin(), typed.end(), typed.begin(), ::toupper);
    EXPECT_EQ(Shell("MTOOLS_SKIP_CHECK=1 mlabel -s -i '" + part + "' ::", &label), 0);
    EXPECT_EQ(label, " Volume label is " + (typed + std::string(11, ' ')).substr(0, 11) + "\n");
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
        // Over 2 GiB: a volume of 32 KiB clusters at the start, the rest unallocated.
        Case{"whole_disk_2047MiB", "", {}, [](json&, json& s) { Sized(s, 2047ull << 20); }},
        Case{"just_past_2GiB_keep_mbr_code", "", {Click("IDC_KEEP_MBR_CODE")},
             [](json&, json& s) { Sized(s, 2048ull << 20); }},
        Case{"lba_2100MiB_label_with_spaces", "", {Click("IDC_ENABLE_LBA")},
             [](json& j, json& s) { Sized(s, 2100ull << 20); j["actions"][1]["text"] = "A b  C "; }},
        Case{"3GiB", "", {}, [](json&, json& s) { Sized(s, 3 * kGiB); }},
        Case{"4GiB_16x63_full_format", "", {Click("IDC_QUICK_FORMAT")},
             [](json&, json& s) { Sized(s, 4 * kGiB, 16); }},
        Case{"lba_8GiB_no_auto_mount", "", {Click("IDC_ENABLE_LBA")},
             [](json&, json& s) { Sized(s, 8 * kGiB)["autoMount"] = false; }},
        // Twelve characters typed: the box takes eleven, all of them formatted.
        Case{"64GiB_128x32_eleven_character_label", "", {},
             [](json& j, json& s) { Sized(s, 64 * kGiB, 128, 32); j["actions"][1]["text"] = "Twelve chars"; }},
        Case{"3TiB", "", {}, [](json&, json& s) { Sized(s, 3 * kGiB << 10); }},
        // Network drives from D to Y: the stick's own Z: is the one letter left.
        Case{"at_the_last_letter_no_auto_mount", "", {},
             [](json& j, json& s) { Mapped(j, 'Y'); s["partitions"][0]["letter"] = "Z"; s["autoMount"] = false; }},
        Case{"4MiB_under_one_cylinder", "", {}, [](json&, json& s) { Sized(s, 4 << 20); }},
        Case{"lba_256MiB", "", {Click("IDC_ENABLE_LBA")}, [](json&, json& s) { s["size"] = 256 << 20; }},
        Case{"keep_mbr_code_full_format_16MiB", "", {Click("IDC_KEEP_MBR_CODE"), Click("IDC_QUICK_FORMAT")},
             [](json&, json& s) { s["size"] = 16 << 20; }},
        Case{"lba_1536MiB_64x32", "", {Click("IDC_ENABLE_LBA")},
             [](json&, json& s) { s.update({{"size", 1536ull << 20}, {"heads", 64}, {"sectorsPerTrack", 32}}); }},
        Case{"replugged_no_auto_mount", "", Replaced(nullptr), [](json&, json& s) { s["autoMount"] = false; }},
        // Beside the program, libraries of the names the format library loads: none is loaded.
        Case{"planted_libraries", "", {}, [](json& j, json&) { j["planted"] = {"fmifs.dll", "ulib.dll", "ifsutil.dll", "ufat.dll"}; }},
        // Pulled and plugged back among other disks: a new number, which Start writes.
        Case{"replugged_beside_another_stick", "", {},
             [](json& j, json&) { j["disks"].push_back(Guarded(-1)); ComeAndGo(j, {1}, {nullptr}); }},
        Case{"replugged_among_card_slots", "", {}, [](json& j, json&) {
                 j["disks"].insert(j["disks"].end(), {Guarded(0), Guarded(1), Guarded(2), Guarded(3), Guarded(-1)});
                 ComeAndGo(j, {2, 3, 4, 5, 1}, {Guarded(0), Guarded(1), Guarded(2), Guarded(3), nullptr});
             }},
        // Another stick given the confirmed drive number; a card reader
        // holding another card; the chosen stick pulled, its number free.
        Case{"another_stick", kQueryFailed, Replaced(OtherStick(16 << 20, "USBSTOR\\Disk&Ven_K\\2")), [](json&, json&) {}},
        // One of a pack: the same name and length, another serial number.
        Case{"same_model_other_serial", kQueryFailed, {},
             [](json& j, json& s) {
                 json twin = s;
                 twin.erase("image");
                 twin["instanceId"] = "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.07\\6&1a2b3c4d&1";
                 BeforeStart(j, Replaced(twin));
             }},
        Case{"another_length", kQueryFailed, {},
             [](json& j, json& s) { BeforeStart(j, Replaced(OtherStick(32 << 20, s["instanceId"]))); }},
        Case{"chosen_stick_pulled", kQueryFailed, {{{"do", "select"}, {"item", 0}}, {{"do", "unplug"}, {"disk", 1}}},
             [](json& j, json&) { j["disks"].push_back(OtherStick(16 << 20, "USBSTOR\\Disk&Ven_K\\2")); }},
        Case{"label_with_a_dot", kBadLabel, {}, [](json& j, json&) { j["actions"][1]["text"] = "DOS.BOOT"; }},
        Case{"label_with_a_leading_space", kBadLabel, {}, [](json& j, json&) { j["actions"][1]["text"] = " DOS"; }},
        Case{"label_beyond_ascii", kBadLabel, {}, [](json& j, json&) { j["actions"][1]["text"] = "MÜLLER"; }},
        Case{"floppy_without_the_dos_files", kNoDosFiles, {}, [](json& j, json&) { j["diskcopy"] = PE_FIXTURE_DLL; }},
        // 64 KiB, and one sector short of room for the fixture's three files.
        Case{"64KiB_stick", kNoDosFiles, {}, [](json&, json& s) { Sized(s, 64 << 10).erase("partitions"); }},
        Case{"just_big_enough_for_the_files", "", {}, [](json&, json& s) { Sized(s, 166 * 512).erase("partitions"); }},
        Case{"just_too_small_for_the_files", kNoDosFiles, {}, [](json&, json& s) { Sized(s, 165 * 512).erase("partitions"); }},
        Case{"no_format_library", "FormatEx Error[1]: Failed To Load fmifs.dll", {},
             [](json& j, json&) { j["fmifs"] = "absent"; }},
        Case{"format_library_without_formatex", "FormatEx Error[2]: Failed To Get Function Address", {},
             [](json& j, json&) { j["fmifs"] = "no-formatex"; }},
        // Network drives from D to Z, and the stick has no letter to give up.
        Case{"every_letter_taken", "Failed To Assign Drive Letter!\n\nFormatting Cannot Proceed!", {},
             [](json& j, json& s) { Mapped(j, 'Z'); s["partitions"][0].erase("letter"); }},
        Case{"no_sectors_per_track", kQueryFailed, {}, [](json&, json& s) { s["sectorsPerTrack"] = 0; }},
        Case{"sectors_per_track_64", kQueryFailed, {}, [](json&, json& s) { s["sectorsPerTrack"] = 64; }},
        Case{"no_heads", kQueryFailed, {}, [](json&, json& s) { s["heads"] = 0; }},
        Case{"heads_256", kQueryFailed, {}, [](json&, json& s) { s["heads"] = 256; }},
        Case{"one_track", kQueryFailed, {},
             [](json&, json& s) { s["size"] = 63 * 512; s.erase("partitions"); }}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });
