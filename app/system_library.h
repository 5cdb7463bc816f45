// Libraries of Windows itself, loaded only from the system directory.
#ifndef TARNWICK_SYSTEM_LIBRARY_H
#define TARNWICK_SYSTEM_LIBRARY_H

#include "app/platform.h"

// Loads fileName ("fmifs.dll") by its full path in the system directory, so
// that a file of that name beside the program is never run, with the
// LoadLibraryExA flags given: LOAD_WITH_ALTERED_SEARCH_PATH has the libraries
// it imports looked for in the system directory too, before the program's
// folder; LOAD_LIBRARY_AS_DATAFILE maps it for its resources alone, running
// none of its code. Null when the directory cannot be had, the path does not
// fit, or the load fails.
HMODULE LoadSystemLibrary(const char* fileName, DWORD flags);

#endif
