#include "fmifs_fixture.h"

#include <windows.h>

#include <fstream>
#include <sstream>

namespace {

std::string LogPath()
{
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + "fmifs-calls.txt";
}

} // namespace

void SetFormatExMode(const char* mode, const char* percentages)
{
    SetEnvironmentVariableA("FMIFS_FIXTURE_MODE", mode);
    SetEnvironmentVariableA("FMIFS_FIXTURE_PROGRESS", percentages);
}

void ForgetFormatExCalls()
{
    std::string path = LogPath();
    DeleteFileA(path.c_str());
    SetEnvironmentVariableA("FMIFS_FIXTURE_LOG", path.c_str());
}

std::vector<FormatExCall> FormatExCalls()
{
    std::vector<FormatExCall> calls;
    std::ifstream log(LogPath());
    std::string line;
    while (std::getline(log, line)) {
        FormatExCall call;
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, '\t')) {
            size_t equals = field.find('=');
            if (equals != std::string::npos)
                call[field.substr(0, equals)] = field.substr(equals + 1);
        }
        calls.push_back(call);
    }
    return calls;
}

std::string WindowsPathOf(const std::string& hostPath)
{
    std::string path = "Z:" + hostPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}
