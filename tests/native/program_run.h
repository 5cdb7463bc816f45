// Runs the program's own entry point on a fresh simulated machine, with the
// user's inputs given as steps, and records what the machine reports.
#ifndef TARNWICK_TESTS_PROGRAM_RUN_H
#define TARNWICK_TESTS_PROGRAM_RUN_H

#include "winsim/sim.h"

#include <functional>
#include <string>
#include <vector>

namespace tests {

struct Event {
    std::string kind; // dialog, dialog-end, text, box, shell
    int id = 0;
    long long value = 0; // a box's type; for a text, the calls made before it
    std::string text;
};

class ProgramRun : public winsim::Observer {
public:
    ProgramRun();
    ~ProgramRun() override { winsim::SetObserver(nullptr); }

    // Each step is played when a dialog waits for input; then Escape.
    void Then(std::function<void(HWND dialog)> step) { steps_.push_back(std::move(step)); }
    // Answers for boxes that need a choice, in order.
    void Answer(int id) { answers_.push_back(id); }

    int Run();

    std::vector<Event> events;
    std::vector<winsim::MessageBoxCall> boxes;
    std::vector<winsim::ShellCall> shells;

    std::vector<std::string> StatusTexts() const;
    int Count(const std::string& kind) const;

private:
    void DialogOpened(HWND, int id, const std::string& t) override { events.push_back({"dialog", id, 0, t}); }
    void DialogEnded(HWND, int id, INT_PTR r) override { events.push_back({"dialog-end", id, r, ""}); }
    void TextSet(HWND window, const std::string& text) override;
    void ShellExecuted(const winsim::ShellCall& call) override;

    std::vector<std::function<void(HWND)>> steps_;
    std::vector<int> answers_;
    std::size_t next_ = 0, nextAnswer_ = 0;
};

// A fresh machine with the program's resources, for tests that drive dialog
// procedures or winsim directly.
void FreshMachine();

} // namespace tests

#endif
