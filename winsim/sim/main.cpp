// tarnwick-sim: runs Tarnwick on a simulated Windows XP machine built from a
// scenario, plays the user's actions and prints what happens.
#include "machine_setup.h"
#include "player.h"
#include "scenario.h"
#include "stats.h"
#include "transcript.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern const unsigned char g_programResources[];
extern const std::size_t g_programResources_size;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

int main(int argc, char** argv)
{
    // --stats FILE: the run's calls, raw disk writes and painted status texts.
    const char* statsPath = nullptr;
    if (argc == 4 && std::strcmp(argv[1], "--stats") == 0) {
        statsPath = argv[2];
        argv += 2;
        argc -= 2;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarnwick-sim [--stats FILE] SCENARIO.json\n");
        return 2;
    }
    sim::Scenario scenario;
    std::string error;
    if (!sim::LoadScenario(argv[1], scenario, error)) {
        std::fprintf(stderr, "tarnwick-sim: %s: %s\n", argv[1], error.c_str());
        return 2;
    }

    winsim::Reset();
    winsim::SetHarnessErrorHandler([](const std::string& message) {
        std::fflush(stdout);
        std::fprintf(stderr, "tarnwick-sim: %s\n", message.c_str());
        std::exit(2);
    });
    winsim::SetProgramResources(g_programResources, g_programResources_size);
    sim::BuildMachine(scenario);
    winsim::SetFormatLibrary(scenario.fmifs);
    if (scenario.diskcopy)
        winsim::SetSystemLibrary("diskcopy.dll", *scenario.diskcopy);
    for (const auto& fault : scenario.faults)
        winsim::AddFault(fault);
    // Loading one of them is reported, then goes on as if it were not there.
    for (const auto& name : scenario.planted)
        winsim::PlantProgramFolderLibrary(name, true);

    sim::Transcript transcript(stdout);
    if (!scenario.planted.empty())
        transcript.Planted(scenario.planted);
    sim::Player player(scenario, transcript);
    winsim::SetObserver(&transcript);
    winsim::SetInputDriver([&player](HWND dialog) { return player.Next(dialog); });
    winsim::SetMessageBoxAnswerer(
        [&player](const winsim::MessageBoxCall& call) { return player.Answer(call); });

    char commandLine[] = "";
    int code = WinMain(winsim::ProgramInstance(), NULL, commandLine, SW_SHOW);
    transcript.Exit(code);
    if (statsPath && !sim::WriteStats(statsPath, transcript.StatusPainted())) {
        std::fprintf(stderr, "tarnwick-sim: cannot write %s\n", statsPath);
        return 2;
    }
    // A write the program tried on a protected disk, or a planted library
    // loaded, fails the run.
    return winsim::ProtectedWrites().empty() && winsim::PlantedLibraryLoads() == 0 ? code : 3;
}
