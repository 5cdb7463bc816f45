// Reading the resource directory and the imports of a PE image (PE32 or
// PE32+) in memory.
#ifndef WINSIM_PE_RESOURCES_H
#define WINSIM_PE_RESOURCES_H

#include "winsim/sim.h"

#include <cstddef>
#include <string>
#include <vector>

namespace winsim {

// Walks the type, name and language levels of the image's resource tree
// and gives one Resource per leaf, its bytes copied. An image without a
// resource directory gives an empty list. Returns false, an empty list and
// a one-line message for a malformed image; nothing outside the buffer is
// ever read.
bool ParsePeResources(const unsigned char* data, std::size_t size, std::vector<Resource>& out,
                      std::string& error);

// The names of the libraries the image imports, in the order of its import
// directory; the same promises.
bool ParsePeImports(const unsigned char* data, std::size_t size, std::vector<std::string>& out,
                    std::string& error);

} // namespace winsim

#endif
