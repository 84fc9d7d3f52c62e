// The size of the camera's video frames: the camera keeps figures and object sizes in thousandths and pixels of it.
#pragma once

#include <atomic>
#include <cstdint>

namespace tesh::vms_server_plugins::analytics::qv {

/** Larger than any frame our cameras send; a side beyond it is taken for a broken frame. */
inline constexpr int32_t kMaxFrameDimension = 16384;

struct FrameSize
{
    int32_t width = 0;
    int32_t height = 0;
};

/** A side of 0 would make every object size degenerate and a later write leave the camera detecting nothing. */
inline bool isUsableFrameSize(int32_t width, int32_t height)
{
    return width > 0 && height > 0 && width <= kMaxFrameDimension && height <= kMaxFrameDimension;
}

/** Width and height in one 64-bit atomic, so that no reader sees a new width with an old height. */
class AtomicFrameSize
{
public:
    explicit AtomicFrameSize(FrameSize size): m_packed(pack(size)) {}

    FrameSize load() const { return unpack(m_packed.load()); }
    void store(FrameSize size) { m_packed.store(pack(size)); }

private:
    static uint64_t pack(FrameSize size)
    {
        return uint64_t{static_cast<uint32_t>(size.width)} << 32 | static_cast<uint32_t>(size.height);
    }

    static FrameSize unpack(uint64_t packed)
    {
        return {static_cast<int32_t>(static_cast<uint32_t>(packed >> 32)),
            static_cast<int32_t>(static_cast<uint32_t>(packed))};
    }

    std::atomic<uint64_t> m_packed;
};

} // namespace tesh::vms_server_plugins::analytics::qv
