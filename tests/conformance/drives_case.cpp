// Drive letters as the product finds a free one and gives it to a volume:
// the logical drives, and a DOS device name defined, read and removed.
#include "conformance.h"

#include <cstring>
#include <string>

namespace conformance {

namespace {

const char kTarget[] = "\\device\\harddisk7\\partition1";

// The answer with both its terminators.
void Query(const char* step, const char* device, DWORD size)
{
    char answer[300];
    std::memset(answer, 'x', sizeof answer);
    SetLastError(0);
    DWORD length = QueryDosDeviceA(device, answer, size);
    DWORD error = GetLastError();
    Line line("drives", step);
    line.Num("length", length);
    if (length == 0)
        line.Num("error", error);
    else
        line.Text("target", answer, length);
}

void Volume(const char* step, const char* root)
{
    char label[12];
    std::memset(label, 'x', sizeof label);
    SetLastError(0);
    BOOL ok = GetVolumeInformationA(root, label, sizeof label, NULL, NULL, NULL, NULL, 0);
    DWORD error = GetLastError();
    Line line("drives", step);
    line.Outcome(ok, error);
    if (ok)
        line.Text("label", label);
}

// Defines or removes the device name, and prints whether its letter is
// listed afterwards.
void Define(const char* step, const char* device, DWORD flags)
{
    SetLastError(0);
    BOOL ok = DefineDosDeviceA(flags | DDD_RAW_TARGET_PATH | DDD_NO_BROADCAST_SYSTEM, device,
                               kTarget);
    DWORD error = GetLastError();
    Line("drives", step)
        .Outcome(ok, error)
        .Flag("listed", (GetLogicalDrives() >> (device[0] - 'A')) & 1);
}

} // namespace

void DrivesCase()
{
    // Which letters a machine has differs; how the calls answer must not.
    DWORD mask = GetLogicalDrives();
    std::string expected;
    for (int bit = 0; bit < 26; bit++)
        if ((mask >> bit) & 1)
            expected += std::string{(char)('A' + bit), ':', '\\', 0};
    DWORD listed = (DWORD)expected.size();
    char list[4 * 26 + 2];
    std::memset(list, 'x', sizeof list);
    DWORD exact = GetLogicalDriveStringsA(listed + 1, list);
    Line("drives", "logical drives")
        .Flag("some", mask != 0)
        .Num("needed beyond the list", (long long)GetLogicalDriveStringsA(0, NULL) - listed)
        .Num("exact buffer beyond the list", (long long)exact - listed)
        .Flag("exact buffer lists the mask", std::memcmp(list, expected.c_str(), listed + 1) == 0)
        .Num("one short beyond the list", (long long)GetLogicalDriveStringsA(listed, list) - listed);
    Volume("volume of the file folder's drive", "C:\\");

    // The last free letter, far from any the machine gives out by itself.
    char letter = 'Y';
    while (letter >= 'D' && ((mask >> (letter - 'A')) & 1))
        letter--;
    if (letter < 'D')
        return;
    const char device[3] = {letter, ':', 0};
    const char root[4] = {letter, ':', '\\', 0};
    Query("query free letter", device, 300);
    Volume("volume of a free letter", root);
    Define("define", device, 0);
    Query("query defined letter", device, 300);
    Query("query with one short", device, sizeof kTarget);
    Define("remove", device, DDD_REMOVE_DEFINITION);
    Query("query removed letter", device, 300);
    Define("remove again", device, DDD_REMOVE_DEFINITION);
}

} // namespace conformance
