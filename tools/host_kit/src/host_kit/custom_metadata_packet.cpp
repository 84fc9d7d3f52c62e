// The host's packet of camera metadata, as pushed to a device agent.
#include "custom_metadata_packet.h"

namespace host_kit {

CustomMetadataPacket::CustomMetadataPacket(int64_t timestampUs, NullableText codec, std::optional<std::string> data):
    m_timestampUs(timestampUs),
    m_codec(std::move(codec)),
    m_data(std::move(data))
{}

const char* CustomMetadataPacket::data() const
{
    return m_data ? m_data->c_str() : nullptr;
}

int CustomMetadataPacket::dataSize() const
{
    if (m_reportedDataSize)
        return *m_reportedDataSize;
    return m_data ? static_cast<int>(m_data->size()) : 0;
}

} // namespace host_kit
