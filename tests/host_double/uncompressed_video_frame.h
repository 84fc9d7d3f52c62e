// The host's decoded video frame; the library reads only its time.
#pragma once

#include <cstdint>

#include <host_double/host_object.h>
#include <tesh/sdk/analytics/i_uncompressed_video_frame.h>

namespace tesh::test {

class UncompressedVideoFrame: public HostObject<sdk::analytics::IUncompressedVideoFrame>
{
public:
    explicit UncompressedVideoFrame(int64_t timestampUs): m_timestampUs(timestampUs) {}

    int64_t timestampUs() const override { return m_timestampUs; }

private:
    const int64_t m_timestampUs;
};

} // namespace tesh::test
