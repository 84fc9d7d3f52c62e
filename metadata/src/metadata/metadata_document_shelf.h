// Documents for the parses of every camera, put back after their pass with the room of their lists.
#pragma once

#include <memory>

#include "metadata_document.h"

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * An empty document: the one most recently put back, else a new one. A crowded scene's list of objects takes tens
 * of KB; allocated anew for each document, it made the allocator consolidate its small free blocks at every pass.
 * @throws std::bad_alloc when no document can be made.
 */
std::unique_ptr<MetadataDocument> lendMetadataDocument();

/**
 * Empties the document and keeps it for a later parse, or frees it when the shelf is full or its lists hold room for
 * far more than a camera sends, so that an exceptional document does not stay pinned.
 */
void putBackMetadataDocument(std::unique_ptr<MetadataDocument> document);

} // namespace tesh::vms_server_plugins::analytics::qv
