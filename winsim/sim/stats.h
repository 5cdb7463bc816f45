// What a run did beside its transcript: every call made, by name, every raw
// write to a disk, and the status line's texts as they were painted.
#ifndef TARNWICK_SIM_STATS_H
#define TARNWICK_SIM_STATS_H

#include <string>
#include <vector>

namespace sim {

// Writes the figures of the run so far as one JSON object; false when the
// file cannot be written.
bool WriteStats(const std::string& path, const std::vector<std::string>& statusPainted);

} // namespace sim

#endif
