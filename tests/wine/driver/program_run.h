// One run of a program: started at construction, ended by then at the latest.
#ifndef TARNWICK_WINE_PROGRAM_RUN_H
#define TARNWICK_WINE_PROGRAM_RUN_H

#include <windows.h>

#include <string>

class ProgramRun {
public:
    explicit ProgramRun(const std::string& path);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const { return process_ != nullptr; }
    DWORD Id() const { return id_; }
    const std::string& Error() const { return error_; }

    // Waits for the program to end; false if it is still running after
    // timeoutMs. exitCode receives its exit code.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    std::string error_;
};

#endif
