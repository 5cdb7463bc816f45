// A stand-in for the Windows format library. FormatEx formats nothing: it
// drives the caller's callback as the test asks and writes down what it was
// given. Read at every call, from the environment:
//
//   FMIFS_FIXTURE_MODE      "success" (the default): the progress reports,
//                           then completion TRUE; "failure": the reports,
//                           then completion FALSE; "silent": the reports and
//                           no completion at all
//   FMIFS_FIXTURE_PROGRESS  the percentages to report, comma-separated
//                           (default 0,25,50,75,100)
//   FMIFS_FIXTURE_LOG       a file that gets one line per call, tab-separated
//                           key=value fields: root, media, fs, label (the
//                           text "(null)" for a null pointer), quick,
//                           cluster, answers (the callback's results in
//                           order, completion last) and slip (the largest
//                           stack error of the callback calls, 0 when right)
//
// A FALSE answer to a progress report stops the reports; completion FALSE
// follows, whatever the mode.
#include "stdcall_probe.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const DWORD kProgress = 0;
const DWORD kDone = 11;

std::string Environment(const char* name, const char* fallback)
{
    char value[1024];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    if (length == 0 || length >= sizeof value)
        return fallback;
    return value;
}

std::vector<DWORD> Percentages(const std::string& list)
{
    std::vector<DWORD> result;
    const char* next = list.c_str();
    while (*next != 0) {
        char* end = nullptr;
        result.push_back(std::strtoul(next, &end, 10));
        next = *end == ',' ? end + 1 : end + std::strlen(end);
    }
    return result;
}

std::string Utf8(const WCHAR* text)
{
    if (text == nullptr)
        return "(null)";
    char buffer[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

struct CallbackTrace {
    std::string answers;
    LONG slip = 0;

    BOOLEAN Call(FormatCallback callback, DWORD command, void* argument)
    {
        LONG thisSlip = 0;
        BOOLEAN answer = CallMeasuringStack(callback, command, 0, argument, &thisSlip);
        if (!answers.empty())
            answers += ',';
        answers += std::to_string((unsigned)answer);
        if (std::labs(thisSlip) > std::labs(slip))
            slip = thisSlip;
        return answer;
    }
};

void AppendToLog(const std::string& line)
{
    std::string path = Environment("FMIFS_FIXTURE_LOG", "");
    if (path.empty())
        return;
    if (FILE* log = std::fopen(path.c_str(), "ab")) {
        std::fputs((line + "\n").c_str(), log);
        std::fclose(log);
    }
}

} // namespace

extern "C" void WINAPI FormatEx(WCHAR* driveRoot, DWORD mediaType, WCHAR* fileSystem,
                                WCHAR* label, BOOL quick, DWORD clusterSize,
                                FormatCallback callback)
{
    std::string mode = Environment("FMIFS_FIXTURE_MODE", "success");
    CallbackTrace trace;
    bool stopped = false;
    for (DWORD percent : Percentages(Environment("FMIFS_FIXTURE_PROGRESS", "0,25,50,75,100"))) {
        if (!trace.Call(callback, kProgress, &percent)) {
            stopped = true;
            break;
        }
    }
    if (stopped || mode != "silent") {
        // The flag is the first byte; the ones after it are set, so a reader
        // that takes more than one byte sees success where there is none.
        BYTE done[4] = {(BYTE)(!stopped && mode == "success"), 0xA5, 0xA5, 0xA5};
        trace.Call(callback, kDone, done);
    }
    AppendToLog("root=" + Utf8(driveRoot) + "\tmedia=" + std::to_string(mediaType) +
                "\tfs=" + Utf8(fileSystem) + "\tlabel=" + Utf8(label) +
                "\tquick=" + std::to_string(quick) + "\tcluster=" + std::to_string(clusterSize) +
                "\tanswers=" + trace.answers + "\tslip=" + std::to_string(trace.slip));
}
