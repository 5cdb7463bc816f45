// The transcript tarnwick-sim prints: one JSON object a line.
#ifndef TARNWICK_SIM_TRANSCRIPT_H
#define TARNWICK_SIM_TRANSCRIPT_H

#include "winsim/sim.h"

#include <cstdio>
#include <string>
#include <vector>

namespace sim {

class Transcript : public winsim::Observer {
public:
    explicit Transcript(std::FILE* out) : out_(out) {}

    void DialogOpened(HWND dialog, int id, const std::string& title) override;
    void DialogEnded(HWND dialog, int id, INT_PTR result) override;
    void TextSet(HWND window, const std::string& text) override;
    void Painted(HWND window, const std::string& text) override;
    void ShellExecuted(const winsim::ShellCall& call) override;
    void Slept(DWORD milliseconds) override;
    void ProtectedWriteAttempted(const winsim::ProtectedWrite& write) override;
    void PlantedLibraryLoaded(const std::string& name) override;

    void Planted(const std::vector<std::string>& names);
    void List(HWND mainDialog);
    void Box(const winsim::MessageBoxCall& call, const std::string& answer);
    void Exit(int code);

    // The status line's text each time it was painted, in order: for the
    // statistics, since the transcript's lines are a contract.
    const std::vector<std::string>& StatusPainted() const { return statusPainted_; }

private:
    void Print(const std::string& line);
    std::FILE* out_;
    std::vector<std::string> statusPainted_;
};

} // namespace sim

#endif
