// The host's packet of camera metadata, as pushed to a device agent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <host_kit/host_object.h>
#include <host_kit/nullable_text.h>
#include <tesh/sdk/analytics/i_custom_metadata_packet.h>

namespace host_kit {

/**
 * The bytes are kept with a terminating zero after them, as the host keeps them; dataSize() does not
 * count it. Null data (std::nullopt) and a reported size that differs from the bytes serve the
 * hardening cases.
 */
class CustomMetadataPacket: public HostObject<tesh::sdk::analytics::ICustomMetadataPacket>
{
public:
    static constexpr const char* kDefaultCodec = "application/xml";

    CustomMetadataPacket(int64_t timestampUs, NullableText codec, std::optional<std::string> data);

    int64_t timestampUs() const override { return m_timestampUs; }
    const char* codec() const override { return m_codec.get(); }
    const char* data() const override;
    int dataSize() const override;

    void setReportedDataSize(int dataSize) { m_reportedDataSize = dataSize; }

private:
    const int64_t m_timestampUs;
    const NullableText m_codec;
    // std::string keeps the terminating zero past size().
    const std::optional<std::string> m_data;
    std::optional<int> m_reportedDataSize;
};

} // namespace host_kit
