// The HTTP exchanges a client made with the simulated camera, counted from the camera's own records of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <request_log.h>

namespace tesh::bench {

struct ExchangeCount
{
    int64_t exchanges = 0; //< Every record: a digest-authenticated request leaves two, the challenge and the answer.
    int64_t challenges = 0; //< The records answered 401: what a request costs beyond its one exchange.
    int64_t parameters = 0; //< Distinct parameters read or written: the exchanges a read needs at the least.
};

/** The records from index `first` on (none if there are fewer), oldest first as the simulator keeps them. */
ExchangeCount countExchanges(const std::vector<qvcam::ServedRequest>& records, std::size_t first);

} // namespace tesh::bench
