// The shelf of document copy buffers, shared by every camera's parses.
#include "text_buffer_shelf.h"

#include <tesh/kit/shelf.h>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

using Buffer = std::vector<char>;

/** Far more than the parses that run at once; at a typical 64 KB copy that is 4 MiB kept after a burst. */
constexpr std::size_t kMaxShelvedBuffers = 64;

kit::Shelf<Buffer>& shelf()
{
    return kit::libraryShelf<Buffer>(kMaxShelvedBuffers);
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
