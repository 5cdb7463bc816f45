// Runs every case and prints the transcript: conformance [TRANSCRIPT-FILE].
//
// What only winsim vouches for, because Wine cannot show it or shows it
// otherwise than Windows; each is modelled for the reason given.
// - Disk and volume control requests on \\.\PHYSICALDRIVEn and \\.\X:
//   (geometry, partition information, device numbers, drive layouts read
//   and set, lock, unlock, dismount) and sector transfers on them: Wine has
//   no raw disks. Modelled on the structures and return rules winioctl.h
//   documents (a layout buffer too small fails with
//   ERROR_INSUFFICIENT_BUFFER; unbuffered transfers take whole sectors).
// - The format library's FormatEx: Wine has no fmifs.dll. mkfs.fat formats
//   with the cluster sizes Windows XP's format picks, and writes BIOS drive
//   00h into the boot sector of removable media and 80h on a fixed disk, as
//   Windows' format does (the reason the program sets 80h itself).
// - Volume names and mount points (GetVolumeNameForVolumeMountPointA,
//   SetVolumeMountPointA) and the letter the mount manager gives a new
//   partition by itself: Wine's mount manager knows only its own drives.
//   Modelled on the documented \\?\Volume{GUID}\ names and on the first
//   free letter from C: that Windows gives a new removable volume.
// - The registry Windows keeps of disks and letters (the Disk service's
//   Enum key, devices' FriendlyName, MountedDevices): a Wine prefix has none.
//   Modelled on the keys and values Windows XP writes.
// - CB_SETCURSEL past the end clears the selection, as documented; Wine
//   keeps the old one. The dialog case does it only with nothing selected,
//   as the program does right after a reset.
// - GetVolumeInformationA wants the root's trailing backslash ("C:\"), as
//   documented; Wine also takes "C:". The program always passes it.
// - A disabled control, or any control of a disabled dialog, takes no click
//   or key: Windows gives no input to a disabled window. The cases play the
//   user with messages sent straight to the control, which Windows delivers
//   whatever the state, so they cannot show it.
#include "conformance.h"

#include <cstdio>

static std::FILE* g_out = stdout;

Line::Line(const char* group, const char* step)
    : nlohmann::ordered_json({{"case", group}, {"step", step}})
{
}

Line::~Line()
{
    std::fprintf(g_out, "%s\n", dump(-1, ' ', true, error_handler_t::replace).c_str());
    std::fflush(g_out);
}

std::string Hex(const void* bytes, std::size_t length)
{
    std::string text;
    for (std::size_t i = 0; i < length; i++)
        for (int shift : {4, 0})
            text += "0123456789abcdef"[(((const unsigned char*)bytes)[i] >> shift) & 15];
    return text;
}

int main(int argc, char** argv)
{
    if (argc > 1 && !(g_out = std::fopen(argv[1], "wb"))) {
        std::fprintf(stderr, "conformance: cannot write %s\n", argv[1]);
        return 2;
    }
    if (!world::Start())
        return 2;
    RegistryCase();
    FilesCase();
    ModulesCase();
    DialogCase();
    TextCase();
    DrivesCase();
    bool clean = world::Finish();
    std::fclose(g_out);
    return clean ? 0 : 1;
}
