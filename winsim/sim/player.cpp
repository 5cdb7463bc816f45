#include "player.h"

#include "machine_setup.h"

#include "res/resource.h"
#include "volume/format.h"

namespace sim {

namespace {

std::string Describe(const Action& action, std::size_t index)
{
    std::string text = "action " + std::to_string(index) + " (" + action.kind;
    if (!action.control.empty())
        text += " " + action.control;
    return text + ")";
}

int AnswerId(const std::string& answer)
{
    if (answer == "yes")
        return IDYES;
    if (answer == "no")
        return IDNO;
    if (answer == "cancel")
        return IDCANCEL;
    return IDOK;
}

bool BoxOffers(UINT type, const std::string& answer)
{
    switch (type & MB_TYPEMASK) {
    case MB_OK: return answer == "ok";
    case MB_OKCANCEL: return answer == "ok" || answer == "cancel";
    case MB_YESNO: return answer == "yes" || answer == "no";
    case MB_YESNOCANCEL: return answer == "yes" || answer == "no" || answer == "cancel";
    default: return false;
    }
}

} // namespace

Player::Player(const Scenario& scenario, Transcript& transcript)
    : scenario_(scenario), transcript_(transcript),
      answers_(scenario.answers.begin(), scenario.answers.end())
{
}

HWND Player::Control(HWND dialog, const std::string& name)
{
    HWND control = winsim::DialogItem(dialog, ControlId(name));
    if (!control)
        winsim::HarnessError(name + " is not a control of the open dialog " +
                             std::to_string(winsim::DialogTemplateId(dialog)));
    return control;
}

bool Player::Next(HWND dialog)
{
    if (next_ >= scenario_.actions.size())
        return false;
    std::size_t index = next_++;
    const Action& action = scenario_.actions[index];
    if (winsim::DialogTemplateId(dialog) == IDD_ABOUT) {
        bool own = action.kind == "escape" || action.kind == "click-anywhere" ||
                   (action.kind == "click" && action.control == "IDC_ABOUT_ICON");
        if (!own)
            winsim::HarnessError("the About box is open and " + Describe(action, index) +
                                 " is not one of its inputs");
        PlayInAbout(dialog, action);
        return true;
    }
    PlayInMain(dialog, action);
    return true;
}

void Player::PlayInAbout(HWND dialog, const Action& action)
{
    if (action.kind == "escape")
        winsim::UserEscape(dialog);
    else if (action.kind == "click-anywhere")
        winsim::UserClickAnywhere(dialog);
    else
        winsim::UserClick(Control(dialog, action.control));
}

void Player::PlayInMain(HWND dialog, const Action& action)
{
    bool opensAbout = false;
    if (action.kind == "select") {
        if (!winsim::UserSelect(winsim::DialogItem(dialog, IDC_DISK_LIST), action.item))
            winsim::HarnessError("the disk list has no item " + std::to_string(action.item));
    } else if (action.kind == "type") {
        winsim::UserType(Control(dialog, action.control), action.text);
    } else if (action.kind == "click") {
        HWND control = Control(dialog, action.control);
        opensAbout = action.control == "IDC_ABOUT" && winsim::Enabled(control);
        winsim::UserClick(control);
    } else if (action.kind == "enter") {
        winsim::UserEnter(dialog);
    } else if (action.kind == "escape") {
        winsim::UserEscape(dialog);
    } else if (action.kind == "close") {
        winsim::UserClose(dialog);
    } else if (action.kind == "click-anywhere") {
        winsim::UserClickAnywhere(dialog);
    } else if (action.kind == "progress") {
        BYTE proceed = TRUE;
        winsim::DeliverMessage(dialog, WM_FORMAT_PROGRESS, (WPARAM)(DWORD)action.percent,
                               (LPARAM)&proceed);
    } else if (action.kind == "unplug") {
        winsim::UnplugDisk(action.disk); // by device number; a harness error when none has it
    } else if (action.kind == "plug") {
        AddScenarioDisk(action.plugged);
    }

    // The About box reports itself through its own dialog events.
    if (!opensAbout && winsim::IsOpen(dialog) && winsim::TopDialog() == dialog)
        transcript_.List(dialog);
}

int Player::Answer(const winsim::MessageBoxCall& call)
{
    std::string answer;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    } else if ((call.type & MB_TYPEMASK) == MB_OK) {
        answer = "ok";
    } else {
        winsim::HarnessError("the box \"" + call.text + "\" needs an answer and none is left");
    }
    if (!BoxOffers(call.type, answer))
        winsim::HarnessError("the answer \"" + answer + "\" is not a button of the box \"" +
                             call.text + "\"");
    transcript_.Box(call, answer);
    return AnswerId(answer);
}

} // namespace sim
