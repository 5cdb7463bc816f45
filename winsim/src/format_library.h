// The simulated fmifs.dll's one entry.
#ifndef WINSIM_FORMAT_LIBRARY_H
#define WINSIM_FORMAT_LIBRARY_H

#include "machine.h"

namespace winsim {

FARPROC FormatExEntry();

} // namespace winsim

#endif
