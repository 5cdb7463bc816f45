// Builds the simulated machine that a scenario describes.
#ifndef TARNWICK_SIM_MACHINE_SETUP_H
#define TARNWICK_SIM_MACHINE_SETUP_H

#include "scenario.h"

namespace sim {

// Adds the disks with their partition tables, volumes and letters.
void BuildMachine(const Scenario& scenario);

// Adds one disk at the end of the enumeration, as plugging it in does.
int AddScenarioDisk(const DiskSpec& disk);

} // namespace sim

#endif
