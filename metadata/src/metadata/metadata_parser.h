// The parser that the metadata pipeline keeps for the packets of its camera: bounded input, reused buffers.
#pragma once

#include <cstddef>
#include <memory>

#include "metadata_document.h"
#include "parse_metadata_stream.h"
#include "text_buffer_shelf.h"

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Real documents are a few KB to tens of KB; this leaves a margin of a hundredfold over them and bounds what one
 * packet can make us copy and parse (some milliseconds at rapidxml's 1 GB/s). A larger packet is refused uncopied.
 */
constexpr std::size_t kMaxDocumentBytes = 4 * 1024 * 1024;

/** Whether a packet's data is one that the parser copies and reads: not null, of 1 to kMaxDocumentBytes bytes. */
bool isWithinDocumentBounds(const char* data, int size);

/**
 * Parses the data of one metadata packet at a time. The text buffer is lent from the copy to the end of the parse
 * (see lendTextBuffer) and the rapidxml document for each parse (see lendXmlDocument), since buffers allocated and
 * freed per packet cost page faults, and buffers kept per camera are cold in cache.
 * The copy and the parse may run on different threads, one after the other: the copy costs the host's thread a
 * memcpy, the parse runs where the pass runs. Not thread-safe: one owner at a time.
 */
class MetadataParser
{
public:
    MetadataParser();
    ~MetadataParser();
    MetadataParser(const MetadataParser&) = delete;
    MetadataParser& operator=(const MetadataParser&) = delete;

    /**
     * Reads exactly `size` bytes of data (a zero byte among them ends the text there) from a private copy, so the
     * host's data is neither modified nor read beyond its size.
     * @return Nothing for null data, a size of 0 or less or above kMaxDocumentBytes, and wherever
     *     parseMetadataStream gives nothing; never throws.
     */
    std::unique_ptr<MetadataDocument> parse(const char* data, int size);

    /**
     * The first half of parse(): keeps a private copy of the data for parseCopy(), replacing any copy not parsed.
     * @return False, and no copy kept, where parse() would refuse the data uncopied or the copy cannot be had.
     */
    bool copy(const char* data, int size);

    /**
     * The second half of parse(): reads the copy that copy() kept, once, on a thread with the stack given.
     * @return Nothing if no copy is kept, and wherever parseMetadataStream gives nothing; never throws.
     */
    std::unique_ptr<MetadataDocument> parseCopy(ParseStack stack = ParseStack::unknown);

private:
    LentTextBuffer m_text; //< Held from a copy to its parse.
    std::size_t m_copiedLength = 0; //< Of the text in m_text not yet parsed; 0 for none.
};

} // namespace tesh::vms_server_plugins::analytics::qv
