// The best shot of one object track: where the camera's image of the object can be fetched.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <tesh/sdk/analytics/i_object_track_best_shot_packet.h>
#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/ref_countable.h>

namespace tesh::sdk::analytics {

class ObjectTrackBestShotPacket: public RefCountable<IObjectTrackBestShotPacket>
{
public:
    ObjectTrackBestShotPacket(const Uuid& trackId, int64_t timestampUs, const Rect& boundingBox):
        m_trackId(trackId),
        m_timestampUs(timestampUs),
        m_boundingBox(boundingBox)
    {}

    int64_t timestampUs() const override { return m_timestampUs; }
    void getTrackId(Uuid* outValue) const override;
    void getBoundingBox(Rect* outValue) const override;
    const char* imageUrl() const override { return m_imageUrl.c_str(); }
    const char* imageData() const override { return m_imageData.empty() ? nullptr : m_imageData.data(); }
    int imageDataSize() const override { return static_cast<int>(m_imageData.size()); }
    const char* imageDataFormat() const override { return m_imageDataFormat.c_str(); }
    const IAttribute* attribute(int index) const override { return shareAt(m_attributes, index); }
    int attributeCount() const override { return static_cast<int>(m_attributes.size()); }
    int auxiliaryValue() const override { return 0; }

    void setTimestampUs(int64_t timestampUs) { m_timestampUs = timestampUs; }
    void setTrackId(const Uuid& trackId) { m_trackId = trackId; }
    void setImageUrl(std::string imageUrl) { m_imageUrl = std::move(imageUrl); }

protected:
    ~ObjectTrackBestShotPacket() override = default;

private:
    Uuid m_trackId;
    int64_t m_timestampUs;
    Rect m_boundingBox;
    std::string m_imageUrl;
    std::vector<char> m_imageData;
    std::string m_imageDataFormat;
    std::vector<Ptr<const IAttribute>> m_attributes;
};

} // namespace tesh::sdk::analytics
