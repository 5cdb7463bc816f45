#include "program_run.h"

ProgramRun::ProgramRun(const std::string& path)
{
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        error_ = "CreateProcess(" + path + ") failed, error " + std::to_string(GetLastError());
        return;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    // The dialog exists once the program first waits for input.
    WaitForInputIdle(process_, 10000);
}

ProgramRun::~ProgramRun()
{
    if (process_ == nullptr)
        return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

bool ProgramRun::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(process_, exitCode) != 0;
}
