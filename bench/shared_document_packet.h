// The host's packet of camera metadata for the load benchmark: every packet of a run points at one document.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <host_kit/host_object.h>
#include <tesh/sdk/analytics/i_custom_metadata_packet.h>

namespace tesh::bench {

/**
 * The server hands the plug-in a buffer it already holds; copying the document into every packet here would
 * charge the host's copy to the plug-in's share of the processor.
 */
class SharedDocumentPacket: public host_kit::HostObject<sdk::analytics::ICustomMetadataPacket>
{
public:
    SharedDocumentPacket(int64_t timestampUs, std::shared_ptr<const std::string> document):
        m_timestampUs(timestampUs),
        m_document(std::move(document))
    {}

    int64_t timestampUs() const override { return m_timestampUs; }
    const char* codec() const override { return "application/xml"; }
    const char* data() const override { return m_document->c_str(); }
    int dataSize() const override { return static_cast<int>(m_document->size()); }

private:
    const int64_t m_timestampUs;
    const std::shared_ptr<const std::string> m_document;
};

} // namespace tesh::bench
