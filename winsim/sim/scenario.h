// A tarnwick-sim scenario: the simulated machine, the user's answers and
// actions, as read from its JSON file.
#ifndef TARNWICK_SIM_SCENARIO_H
#define TARNWICK_SIM_SCENARIO_H

#include "winsim/sim.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct PartitionSpec {
    int slot = 0;
    std::uint32_t start = 0;
    std::uint32_t sectors = 0;
    int type = 0;
    bool active = false;
    std::string format = "raw"; // "fat", "fat32" or "raw"
    std::string label;
    char letter = 0;            // 'A'..'Z', 0 for none
};

struct DiskSpec {
    std::optional<std::string> friendlyName;
    std::string instanceId;
    bool removable = false;
    int bytesPerSector = 512;
    std::uint64_t size = 0;
    int heads = 255;
    int sectorsPerTrack = 63;
    std::optional<std::string> image; // resolved host path
    bool isProtected = false;
    bool autoMount = true;
    std::vector<PartitionSpec> partitions;
};

struct Action {
    std::string kind;      // the "do" value
    int item = 0;          // select
    std::string control;   // click, type
    std::string text;      // type
    std::int64_t percent = 0;
    int disk = 0;          // unplug
    DiskSpec plugged;      // plug
};

struct Scenario {
    std::vector<DiskSpec> disks;
    std::map<char, std::string> letters; // letter -> "floppy", "cdrom", "network"
    std::optional<std::string> diskcopy; // resolved host path
    std::string fmifs = "present";
    std::vector<std::string> planted; // libraries lying in the program's folder
    std::vector<winsim::Fault> faults;
    std::vector<std::string> answers;
    std::vector<Action> actions;
};

// Reads and checks a scenario; false with a one-line message when it is not
// valid JSON, names something unknown or lacks a required field.
bool LoadScenario(const std::string& path, Scenario& out, std::string& error);
bool ParseScenario(const std::string& json, const std::string& baseDir, Scenario& out,
                   std::string& error);

// The control names the actions may use, with their identifiers.
int ControlId(const std::string& name);

} // namespace sim

#endif
