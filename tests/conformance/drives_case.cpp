// Drive letters as the product finds a free one and gives it to a volume:
// the logical drives, and a DOS device name defined, read and removed.
#include "conformance.h"

static const char kTarget[] = "\\device\\harddisk7\\partition1";

// The answer with both its terminators.
static void Query(const char* step, const char* device, DWORD size)
{
    char answer[300];
    SetLastError(0);
    DWORD length = QueryDosDeviceA(device, answer, size);
    Step("drives", step, length == 0, std::string(answer, length));
}

static void Volume(const char* step, const char* root)
{
    char label[12] = "";
    SetLastError(0);
    BOOL ok = GetVolumeInformationA(root, label, sizeof label, NULL, NULL, NULL, NULL, 0);
    Step("drives", step, !ok, label);
}

// Defines or removes the device name; its letter is listed while it is defined.
static void Define(const char* step, const char* device, DWORD flags)
{
    SetLastError(0);
    flags |= DDD_RAW_TARGET_PATH | DDD_NO_BROADCAST_SYSTEM;
    BOOL ok = DefineDosDeviceA(flags, device, kTarget);
    Step("drives", step, !ok, (GetLogicalDrives() >> (device[0] - 'A')) & 1);
}

void DrivesCase()
{
    // Which letters a machine has differs; how the calls answer must not.
    DWORD mask = GetLogicalDrives();
    std::string expected;
    for (int bit = 0; bit < 26; bit++)
        if ((mask >> bit) & 1)
            expected += std::string{(char)('A' + bit), ':', '\\', 0};
    long long listed = (long long)expected.size();
    char list[4 * 26 + 2];
    // What each size gives beyond the list, and the list.
    Line("drives", "logical drive strings")["sizes"] = {
        (long long)GetLogicalDriveStringsA(0, NULL) - listed,
        (long long)GetLogicalDriveStringsA((DWORD)listed + 1, list) - listed,
        std::string(list, listed + 1) == expected + '\0',
        (long long)GetLogicalDriveStringsA((DWORD)listed, list) - listed};
    Volume("volume of the file folder's drive", "C:\\");

    // The last free letter, far from any the machine gives out by itself.
    char letter = 'Y';
    while (letter >= 'D' && ((mask >> (letter - 'A')) & 1))
        letter--;
    if (letter < 'D')
        return;
    const char device[3] = {letter, ':', 0};
    Query("query free letter", device, 300);
    Volume("volume of a free letter", (device + std::string("\\")).c_str());
    Define("define", device, 0);
    Query("query defined letter", device, 300);
    Query("query with one short", device, sizeof kTarget);
    Define("remove", device, DDD_REMOVE_DEFINITION);
    Query("query removed letter", device, 300);
    Define("remove again", device, DDD_REMOVE_DEFINITION);
}
