// The format engine: FAT, FAT32 or NTFS on a mounted volume through the
// Windows format library, with progress reports to a window.
#ifndef TARNWICK_FORMAT_H
#define TARNWICK_FORMAT_H

#include "app/platform.h"

// Sent (never posted) to the progress window for every progress report of a
// format: wParam is the percentage, lParam the address of a one-byte continue
// flag the receiver may clear to cancel.
const UINT WM_FORMAT_PROGRESS = WM_USER + 204;

// The outcome of a format; each value has its text (FormatStatusText).
typedef int FormatStatus;
const FormatStatus FORMAT_SUCCEEDED = 0;
const FormatStatus FORMAT_LIBRARY_MISSING = 1;
const FormatStatus FORMAT_ENTRY_MISSING = 2;
const FormatStatus FORMAT_BAD_ROOT = 3;
const FormatStatus FORMAT_NO_SUCH_DRIVE = 4;
const FormatStatus FORMAT_BAD_FILE_SYSTEM = 5;
const FormatStatus FORMAT_BAD_LABEL = 6;
const FormatStatus FORMAT_DISMOUNT_FAILED = 7;
const FormatStatus FORMAT_OPEN_FAILED = 8;
const FormatStatus FORMAT_LOCK_FAILED = 9;
const FormatStatus FORMAT_CANCELLED = 10;
const FormatStatus FORMAT_FAILED = 11;
const FormatStatus FORMAT_NOT_REPORTED = 12;

// What FormatEx calls back with, and its own shape.
const DWORD FMIFS_PROGRESS = 0;
const DWORD FMIFS_DONE = 11;
typedef BOOLEAN (WINAPI* FormatCallbackProc)(DWORD command, DWORD subAction, PVOID argument);
typedef void (WINAPI* FormatExProc)(PWCHAR driveRoot, DWORD mediaType, PWCHAR fileSystem,
                                    PWCHAR label, BOOL quick, DWORD clusterSize,
                                    FormatCallbackProc callback);

// Loads fmifs.dll and finds FormatEx once; 1 when it is available.
int LoadFormatLibrary(void);

// FORMAT_SUCCEEDED when FormatEx is available, else why not (1 or 2).
FormatStatus CheckFormatLibrary(void);

// Formats the volume at root ("E:\") with fileSystem ("fat", "fat32" or
// "ntfs") and label (null for none); progress goes to progressWindow. Force
// skips the lock, so the volume is dismounted even with files open on it.
FormatStatus FormatVolume(HWND progressWindow, const char* root, const char* fileSystem,
                          const char* label, BOOL quick, BOOL force);

// FORMAT_BAD_LABEL for a label that Windows' FAT format may refuse: more than
// 11 characters, a leading space, a control character, one of
// * ? / \ | . , ; : + = [ ] < > " or any character from 7Fh up; otherwise
// FORMAT_SUCCEEDED. A null or empty label passes.
FormatStatus CheckVolumeLabel(const char* label);

// The library's callback: relays progress, takes the completion report.
BOOLEAN WINAPI FormatCallback(DWORD command, DWORD subAction, PVOID argument);

// The message for a status, in a buffer shared by all calls.
const char* FormatStatusText(FormatStatus status);

#endif
