// Libraries of Windows itself, loaded only from the system directory.
#ifndef TARNWICK_SYSTEM_LIBRARY_H
#define TARNWICK_SYSTEM_LIBRARY_H

#include "app/platform.h"

// Loads fileName ("fmifs.dll") by its full path in the system directory, so
// that a file of that name beside the program is never run; null when the
// directory cannot be had, the path does not fit, or the load fails.
HMODULE LoadSystemLibrary(const char* fileName);

#endif
