// Any bytes given to the PE resource and import readers: they never read
// outside them, and what they give back is consistent with what they say.
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
    std::vector<std::string> imports; // the same promises for the import names
    if (!winsim::ParsePeImports(data, size, imports, error) && !imports.empty())
        std::abort();
    return 0;
}
