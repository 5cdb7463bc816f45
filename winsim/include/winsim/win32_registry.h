// ADVAPI32's registry reading as far as Tarnwick uses it.
#ifndef WINSIM_WIN32_REGISTRY_H
#define WINSIM_WIN32_REGISTRY_H

#include "winsim/win32_types.h"

typedef DWORD REGSAM;
typedef HKEY* PHKEY;

#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))

#define KEY_QUERY_VALUE        0x0001
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY             0x0010
#define KEY_READ               0x20019

#define REG_NONE      0
#define REG_SZ        1
#define REG_EXPAND_SZ 2
#define REG_BINARY    3
#define REG_DWORD     4
#define REG_MULTI_SZ  7

extern "C" {
LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize);
LONG WINAPI RegCloseKey(HKEY key);
}

#endif
