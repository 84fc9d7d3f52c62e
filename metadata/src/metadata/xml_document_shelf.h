// rapidxml documents, and the blocks their pools grow by, lent to the parses that run at a time.
#pragma once

#include <memory>

#include "rapidxml_forward.h"

namespace tesh::vms_server_plugins::analytics::qv {

/** Puts a lent document back on the shelf, or frees it when the shelf is full. */
struct XmlDocumentReturn
{
    void operator()(rapidxml::xml_document<char>* document) const;
};

using LentXmlDocument = std::unique_ptr<rapidxml::xml_document<char>, XmlDocumentReturn>;

/**
 * The document most recently put back, else a new one (on the heap: it embeds a 64 KiB pool). A document per camera
 * would keep hundreds of pools resident and cold in the processor's caches, while only as many parses run at once
 * as there are processors; the last one put back is the one most likely still in cache.
 * @throws std::bad_alloc when no document can be made.
 */
LentXmlDocument lendXmlDocument();

} // namespace tesh::vms_server_plugins::analytics::qv
