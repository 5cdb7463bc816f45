#include "program_run.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

extern const unsigned char g_programResources[];
extern const std::size_t g_programResources_size;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

namespace tests {

namespace {

// No test may write a protected disk unless it says so and cleans up.
class ProtectedDiskGuard : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override
    {
        for (const auto& w : winsim::ProtectedWrites())
            ADD_FAILURE() << "a write to protected disk " << w.disk << " at offset " << w.offset;
    }
};

const bool g_guardInstalled = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new ProtectedDiskGuard);
    return true;
}();

} // namespace

void FreshMachine()
{
    winsim::Reset();
    winsim::SetHarnessErrorHandler(
        [](const std::string& message) { throw std::runtime_error(message); });
    winsim::SetProgramResources(g_programResources, g_programResources_size);
}

ProgramRun::ProgramRun()
{
    FreshMachine();
    winsim::SetObserver(this);
    winsim::SetInputDriver([this](HWND dialog) {
        if (next_ >= steps_.size())
            return false;
        steps_[next_++](dialog);
        return true;
    });
    winsim::SetMessageBoxAnswerer([this](const winsim::MessageBoxCall& call) {
        boxes.push_back(call);
        events.push_back({"box", 0, (long long)call.type, call.text});
        if ((call.type & MB_TYPEMASK) == MB_OK)
            return IDOK;
        if (nextAnswer_ >= answers_.size())
            throw std::runtime_error("unanswered box: " + call.text);
        return answers_[nextAnswer_++];
    });
}

int ProgramRun::Run()
{
    char commandLine[] = "";
    return WinMain(winsim::ProgramInstance(), NULL, commandLine, SW_SHOW);
}

std::vector<std::string> ProgramRun::StatusTexts() const
{
    std::vector<std::string> texts;
    for (const auto& e : events)
        if (e.kind == "text" && e.id == IDC_STATUS)
            texts.push_back(e.text);
    return texts;
}

int ProgramRun::Count(const std::string& kind) const
{
    return (int)std::count_if(events.begin(), events.end(), [&](const Event& e) { return e.kind == kind; });
}

void ProgramRun::TextSet(HWND window, const std::string& text)
{
    events.push_back({"text", winsim::Id(window), (long long)winsim::CallLog().size(), text});
}

void ProgramRun::ShellExecuted(const winsim::ShellCall& call)
{
    shells.push_back(call);
    events.push_back({"shell", 0, call.showCommand, call.file});
}

} // namespace tests
