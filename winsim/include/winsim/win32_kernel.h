// KERNEL32 as far as Tarnwick uses it: errors, modules, handles and time.
#ifndef WINSIM_WIN32_KERNEL_H
#define WINSIM_WIN32_KERNEL_H

#include "winsim/win32_types.h"

#define ERROR_SUCCESS             0L
#define ERROR_FILE_NOT_FOUND      2L
#define ERROR_PATH_NOT_FOUND      3L
#define ERROR_ACCESS_DENIED       5L
#define ERROR_INVALID_HANDLE      6L
#define ERROR_NOT_ENOUGH_MEMORY   8L
#define ERROR_INVALID_DRIVE       15L
#define ERROR_NOT_READY           21L
#define ERROR_CRC                 23L
#define ERROR_SECTOR_NOT_FOUND    27L
#define ERROR_WRITE_FAULT         29L
#define ERROR_READ_FAULT          30L
#define ERROR_GEN_FAILURE         31L
#define ERROR_SHARING_VIOLATION   32L
#define ERROR_LOCK_VIOLATION      33L
#define ERROR_HANDLE_EOF          38L
#define ERROR_NOT_SUPPORTED       50L
#define ERROR_INVALID_PARAMETER   87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_MOD_NOT_FOUND       126L
#define ERROR_PROC_NOT_FOUND      127L
#define ERROR_ALREADY_EXISTS      183L
#define ERROR_MORE_DATA           234L
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_INVALID_WINDOW_HANDLE   1400L
#define ERROR_CONTROL_ID_NOT_FOUND    1421L
#define ERROR_RESOURCE_LANG_NOT_FOUND 1815L

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

#define GMEM_FIXED    0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND          (GMEM_MOVEABLE | GMEM_ZEROINIT)

extern "C" {
DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD error);
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
BOOL WINAPI CloseHandle(HANDLE handle);
void WINAPI Sleep(DWORD milliseconds);
HGLOBAL WINAPI GlobalAlloc(UINT flags, std::size_t bytes);
LPVOID WINAPI GlobalLock(HGLOBAL block);
BOOL WINAPI GlobalUnlock(HGLOBAL block);
std::size_t WINAPI GlobalSize(HGLOBAL block);
HGLOBAL WINAPI GlobalFree(HGLOBAL block);
}

#endif
