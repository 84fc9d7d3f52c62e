// Distinct, recognisable identifiers for tests.
#pragma once

#include <cstdint>

#include <tesh/sdk/uuid.h>

namespace tesh::test {

/** Bytes seed, seed + 1, ..., seed + 15: two seeds give two different ids. */
inline sdk::Uuid makeUuid(uint8_t seed)
{
    sdk::Uuid uuid;
    for (int i = 0; i < 16; ++i)
        uuid.bytes[i] = static_cast<uint8_t>(seed + i);
    return uuid;
}

} // namespace tesh::test
