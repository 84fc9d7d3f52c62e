// The shelf of documents shared by every camera's parses.
#include "metadata_document_shelf.h"

#include <utility>
#include <vector>

#include <tesh/kit/shelf.h>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

/** As many as the text buffers: far more than the parses that run at once. */
constexpr std::size_t kMaxShelvedDocuments = 64;

/** A crowded scene is about 50 objects and a burst of notifications a few dozen: room kept beyond this is freed. */
constexpr std::size_t kRetainedObjects = 256;
constexpr std::size_t kRetainedEvents = 64;

kit::Shelf<MetadataDocument>& shelf()
{
    return kit::libraryShelf<MetadataDocument>(kMaxShelvedDocuments);
}

} // namespace

std::unique_ptr<MetadataDocument> lendMetadataDocument()
{
    std::unique_ptr<MetadataDocument> document = shelf().take();
    return document ? std::move(document) : std::make_unique<MetadataDocument>();
}

void putBackMetadataDocument(std::unique_ptr<MetadataDocument> document)
{
    if (!document || document->objects.capacity() > kRetainedObjects || document->events.capacity() > kRetainedEvents)
        return;
    // Every field as a new document has it, whatever fields come to be added; only the lists' room is kept.
    std::vector<MetadataObject> objects = std::move(document->objects);
    std::vector<MetadataEvent> events = std::move(document->events);
    objects.clear();
    events.clear();
    *document = MetadataDocument{};
    document->objects = std::move(objects);
    document->events = std::move(events);
    shelf().put(std::move(document));
}

} // namespace tesh::vms_server_plugins::analytics::qv
