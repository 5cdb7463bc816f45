// The registry as the product reads it: keys opened by path under
// HKEY_LOCAL_MACHINE, values queried into fixed buffers.
#include "conformance.h"

#include <cstdio>
#include <cstring>

namespace conformance {

namespace {

const char kKey[] = "SOFTWARE\\TarnwickConformance";
const char kDevice[] = "USBSTOR\\Disk&Ven_Test&Prod_Stick\\1";
const BYTE kMark = 0xAA; // fills buffers, so that every byte written shows

// Queries a value into a buffer of offered bytes (null for none) and prints
// what came back: the bytes only where Windows defines them.
void Query(HKEY key, const char* step, const char* name, DWORD offered, bool withBuffer = true)
{
    BYTE buffer[32];
    std::memset(buffer, kMark, sizeof buffer);
    DWORD type = 0xFFFF;
    DWORD size = offered;
    LONG result = RegQueryValueExA(key, name, NULL, &type, withBuffer ? buffer : NULL, &size);
    Line line("registry", step);
    line.Num("result", result);
    if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA)
        line.Num("type", type).Num("size", size);
    // One byte past what was offered shows whether anything was written there.
    if (result == ERROR_SUCCESS && withBuffer)
        line.Hex("bytes", buffer, offered + 1 <= sizeof buffer ? offered + 1 : sizeof buffer);
}

// A value of exact bytes queried into a large, an exact and a short buffer,
// and for its size alone.
void QuerySizes(HKEY key, const char* what, const char* name, DWORD exact)
{
    char step[64];
    const char* const kinds[] = {"large buffer", "exact buffer", "short buffer", "size only"};
    const DWORD offered[] = {16, exact, exact - 1, 0};
    for (int i = 0; i < 4; i++) {
        std::snprintf(step, sizeof step, "%s, %s", what, kinds[i]);
        Query(key, step, name, offered[i], i < 3);
    }
}

} // namespace

void RegistryCase()
{
    const DWORD count = 2;
    const BYTE binary[12] = {0x12, 0x34, 0x56, 0x78, 0, 0x7E, 0, 0, 0, 0, 0, 0x01};
    char device[sizeof kKey + sizeof kDevice];
    std::strcpy(device, kKey);
    std::strcat(device, "\\");
    std::strcat(device, kDevice);
    if (!world::SetRegistryValue(kKey, "Count", REG_DWORD, &count, sizeof count) ||
        !world::SetRegistryValue(kKey, "Terminated", REG_SZ, "USBSTOR", 8) ||
        // A byte after the counted ones that is not 0: RegSetValueExA would
        // count a terminator that follows.
        !world::SetRegistryValue(kKey, "Unterminated", REG_SZ, "USBSTOR!", 7) ||
        !world::SetRegistryValue(kKey, "Binary", REG_BINARY, binary, sizeof binary) ||
        !world::SetRegistryValue(device, "FriendlyName", REG_SZ, "Test Stick", 11)) {
        Line("registry", "set up").Flag("ok", false);
        return;
    }

    HKEY key = NULL;
    Line("registry", "open missing key")
        .Num("result", RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TarnwickConformance\\Missing",
                                     0, KEY_READ, &key));
    LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key);
    Line("registry", "open key").Num("result", opened);
    if (opened != ERROR_SUCCESS)
        return;

    Query(key, "missing value", "Missing", 16);
    Query(key, "dword, name in other case", "COUNT", 4);
    QuerySizes(key, "dword", "Count", 4);
    QuerySizes(key, "sz", "Terminated", 8);
    QuerySizes(key, "unterminated sz", "Unterminated", 7);
    QuerySizes(key, "binary", "Binary", 12);

    // A device key below the one open, by a path of several names.
    HKEY sub = NULL;
    LONG subOpened = RegOpenKeyExA(key, kDevice, 0, KEY_READ, &sub);
    Line("registry", "open subkey path").Num("result", subOpened);
    if (subOpened == ERROR_SUCCESS) {
        Query(sub, "friendly name", "FriendlyName", 30);
        Line("registry", "close subkey").Num("result", RegCloseKey(sub));
    }
    Line("registry", "close key").Num("result", RegCloseKey(key));
    Query(key, "query closed key", "Count", 4);
    Line("registry", "close closed key").Num("result", RegCloseKey(key));
}

} // namespace conformance
