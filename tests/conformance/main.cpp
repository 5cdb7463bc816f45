// Runs every case and prints the transcript: conformance [TRANSCRIPT-FILE].
// What only winsim vouches for (Wine cannot show it, or shows it otherwise
// than Windows), and what it is modelled on:
// - Disk and volume requests on \\.\PHYSICALDRIVEn, on a disk's interface
//   path and on \\.\X: (geometry, partition information, device numbers,
//   layouts, lock, unlock, dismount) and sector transfers: Wine has no raw
//   disks. winioctl.h's structures and documented rules (a layout buffer too
//   small fails with ERROR_INSUFFICIENT_BUFFER; unbuffered transfers take
//   whole sectors). Disk numbers as Windows gives them (the lowest free at
//   arrival, kept; the Disk service list in order of arrival).
// - FormatEx: Wine has no fmifs.dll. mkfs.fat with Windows XP's cluster
//   sizes; BIOS drive 00h in the boot sector of removable media, 80h on a
//   fixed disk, as Windows' format writes (why the program sets 80h itself).
//   Its imports and its load of ufat.dll go through the search shown here.
// - Volume names, mount points, the letter a new partition gets, the
//   registry of disks and letters (Enum keys, FriendlyName, MountedDevices):
//   Wine knows only its own drives. The documented \\?\Volume{GUID}\ names,
//   the first free letter from C:, the keys Windows XP writes.
// - CB_SETCURSEL past the end clears the selection, as documented (Wine
//   keeps it); the program does it only with nothing selected.
// - GetVolumeInformationA wants the root's backslash, as documented (Wine
//   also takes "C:"); the program always passes it.
// - Painting: what a closed box uncovers on its owner waits for a paint on
//   Windows XP; Wine keeps every window's pixels, and winsim models none.
// - A disabled window takes no input; the cases send the user's messages
//   straight to the controls, which Windows delivers whatever the state.
#include "conformance.h"

#include <cstdio>

static std::FILE* g_out = stdout;

Line::~Line()
{
    std::fprintf(g_out, "%s\n", dump(-1, ' ', true, error_handler_t::replace).c_str());
    std::fflush(g_out);
}

void Step(const char* group, const char* step, bool failed, const nlohmann::ordered_json& answer)
{
    DWORD error = GetLastError();
    Line line(group, step);
    line["answer"] = answer;
    if (failed)
        line["error"] = error;
}

int main(int argc, char** argv)
{
    if (argc > 1 && !(g_out = std::fopen(argv[1], "wb"))) {
        std::fprintf(stderr, "conformance: cannot write %s\n", argv[1]);
        return 2;
    }
    if (!world::Start())
        return 2;
    for (auto run : {RegistryCase, FilesCase, ModulesCase, DialogCase, TextCase, DrivesCase})
        run();
    bool clean = world::Finish();
    std::fclose(g_out);
    return clean ? 0 : 1;
}
