// The parser that the metadata pipeline keeps for the packets of its camera: bounded input, reused buffers.
#include "metadata_parser.h"

#include <cstring>

#include <rapidxml/rapidxml.hpp>

namespace tesh::vms_server_plugins::analytics::qv {

MetadataParser::MetadataParser() = default;

MetadataParser::~MetadataParser() = default;

std::unique_ptr<MetadataDocument> MetadataParser::parse(const char* data, int size)
{
    if (!data || size <= 0 || static_cast<std::size_t>(size) > kMaxDocumentBytes)
        return nullptr;
    try
    {
        if (!m_xml)
            m_xml = std::make_unique<rapidxml::xml_document<char>>();
        const auto length = static_cast<std::size_t>(size);
        m_text.resize(length + 1);
        std::memcpy(m_text.data(), data, length);
        m_text[length] = '\0'; //< rapidxml reads up to a zero byte and would run past the data without one.
        std::unique_ptr<MetadataDocument> document = parseMetadataStream(m_text.data(), length, *m_xml);
        if (m_text.capacity() > kRetainedBufferBytes)
            m_text = std::vector<char>();
        return document;
    }
    catch (...)
    {
        return nullptr;
    }
}

} // namespace tesh::vms_server_plugins::analytics::qv
