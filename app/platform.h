// The one header product code includes for the Windows API. On Windows it is
// the real thing; in native builds the simulated Windows declares the same
// names with the same widths, layouts and values.
#ifndef TARNWICK_PLATFORM_H
#define TARNWICK_PLATFORM_H

#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>
#include <shellapi.h>
// The disk requests' records hold no pointer, so they are the same size in
// the 32-bit and the 64-bit program, and the buffers sized from them fit both.
static_assert(sizeof(DISK_GEOMETRY) == 24, "DISK_GEOMETRY layout");
static_assert(sizeof(PARTITION_INFORMATION) == 32, "PARTITION_INFORMATION layout");
static_assert(sizeof(DRIVE_LAYOUT_INFORMATION) == 40, "DRIVE_LAYOUT_INFORMATION layout");
static_assert(sizeof(STORAGE_DEVICE_NUMBER) == 12, "STORAGE_DEVICE_NUMBER layout");
#else
#include "winsim/win32.h"
#endif

#endif
