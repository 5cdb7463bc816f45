// Calls the caller's callback with the Windows calling convention and
// measures whether the callee really kept it.
#ifndef TARNWICK_FMIFS_STDCALL_PROBE_H
#define TARNWICK_FMIFS_STDCALL_PROBE_H

#include <windows.h>

typedef BOOLEAN(WINAPI* FormatCallback)(DWORD command, DWORD subAction, PVOID argument);

// Calls callback(command, subAction, argument) and stores in *slip how many
// bytes the stack pointer ended up below where a __stdcall callee leaves it:
// 0 when the callee took its three arguments off the stack, 12 when it left
// them there. The stack is put right afterwards either way, so a wrong
// callee is reported instead of corrupting this library's frame.
extern "C" BOOLEAN CallMeasuringStack(FormatCallback callback, DWORD command, DWORD subAction,
                                      PVOID argument, LONG* slip);

#endif
