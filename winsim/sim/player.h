// Plays a scenario's answers and actions as the user of the program.
#ifndef TARNWICK_SIM_PLAYER_H
#define TARNWICK_SIM_PLAYER_H

#include "scenario.h"
#include "transcript.h"

#include <cstddef>
#include <deque>

namespace sim {

class Player {
public:
    Player(const Scenario& scenario, Transcript& transcript);

    // The input driver: performs the next action in the waiting dialog;
    // false when every action has been played.
    bool Next(HWND dialog);

    // The message box answerer: the next answer from the queue.
    int Answer(const winsim::MessageBoxCall& call);

private:
    void PlayInMain(HWND dialog, const Action& action);
    void PlayInAbout(HWND dialog, const Action& action);
    HWND Control(HWND dialog, const std::string& name);

    const Scenario& scenario_;
    Transcript& transcript_;
    std::size_t next_ = 0;
    std::deque<std::string> answers_;
};

} // namespace sim

#endif
