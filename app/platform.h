// The one header product code includes for the Windows API. On Windows it is
// the real thing; in native builds the simulated Windows declares the same
// names with the same widths, layouts and values.
#ifndef TARNWICK_PLATFORM_H
#define TARNWICK_PLATFORM_H

#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>
#include <shellapi.h>
#else
#include "winsim/win32.h"
#endif

#endif
