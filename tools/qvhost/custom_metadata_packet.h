// One camera metadata document, handed to the agent as the server hands it the camera's metadata stream.
#pragma once

#include <cstdint>
#include <string>

#include <tesh/sdk/analytics/i_custom_metadata_packet.h>

#include "host_object.h"

namespace qvhost {

/** The text stays readable, with its terminating zero, for as long as the packet lives. */
class CustomMetadataPacket: public HostObject<tesh::sdk::analytics::ICustomMetadataPacket>
{
public:
    CustomMetadataPacket(int64_t timestampUs, const std::string& document):
        m_timestampUs(timestampUs), m_document(document)
    {}

    int64_t timestampUs() const override { return m_timestampUs; }
    const char* codec() const override { return "application/xml"; }
    const char* data() const override { return m_document.c_str(); }
    int dataSize() const override { return static_cast<int>(m_document.size()); }

private:
    const int64_t m_timestampUs;
    const std::string m_document;
};

} // namespace qvhost
