// The HTTP exchanges a client made with the simulated camera, counted from the camera's own records of them.
#include "exchange_count.h"

#include <set>
#include <string>

namespace tesh::bench {

namespace {

/** The status of a digest challenge, whether the client had not yet authenticated or was refused. */
constexpr int kHttpUnauthorized = 401;

} // namespace

ExchangeCount countExchanges(const std::vector<qvcam::ServedRequest>& records, std::size_t first)
{
    ExchangeCount count;
    std::set<std::string> parameters;
    for (std::size_t index = first; index < records.size(); ++index)
    {
        ++count.exchanges;
        if (records[index].status == kHttpUnauthorized)
            ++count.challenges;
        parameters.insert(records[index].path + "?" + records[index].parameter);
    }
    count.parameters = static_cast<int64_t>(parameters.size());
    return count;
}

} // namespace tesh::bench
