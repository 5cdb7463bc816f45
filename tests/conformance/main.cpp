// Runs every case and prints the transcript: conformance [TRANSCRIPT-FILE].
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

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : nullptr;
    if (!conformance::OpenTranscript(path)) {
        std::fprintf(stderr, "conformance: cannot write %s\n", path ? path : "the transcript");
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
    conformance::CloseTranscript();
    return clean ? 0 : 1;
}
