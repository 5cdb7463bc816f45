// The simulated Windows as product code sees it: the subset of the Win32 API
// that Tarnwick calls, with Windows' type widths, structure layouts and
// constant values. Nothing here is Tarnwick-specific.
#ifndef WINSIM_WIN32_H
#define WINSIM_WIN32_H

#include "winsim/win32_types.h"
#include "winsim/win32_kernel.h"
#include "winsim/win32_ioctl.h"
#include "winsim/win32_registry.h"
#include "winsim/win32_user.h"
#include "winsim/win32_shell.h"

#endif
