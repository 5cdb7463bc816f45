#include "stats.h"

#include "winsim/sim.h"

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

namespace sim {

bool WriteStats(const std::string& path, const std::vector<std::string>& statusPainted)
{
    std::map<std::string, int> calls;
    for (const auto& function : winsim::CallLog())
        calls[function]++;
    nlohmann::ordered_json writes = nlohmann::ordered_json::array();
    for (const auto& write : winsim::DeviceWrites())
        writes.push_back({{"disk", write.disk},
                          {"offset", write.offset},
                          {"length", write.length},
                          {"through", write.through}});
    nlohmann::ordered_json stats = {{"calls", calls}, {"deviceWrites", writes},
                                     {"statusPainted", statusPainted}};
    std::ofstream out(path);
    out << stats.dump() << "\n";
    return (bool)out;
}

} // namespace sim
