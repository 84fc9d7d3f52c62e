// Buffers for the private copies of metadata documents, lent from the copy to the end of its parse.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * A shelved buffer keeps its memory up to this size, which serves every ordinary document without allocating; a
 * larger one, left by an exceptional document, is freed so that it does not stay pinned.
 */
constexpr std::size_t kRetainedBufferBytes = 256 * 1024;

/** Puts a lent buffer back on the shelf, or frees it when the shelf is full or the buffer exceptionally large. */
struct TextBufferReturn
{
    void operator()(std::vector<char>* buffer) const;
};

using LentTextBuffer = std::unique_ptr<std::vector<char>, TextBufferReturn>;

/**
 * The buffer most recently put back, else a new, empty one. A buffer per camera would keep hundreds of copies
 * resident and cold in the processor's caches, while only the copies that wait for a pass, and those being parsed,
 * are in use at once; the last one put back is the one most likely still in cache.
 * @throws std::bad_alloc when no buffer can be made.
 */
LentTextBuffer lendTextBuffer();

} // namespace tesh::vms_server_plugins::analytics::qv
