// Reading a windres-compiled .res file into resources.
#ifndef WINSIM_RES_FILE_H
#define WINSIM_RES_FILE_H

#include "winsim/sim.h"

#include <string>
#include <vector>

namespace winsim {

// Parses the .res format (a sequence of headers and DWORD-aligned data).
// Returns false and a message for a malformed file.
bool ParseResFile(const unsigned char* data, std::size_t size, std::vector<Resource>& out,
                  std::string& error);

// Finds a resource by type and name, each an ordinal (IS_INTRESOURCE) or a
// string, a string "#n" meaning ordinal n, as FindResourceA takes them.
const Resource* FindResourceIn(const std::vector<Resource>& resources, LPCSTR name, LPCSTR type);
bool HasResourceType(const std::vector<Resource>& resources, LPCSTR type);

} // namespace winsim

#endif
