// Drive letters as the product finds a free one and gives it to a volume:
// the logical drives, and a DOS device name defined, read and removed.
#include "conformance.h"

#include <cstring>

namespace conformance {

namespace {

const DWORD kDefine = DDD_RAW_TARGET_PATH | DDD_NO_BROADCAST_SYSTEM;
const DWORD kRemove = DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_NO_BROADCAST_SYSTEM;
const char kTarget[] = "\\device\\harddisk7\\partition1";
const char kDriveRoot[] = "C:\\";

int CountBits(DWORD mask)
{
    int n = 0;
    for (; mask; mask &= mask - 1)
        n++;
    return n;
}

// The letters a mask names, as GetLogicalDriveStringsA lists them.
void ExpectedList(DWORD mask, char* out)
{
    for (int bit = 0; bit < 26; bit++) {
        if (mask & (1u << bit)) {
            *out++ = (char)('A' + bit);
            *out++ = ':';
            *out++ = '\\';
            *out++ = 0;
        }
    }
    *out = 0;
}

void Query(const char* step, const char* device, DWORD size)
{
    char answer[300];
    std::memset(answer, 'x', sizeof answer);
    SetLastError(0);
    DWORD length = QueryDosDeviceA(device, answer, size);
    Line line("drives", step);
    line.Num("length", length);
    if (length == 0)
        line.Num("error", GetLastError());
    else
        line.Text("target", answer).Flag("closed by an empty text", length >= 2 &&
                                             answer[length - 1] == 0 && answer[length - 2] == 0);
}

void Volume(const char* step, const char* root)
{
    char label[12];
    std::memset(label, 'x', sizeof label);
    DWORD serial = 0;
    SetLastError(0);
    BOOL ok = GetVolumeInformationA(root, label, sizeof label, &serial, NULL, NULL, NULL, 0);
    Line line("drives", step);
    line.Flag("ok", ok);
    if (ok)
        line.Text("label", label);
    else
        line.Num("error", GetLastError());
}

} // namespace

void DrivesCase()
{
    // Which letters a machine has differs; how the calls answer must not.
    DWORD mask = GetLogicalDrives();
    DWORD listed = 4 * (DWORD)CountBits(mask);
    char list[4 * 26 + 2];
    char expected[4 * 26 + 2];
    ExpectedList(mask, expected);
    std::memset(list, 'x', sizeof list);
    DWORD exact = GetLogicalDriveStringsA(listed + 1, list);
    Line("drives", "logical drives")
        .Flag("some", mask != 0)
        .Num("needed beyond the list", (long long)GetLogicalDriveStringsA(0, NULL) - listed)
        .Num("exact buffer beyond the list", (long long)exact - listed)
        .Flag("exact buffer lists the mask", std::memcmp(list, expected, listed + 1) == 0)
        .Num("one short beyond the list", (long long)GetLogicalDriveStringsA(listed, list) - listed);

    Volume("volume of the file folder's drive", kDriveRoot);

    // The last free letter, far from any the machine gives out by itself.
    char letter = 0;
    for (char c = 'Y'; c >= 'D' && !letter; c--)
        if (!(mask & (1u << (c - 'A'))))
            letter = c;
    if (!letter)
        return;
    char device[3] = {letter, ':', 0};
    const DWORD bit = 1u << (letter - 'A');
    Query("query free letter", device, 300);
    char root[4] = {letter, ':', '\\', 0};
    Volume("volume of a free letter", root);
    SetLastError(0);
    BOOL defined = DefineDosDeviceA(kDefine, device, kTarget);
    Line("drives", "define").Flag("ok", defined).Num("error", defined ? 0 : GetLastError());
    if (!defined)
        return;
    Line("drives", "letter now in use").Flag("listed", (GetLogicalDrives() & bit) != 0);
    Query("query defined letter", device, 300);
    Query("query with one short", device, sizeof kTarget);
    SetLastError(0);
    BOOL removed = DefineDosDeviceA(kRemove, device, kTarget);
    Line("drives", "remove").Flag("ok", removed).Num("error", removed ? 0 : GetLastError());
    Line("drives", "letter free again").Flag("listed", (GetLogicalDrives() & bit) != 0);
    Query("query removed letter", device, 300);
    SetLastError(0);
    removed = DefineDosDeviceA(kRemove, device, kTarget);
    Line("drives", "remove again").Flag("ok", removed).Num("error", removed ? 0 : GetLastError());
}

} // namespace conformance
