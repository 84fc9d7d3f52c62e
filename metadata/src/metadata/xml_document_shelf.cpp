// rapidxml documents lent to the parses that run at a time, whichever camera they parse for.
#include "xml_document_shelf.h"

#include <cstddef>
#include <mutex>
#include <vector>

#include <rapidxml/rapidxml.hpp>

#include <tesh/kit/immortal.h>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

using Document = rapidxml::xml_document<char>;

/**
 * Far more than the parses that run at once on a server's processors; at 64 KiB each it bounds what the shelf keeps
 * after a burst to 4 MiB.
 */
constexpr std::size_t kMaxShelvedDocuments = 64;

struct Shelf
{
    std::mutex mutex;
    std::vector<std::unique_ptr<Document>> documents; //< The most recently put back last.
};

/** Its destructor frees the shelved documents when the library is unloaded (or the process ends). */
struct ShelfEmptier
{
    Shelf& shelf;

    ~ShelfEmptier()
    {
        const std::lock_guard<std::mutex> lock(shelf.mutex);
        std::vector<std::unique_ptr<Document>>().swap(shelf.documents);
    }
};

/**
 * Never destroyed, so that a pass still running while a host returns from main finds its shelf; only the documents
 * on it are freed at the unload.
 */
Shelf& shelf()
{
    static kit::Immortal<Shelf> theShelf;
    static ShelfEmptier emptier{theShelf.get()};
    return theShelf.get();
}

} // namespace

void XmlDocumentReturn::operator()(Document* document) const
{
    std::unique_ptr<Document> owned(document);
    Shelf& documents = shelf();
    const std::lock_guard<std::mutex> lock(documents.mutex);
    if (documents.documents.size() >= kMaxShelvedDocuments)
        return;
    try
    {
        documents.documents.push_back(std::move(owned));
    }
    catch (...)
    {
        // Freed instead of kept.
    }
}

LentXmlDocument lendXmlDocument()
{
    Shelf& documents = shelf();
    {
        const std::lock_guard<std::mutex> lock(documents.mutex);
        if (!documents.documents.empty())
        {
            LentXmlDocument document(documents.documents.back().release());
            documents.documents.pop_back();
            return document;
        }
    }
    return LentXmlDocument(new Document());
}

} // namespace tesh::vms_server_plugins::analytics::qv
