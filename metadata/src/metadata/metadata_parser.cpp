// The parser that the metadata pipeline keeps for the packets of its camera: bounded input, reused buffers.
#include "metadata_parser.h"

#include <cstring>
#include <utility>

#include <rapidxml/rapidxml.hpp>

#include "xml_document_shelf.h"

namespace tesh::vms_server_plugins::analytics::qv {

bool isWithinDocumentBounds(const char* data, int size)
{
    return data && size > 0 && static_cast<std::size_t>(size) <= kMaxDocumentBytes;
}

MetadataParser::MetadataParser() = default;

MetadataParser::~MetadataParser() = default;

std::unique_ptr<MetadataDocument> MetadataParser::parse(const char* data, int size)
{
    if (!copy(data, size))
        return nullptr;
    return parseCopy();
}

bool MetadataParser::copy(const char* data, int size)
{
    m_copiedLength = 0;
    if (!isWithinDocumentBounds(data, size))
    {
        m_text.reset();
        return false;
    }
    try
    {
        if (!m_text)
            m_text = lendTextBuffer();
        std::vector<char>& text = *m_text;
        const auto length = static_cast<std::size_t>(size);
        // Grown only, never shrunk here: a resize that grows zero-fills, which would cost a second pass over the text.
        if (text.size() < length + 1)
            text.resize(length + 1);
        std::memcpy(text.data(), data, length);
        text[length] = '\0'; //< rapidxml reads up to a zero byte and would run past the data without one.
        m_copiedLength = length;
        return true;
    }
    catch (...)
    {
        m_text.reset();
        return false;
    }
}

std::unique_ptr<MetadataDocument> MetadataParser::parseCopy(ParseStack stack)
{
    const std::size_t length = std::exchange(m_copiedLength, 0);
    const LentTextBuffer text = std::move(m_text);
    if (length == 0 || !text)
        return nullptr;
    try
    {
        const LentXmlDocument xml = lendXmlDocument();
        return parseMetadataStream(text->data(), length, *xml, stack);
    }
    catch (...)
    {
        return nullptr;
    }
}

} // namespace tesh::vms_server_plugins::analytics::qv
