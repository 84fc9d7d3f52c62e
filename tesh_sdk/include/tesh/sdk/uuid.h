// The 16-byte identifier that crosses the host boundary (object tracks, devices).
#pragma once

#include <cstdint>

namespace tesh::sdk {

/** 16 raw bytes; all zero means "no id". */
struct Uuid
{
    uint8_t bytes[16] = {};

    bool isNull() const
    {
        for (const uint8_t b: bytes)
        {
            if (b != 0)
                return false;
        }
        return true;
    }

    bool operator==(const Uuid& other) const
    {
        for (int i = 0; i < 16; ++i)
        {
            if (bytes[i] != other.bytes[i])
                return false;
        }
        return true;
    }

    bool operator!=(const Uuid& other) const { return !(*this == other); }
};

static_assert(sizeof(Uuid) == 16, "Uuid is 16 raw bytes on the wire");

} // namespace tesh::sdk
