// A data packet of no kind the library knows: it answers to IDataPacket and nothing more specific.
#pragma once

#include <cstdint>

#include <host_double/host_object.h>
#include <tesh/sdk/analytics/i_data_packet.h>

namespace tesh::test {

class PlainDataPacket: public HostObject<sdk::analytics::IDataPacket>
{
public:
    explicit PlainDataPacket(int64_t timestampUs): m_timestampUs(timestampUs) {}

    int64_t timestampUs() const override { return m_timestampUs; }

private:
    const int64_t m_timestampUs;
};

} // namespace tesh::test
