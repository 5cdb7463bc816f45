// Any bytes given to the PE resource reader: it never reads outside them,
// and what it gives back is consistent with what it says.
#include "../../winsim/src/pe_resources.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<winsim::Resource> resources;
    std::string error;
    bool ok = winsim::ParsePeResources(data, size, resources, error);
    if (!ok && (!resources.empty() || error.empty() || error.find('\n') != std::string::npos))
        std::abort();
    for (const auto& r : resources)
        if (r.data.size() > size)
            std::abort();
    return 0;
}
