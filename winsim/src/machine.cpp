// The machine itself: reset, faults, call log, observers and harness errors.
#include "machine.h"
#include "storage.h"

#include <cstdio>
#include <cstdlib>

namespace winsim {

namespace {
std::unique_ptr<Machine> g_machine;
}

Machine::Machine() : storage(std::make_unique<Storage>()) {}
Machine::~Machine() = default;

Machine& M()
{
    if (!g_machine)
        g_machine = std::make_unique<Machine>();
    return *g_machine;
}

// The program's process outlives the machines tests build for it: its own
// resources, the libraries it loaded and its critical sections stay.
void Reset()
{
    auto fresh = std::make_unique<Machine>();
    if (g_machine) {
        fresh->programResources = std::move(g_machine->programResources);
        fresh->modules = std::move(g_machine->modules);
        fresh->foundResources = std::move(g_machine->foundResources);
        fresh->loadedResources = std::move(g_machine->loadedResources);
        fresh->nextResource = g_machine->nextResource;
        fresh->criticalSections = std::move(g_machine->criticalSections);
    }
    g_machine = std::move(fresh);
}

void AddFault(const Fault& fault)
{
    M().faults.push_back({fault, 0});
}

const std::vector<std::string>& CallLog()
{
    return M().callLog;
}

const std::vector<std::string>& OpenedPaths()
{
    return M().openedPaths;
}

int CallCount(const std::string& function)
{
    int count = 0;
    for (const auto& name : M().callLog)
        count += name == function;
    return count;
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); i++) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? (char)(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? (char)(b[i] + 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

bool Enter(const char* function, const CallContext& context, DWORD* error, bool* shortTransfer)
{
    Machine& m = M();
    m.callLog.push_back(function);
    bool fires = false;
    for (auto& state : m.faults) {
        const Fault& f = state.fault;
        if (f.call != function)
            continue;
        if (!f.code.empty() && (!context.code || f.code != context.code))
            continue;
        if (!f.path.empty() && (!context.path || !EqualsIgnoreCase(f.path, context.path)))
            continue;
        state.seen++;
        if (state.seen == f.nth && !fires) {
            fires = true;
            if (error)
                *error = f.error;
            if (shortTransfer)
                *shortTransfer = f.shortTransfer;
        }
    }
    return fires;
}

bool Failing(const char* function)
{
    DWORD error = 0;
    if (!Enter(function, {}, &error))
        return false;
    M().lastError = error;
    return true;
}

void SetObserver(Observer* observer)
{
    M().observer = observer;
}

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer)
{
    M().answerer = std::move(answerer);
}

void SetMessageHook(MessageHook hook)
{
    M().messageHook = std::move(hook);
}

void SetInputDriver(InputDriver driver)
{
    M().driver = std::move(driver);
}

void SetHarnessErrorHandler(HarnessErrorHandler handler)
{
    M().harnessError = std::move(handler);
}

void HarnessError(const std::string& message)
{
    if (M().harnessError)
        M().harnessError(message);
    std::fprintf(stderr, "winsim: %s\n", message.c_str());
    std::fflush(stdout);
    std::exit(2);
}

} // namespace winsim
