// The host's compressed video frame; the library reads only its time and size.
#pragma once

#include <cstdint>

#include <host_double/host_object.h>
#include <tesh/sdk/analytics/i_compressed_video_packet.h>

namespace tesh::test {

/** Carries no video: the slots the library does not use answer with empty, harmless values. */
class CompressedVideoPacket: public HostObject<sdk::analytics::ICompressedVideoPacket>
{
public:
    CompressedVideoPacket(int64_t timestampUs, int width, int height):
        m_timestampUs(timestampUs),
        m_width(width),
        m_height(height)
    {}

    int64_t timestampUs() const override { return m_timestampUs; }
    const char* codec() const override { return ""; }
    const char* data() const override { return ""; }
    int dataSize() const override { return 0; }
    const sdk::IRefCountable* context() const override { return nullptr; }
    int flags() const override { return 0; }
    int width() const override { return m_width; }
    int height() const override { return m_height; }

private:
    const int64_t m_timestampUs;
    const int m_width;
    const int m_height;
};

} // namespace tesh::test
