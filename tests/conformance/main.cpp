// Runs every case and prints the transcript: conformance [TRANSCRIPT-FILE].
// Its lines are flat JSON objects in printable ASCII, so that both sides
// print the same bytes for the same answers.
//
// What only winsim vouches for. No transcript compares these, because Wine
// cannot show them or shows them otherwise than Windows; each is modelled
// for the reason given.
// - Disk and volume control requests on \\.\PHYSICALDRIVEn and \\.\X:
//   (geometry, partition information, device numbers, drive layouts read
//   and set, lock, unlock, dismount) and sector transfers on those handles:
//   Wine has no raw disks. Modelled on the structures and return rules
//   winioctl.h documents (a layout buffer too small fails with
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
// - CB_SETCURSEL past the end clears the selection: its documentation says
//   so, and Wine keeps the old one. The dialog case selects past the end
//   only with nothing selected, as the program does right after a reset.
// - GetVolumeInformationA wants the root's trailing backslash ("C:\"), as
//   its documentation says; Wine also takes "C:". The program always passes
//   the backslash.
// - A disabled control, or any control of a disabled dialog, takes no click
//   or key: Windows gives no input to a disabled window. The cases play the
//   user with messages sent straight to the control, which Windows delivers
//   whatever the state, so they cannot show it.
#include "conformance.h"

#include <cstdio>

namespace conformance {

namespace {

std::FILE* g_out = stdout;

} // namespace

Line::Line(const char* group, const char* step)
{
    Text("case", group).Text("step", step);
}

Line::~Line()
{
    text_ += "}\n";
    std::fputs(text_.c_str(), g_out);
    std::fflush(g_out);
}

Line& Line::Key(const char* name)
{
    text_ += text_.empty() ? "{\"" : ",\"";
    text_ += name;
    text_ += "\":";
    return *this;
}

Line& Line::Num(const char* name, long long value)
{
    Key(name).text_ += std::to_string(value);
    return *this;
}

Line& Line::Flag(const char* name, bool value)
{
    Key(name).text_ += value ? "true" : "false";
    return *this;
}

Line& Line::Text(const char* name, const char* text, std::size_t length)
{
    Key(name).text_ += text ? "\"" : "null";
    for (std::size_t i = 0; text && i < length && (length != std::string::npos || text[i]); i++) {
        unsigned char c = (unsigned char)text[i];
        char piece[8] = {(char)c, 0};
        if (c == '"' || c == '\\' || c < 0x20 || c >= 0x7F)
            std::snprintf(piece, sizeof piece, c == '"' || c == '\\' ? "\\%c" : "\\u%04x", c);
        text_ += piece;
    }
    if (text)
        text_ += "\"";
    return *this;
}

Line& Line::Hex(const char* name, const void* bytes, std::size_t length)
{
    Key(name).text_ += "\"";
    for (std::size_t i = 0; i < length; i++) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", ((const unsigned char*)bytes)[i]);
        text_ += pair;
    }
    text_ += "\"";
    return *this;
}

Line& Line::Outcome(bool ok, DWORD error)
{
    return ok ? Flag("ok", true) : Flag("ok", false).Num("error", error);
}

} // namespace conformance

int main(int argc, char** argv)
{
    if (argc > 1 && !(conformance::g_out = std::fopen(argv[1], "wb"))) {
        std::fprintf(stderr, "conformance: cannot write %s\n", argv[1]);
        return 2;
    }
    if (!world::Start())
        return 2;
    conformance::RegistryCase();
    conformance::FilesCase();
    conformance::MemoryCase();
    conformance::ModulesCase();
    conformance::DialogCase();
    conformance::FormatCase();
    conformance::TextCase();
    conformance::DrivesCase();
    bool clean = world::Finish();
    std::fclose(conformance::g_out);
    return clean ? 0 : 1;
}
