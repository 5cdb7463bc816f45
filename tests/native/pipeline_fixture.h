// The stick job the whole-program suites start from: the machine and the
// user of tests/scenarios/one-stick.json, shaped by each case, then run by
// tarnwick-sim or built in this process.
#ifndef TARNWICK_TESTS_PIPELINE_FIXTURE_H
#define TARNWICK_TESTS_PIPELINE_FIXTURE_H

#include "program_run.h"
#include "winsim/sim/machine_setup.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace tests {

namespace fs = std::filesystem;
using nlohmann::json;

// With the fixture diskcopy.dll: pick the stick, label it, tick Quick
// Format, press Start and answer Yes.
inline json StickJob()
{
    json job = json::parse(std::ifstream(ONE_STICK_JSON));
    job["diskcopy"] = DISKCOPY_DLL;
    return job;
}

inline json Click(const char* control)
{
    return {{"do", "click"}, {"control", control}};
}

// Actions played right before Start is pressed.
inline void BeforeStart(json& job, const std::vector<json>& actions)
{
    for (const json& action : actions)
        job["actions"].insert(job["actions"].end() - 1, action);
}

// The job's machine, in this process.
inline void BuildMachine(const json& job)
{
    sim::Scenario scenario;
    std::string error;
    ASSERT_TRUE(sim::ParseScenario(job.dump(), ".", scenario, error)) << error;
    sim::BuildMachine(scenario);
    winsim::SetSystemLibrary("diskcopy.dll", *scenario.diskcopy);
}

// A command's exit status; what it writes on standard output in output.
inline int Shell(const std::string& command, std::string* output = nullptr)
{
    std::FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        if (output)
            output->append(buffer, n);
    int raw = pclose(pipe);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// tarnwick-sim in a folder of the process's own, which holds the scenario, its
// disk images and what the run reports.
struct SimRun {
    fs::path dir = fs::temp_directory_path() / ("tarnwick-sim-" + std::to_string(getpid()));
    int status = -1;
    std::vector<json> transcript; // one object a line
    std::string errors;
    json stats; // the calls made and the raw writes

    SimRun() { fs::create_directories(dir); }
    ~SimRun() { fs::remove_all(dir); }

    void Run(const std::string& scenario)
    {
        std::ofstream(dir / "scenario.json") << scenario;
        std::string out, d = "'" + dir.string() + "/";
        status = Shell(std::string("'") + TARNWICK_SIM + "' --stats " + d + "stats' " + d +
                       "scenario.json' 2>" + d + "errors'", &out);
        std::istringstream lines(out);
        transcript.clear();
        for (std::string line; std::getline(lines, line);)
            transcript.push_back(json::parse(line));
        std::ifstream err(dir / "errors"), written(dir / "stats");
        errors.assign(std::istreambuf_iterator<char>(err), {});
        stats = status == 2 ? json() : json::parse(written);
    }

    std::vector<json> Events(const std::string& kind) const
    {
        std::vector<json> found;
        std::copy_if(transcript.begin(), transcript.end(), std::back_inserter(found),
                     [&](const json& e) { return e["event"] == kind; });
        return found;
    }
};

} // namespace tests

#endif
