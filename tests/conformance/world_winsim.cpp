// The simulated Windows: a fresh machine with the program's resources, a
// FAT volume at C: for the file cases, the test libraries, and the user
// played through winsim's own input.
#include "conformance.h"

#include "app/text.h"
#include "winsim/sim/machine_setup.h"

#include <cstdio>

extern const unsigned char g_programResources[];
extern const std::size_t g_programResources_size;

namespace world {

bool Start()
{
    winsim::Reset();
    winsim::SetProgramResources(g_programResources, g_programResources_size);
    sim::DiskSpec disk;
    disk.size = 32ull << 20;
    // One FAT partition a track in, at C:.
    disk.partitions.push_back({0, 63, (std::uint32_t)(disk.size / 512) - 63, 0x06, false, "fat",
                               "", 'C'});
    sim::AddScenarioDisk(disk);
    for (const char* name : {kResourceLibrary, kImportingLibrary, kImportedLibrary})
        winsim::SetSystemLibrary(name, std::string(SYSTEM_FOLDER) + name);
    winsim::PlantProgramFolderLibrary(kResourceLibrary);
    winsim::PlantProgramFolderLibrary(kImportedLibrary);
    return true;
}

// Anything still open is a leak of the cases.
bool Finish()
{
    int open[] = {winsim::OpenHandleCount(), winsim::MemoryBlockCount(),
                  winsim::LoadedResourceCount()};
    if (open[0] || open[1] || open[2])
        std::fprintf(stderr, "winsim: left open: %d handles, %d memory blocks, %d resources\n",
                     open[0], open[1], open[2]);
    return !open[0] && !open[1] && !open[2];
}

void SetRegistryValue(const char* keyPath, const char* name, DWORD type, const void* data,
                      DWORD size)
{
    winsim::SetRegistryValue(keyPath, name, type, Bytes(data, size));
}

const char* FileFolder() { return "C:\\"; }

// The steps end the dialog; the About box they open ends by itself.
void WhenWaiting(HWND dialog)
{
    winsim::SetInputDriver([dialog](HWND waiting) {
        if (waiting == dialog)
            winsim::DeliverMessage(dialog, kRunSteps, 0, 0);
        return waiting == dialog;
    });
}

void Click(HWND control) { winsim::UserClick(control); }
void Type(HWND edit, const char* text) { winsim::UserType(edit, text); }
void PressEnter(HWND dialog) { winsim::UserEnter(dialog); }

std::string Screen(HWND control) { return winsim::PaintedText(control); }
void BoxClosesItself(HWND) {}

int SystemFormat(char* buffer, const char* format, va_list args)
{
    return FormatTextV(buffer, 1025, format, args);
}

} // namespace world
