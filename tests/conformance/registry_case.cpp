// The registry as the product reads it: keys opened by path under
// HKEY_LOCAL_MACHINE, values queried into fixed buffers.
#include "conformance.h"

#include <cstring>

static const char kKey[] = "SOFTWARE\\TarnwickConformance";
static const char kDevice[] = "USBSTOR\\Disk&Ven_Test&Prod_Stick\\1";

// Queries a value into a buffer of offered bytes and prints what came back:
// the bytes, and one past them, only where Windows defines them.
static void Query(HKEY key, const std::string& step, const char* name, DWORD offered)
{
    BYTE buffer[32];
    std::memset(buffer, 0xAA, sizeof buffer); // so that every byte written shows
    DWORD type = 0xFFFF;
    DWORD size = offered;
    LONG result = RegQueryValueExA(key, name, NULL, &type, buffer, &size);
    bool sized = result == ERROR_SUCCESS || result == ERROR_MORE_DATA;
    DWORD shown = result ? 0 : offered < sizeof buffer ? offered + 1 : sizeof buffer;
    Line("registry", step.c_str())["result, type, size, bytes"] = {
        result, sized ? type : 0, sized ? size : 0, Bytes(buffer, shown)};
}

void RegistryCase()
{
    const DWORD count = 2;
    const BYTE binary[12] = {0x12, 0x34, 0x56, 0x78, 0, 0x7E, 0, 0, 0, 0, 0, 0x01};
    const std::string device = std::string(kKey) + "\\" + kDevice;
    world::SetRegistryValue(device.c_str(), "FriendlyName", REG_SZ, "Test Stick", 11);
    // A byte after the counted ones that is not 0 in the unterminated text:
    // RegSetValueExA would count a terminator that follows.
    const struct { const char* name; DWORD type; const void* data; DWORD size; } values[] = {
        {"Count", REG_DWORD, &count, sizeof count}, {"Terminated", REG_SZ, "USBSTOR", 8},
        {"Unterminated", REG_SZ, "USBSTOR!", 7}, {"Binary", REG_BINARY, binary, sizeof binary}};
    for (const auto& v : values)
        world::SetRegistryValue(kKey, v.name, v.type, v.data, v.size);

    HKEY key = NULL, sub = NULL;
    Line("registry", "open missing key, open key, open subkey path")["results"] = {
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, (device + "X").c_str(), 0, KEY_READ, &key),
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key),
        RegOpenKeyExA(key, kDevice, 0, KEY_READ, &sub)};
    Query(key, "missing value", "Missing", 16);
    // Each value into a large, an exact and a short buffer.
    for (const auto& v : values)
        for (DWORD offered : {DWORD(16), v.size, v.size - 1})
            Query(key, std::string(v.name) + " into " + std::to_string(offered), v.name, offered);
    Query(sub, "friendly name", "FriendlyName", 30);
    RegCloseKey(sub);
    RegCloseKey(key);
}
