// rapidxml documents, and the blocks their pools grow by, lent to the parses that run at a time.
#include "xml_document_shelf.h"

#include <cstddef>
#include <cstring>
#include <iterator>
#include <mutex>
#include <vector>

#include <rapidxml/rapidxml.hpp>

#include <tesh/kit/immortal.h>
#include <tesh/kit/shelf.h>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

using Document = rapidxml::xml_document<char>;

/**
 * Far more than the parses that run at once on a server's processors; at 64 KiB each it bounds what the shelf keeps
 * after a burst to 4 MiB.
 */
constexpr std::size_t kMaxShelvedDocuments = 64;

/**
 * A document's pool takes blocks of 64 KiB from the heap once its own 64 KiB are full, several per camera document,
 * and clear() frees them: freeing and taking such large blocks makes the heap consolidate and return memory to the
 * system at every parse. The blocks are shelved too, so that parses reuse them.
 */
constexpr std::size_t kMaxShelvedBlocks = 256; //< Those of some 50 large parses at once; 16 MiB at the most.

/** Before each block: its size, which rapidxml does not give back when it frees a block. */
constexpr std::size_t kBlockHeaderBytes = alignof(std::max_align_t);

struct Shelf
{
    kit::Shelf<Document> documents{kMaxShelvedDocuments};
    std::mutex mutex; //< Guards blocks.
    std::vector<unsigned char*> blocks; //< Each at its header; the most recently put back last.
};

/** Its destructor frees what is shelved when the library is unloaded (or the process ends). */
struct ShelfEmptier
{
    Shelf& shelf;

    ~ShelfEmptier()
    {
        // The documents go first, outside the blocks' lock, which one still holding blocks takes to give them back.
        shelf.documents.takeAll();
        std::vector<unsigned char*> blocks;
        {
            const std::lock_guard<std::mutex> lock(shelf.mutex);
            blocks.swap(shelf.blocks);
        }
        for (unsigned char* block: blocks)
            delete[] block;
    }
};

/**
 * Never destroyed, so that a pass still running while a host returns from main finds its shelf; only what is on it
 * is freed at the unload.
 */
Shelf& shelf()
{
    static kit::Immortal<Shelf> theShelf;
    static ShelfEmptier emptier{theShelf.get()};
    return theShelf.get();
}

std::size_t sizeOf(const unsigned char* block)
{
    std::size_t size = 0;
    std::memcpy(&size, block, sizeof(size));
    return size;
}

unsigned char* shelvedBlock(Shelf& blocks, std::size_t size)
{
    const std::lock_guard<std::mutex> lock(blocks.mutex);
    for (auto found = blocks.blocks.rbegin(); found != blocks.blocks.rend(); ++found)
    {
        if (sizeOf(*found) == size)
        {
            unsigned char* const block = *found;
            blocks.blocks.erase(std::next(found).base());
            return block;
        }
    }
    return nullptr;
}

/** rapidxml's allocation function: it must throw rather than give null. */
void* allocateBlock(std::size_t size)
{
    unsigned char* block = shelvedBlock(shelf(), size);
    if (!block)
    {
        block = new unsigned char[kBlockHeaderBytes + size];
        std::memcpy(block, &size, sizeof(size));
    }
    return block + kBlockHeaderBytes;
}

void freeBlock(void* memory)
{
    unsigned char* const block = static_cast<unsigned char*>(memory) - kBlockHeaderBytes;
    Shelf& blocks = shelf();
    {
        const std::lock_guard<std::mutex> lock(blocks.mutex);
        try
        {
            if (blocks.blocks.size() < kMaxShelvedBlocks)
            {
                blocks.blocks.push_back(block);
                return;
            }
        }
        catch (...)
        {
            // Freed instead of kept.
        }
    }
    delete[] block;
}

} // namespace

void XmlDocumentReturn::operator()(Document* document) const
{
    shelf().documents.put(std::unique_ptr<Document>(document));
}

LentXmlDocument lendXmlDocument()
{
    if (std::unique_ptr<Document> shelved = shelf().documents.take())
        return LentXmlDocument(shelved.release());
    LentXmlDocument document(new Document());
    document->set_allocator(allocateBlock, freeBlock);
    return document;
}

} // namespace tesh::vms_server_plugins::analytics::qv
