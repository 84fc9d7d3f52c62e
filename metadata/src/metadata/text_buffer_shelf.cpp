// The shelf of document copy buffers, shared by every camera's parses.
#include "text_buffer_shelf.h"

#include <tesh/kit/immortal.h>
#include <tesh/kit/shelf.h>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

using Buffer = std::vector<char>;

/** Far more than the parses that run at once; at a typical 64 KB copy that is 4 MiB kept after a burst. */
constexpr std::size_t kMaxShelvedBuffers = 64;

/** Its destructor frees what is shelved when the library is unloaded (or the process ends). */
struct ShelfEmptier
{
    kit::Shelf<Buffer>& shelf;

    ~ShelfEmptier() { shelf.takeAll(); }
};

/**
 * Never destroyed, so that a pass still running while a host returns from main finds its shelf; only what is on it
 * is freed at the unload.
 */
kit::Shelf<Buffer>& shelf()
{
    static kit::Immortal<kit::Shelf<Buffer>> theShelf(kMaxShelvedBuffers);
    static ShelfEmptier emptier{theShelf.get()};
    return theShelf.get();
}

} // namespace

void TextBufferReturn::operator()(Buffer* buffer) const
{
    std::unique_ptr<Buffer> owned(buffer);
    if (owned->capacity() <= kRetainedBufferBytes)
        shelf().put(std::move(owned));
}

LentTextBuffer lendTextBuffer()
{
    std::unique_ptr<Buffer> buffer = shelf().take();
    return LentTextBuffer(buffer ? buffer.release() : new Buffer());
}

} // namespace tesh::vms_server_plugins::analytics::qv
