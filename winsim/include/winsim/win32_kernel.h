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
#define ERROR_FILE_EXISTS         80L
#define ERROR_BAD_EXE_FORMAT      193L
#define ERROR_MORE_DATA           234L
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_INVALID_WINDOW_HANDLE   1400L
#define ERROR_CONTROL_ID_NOT_FOUND    1421L
#define ERROR_RESOURCE_LANG_NOT_FOUND 1815L

#define NO_ERROR                  0L
#define ERROR_INVALID_FUNCTION    1L
#define ERROR_WRITE_PROTECT       19L
#define ERROR_NEGATIVE_SEEK       131L
#define ERROR_NOT_LOCKED          158L
#define ERROR_DEVICE_NOT_CONNECTED 1167L
#define ERROR_UNRECOGNIZED_VOLUME 1005L
#define ERROR_BAD_LENGTH          24L
#define ERROR_INVALID_NAME        123L
#define ERROR_DIR_NOT_EMPTY       145L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_NO_UNICODE_TRANSLATION 1113L

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define INVALID_SET_FILE_POINTER ((DWORD)-1)

#define GENERIC_READ    0x80000000L
#define GENERIC_WRITE   0x40000000L
#define FILE_SHARE_READ  0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define CREATE_NEW        1
#define CREATE_ALWAYS     2
#define OPEN_EXISTING     3
#define OPEN_ALWAYS       4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_NORMAL    0x00000080
#define FILE_FLAG_WRITE_THROUGH  0x80000000
#define FILE_FLAG_NO_BUFFERING   0x20000000
#define FILE_BEGIN   0
#define FILE_CURRENT 1
#define FILE_END     2

#define CP_ACP 0

#define LOAD_LIBRARY_AS_DATAFILE      0x00000002
#define LOAD_WITH_ALTERED_SEARCH_PATH 0x00000008

#define DDD_RAW_TARGET_PATH       0x00000001
#define DDD_REMOVE_DEFINITION     0x00000002
#define DDD_EXACT_MATCH_ON_REMOVE 0x00000004
#define DDD_NO_BROADCAST_SYSTEM   0x00000008

typedef struct _RTL_CRITICAL_SECTION {
    PVOID DebugInfo;
    LONG LockCount;
    LONG RecursionCount;
    HANDLE OwningThread;
    HANDLE LockSemaphore;
    ULONG_PTR SpinCount;
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

typedef struct _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;
typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;

#define GMEM_FIXED    0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND          (GMEM_MOVEABLE | GMEM_ZEROINIT)

extern "C" {
DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD error);
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
BOOL WINAPI CloseHandle(HANDLE handle);
HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                          HANDLE templateFile);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                     LPOVERLAPPED overlapped);
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                      LPOVERLAPPED overlapped);
DWORD WINAPI GetLogicalDrives(void);
DWORD WINAPI GetLogicalDriveStringsA(DWORD bufferSize, LPSTR buffer);
BOOL WINAPI GetVolumeInformationA(LPCSTR rootPath, LPSTR nameBuffer, DWORD nameSize,
                                  LPDWORD serialNumber, LPDWORD maxComponentLength,
                                  LPDWORD fileSystemFlags, LPSTR fileSystemName,
                                  DWORD fileSystemNameSize);
DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method);
BOOL WINAPI DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                            DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped);
void WINAPI Sleep(DWORD milliseconds);
void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section);
void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section);
void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section);
void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section);
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length,
                               LPWSTR wide, int wideLength);
UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size);
HMODULE WINAPI LoadLibraryA(LPCSTR fileName);
HMODULE WINAPI LoadLibraryExA(LPCSTR fileName, HANDLE file, DWORD flags);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
LPVOID WINAPI LockResource(HGLOBAL resource);
DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);
BOOL WINAPI FreeResource(HGLOBAL resource);
BOOL WINAPI FreeLibrary(HMODULE module);
DWORD WINAPI QueryDosDeviceA(LPCSTR deviceName, LPSTR targetPath, DWORD size);
BOOL WINAPI DefineDosDeviceA(DWORD flags, LPCSTR deviceName, LPCSTR targetPath);
BOOL WINAPI GetVolumeNameForVolumeMountPointA(LPCSTR mountPoint, LPSTR volumeName, DWORD size);
BOOL WINAPI SetVolumeMountPointA(LPCSTR mountPoint, LPCSTR volumeName);
HGLOBAL WINAPI GlobalAlloc(UINT flags, std::size_t bytes);
LPVOID WINAPI GlobalLock(HGLOBAL block);
BOOL WINAPI GlobalUnlock(HGLOBAL block);
std::size_t WINAPI GlobalSize(HGLOBAL block);
HGLOBAL WINAPI GlobalFree(HGLOBAL block);
}

#endif
