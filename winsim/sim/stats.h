// What a run cost the machine, for measuring the program rather than
// checking it: every call made, by name, and every raw write to a disk.
#ifndef TARNWICK_SIM_STATS_H
#define TARNWICK_SIM_STATS_H

#include <string>

namespace sim {

// Writes the figures of the run so far as one JSON object; false when the
// file cannot be written.
bool WriteStats(const std::string& path);

} // namespace sim

#endif
