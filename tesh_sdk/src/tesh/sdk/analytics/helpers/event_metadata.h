// One event reported by the camera: type, caption, description, state and track.
#pragma once

#include <string>

#include <tesh/sdk/analytics/helpers/metadata_item.h>
#include <tesh/sdk/analytics/i_event_metadata.h>

namespace tesh::sdk::analytics {

class EventMetadata: public MetadataItem<IEventMetadata>
{
public:
    EventMetadata() = default;

    const char* caption() const override { return m_caption.c_str(); }
    const char* description() const override { return m_description.c_str(); }
    bool isActive() const override { return m_isActive; }
    void getTrackId(Uuid* outValue) const override;
    const char* auxiliaryText() const override { return ""; }

    void setCaption(std::string caption) { m_caption = std::move(caption); }
    void setDescription(std::string description) { m_description = std::move(description); }
    void setIsActive(bool isActive) { m_isActive = isActive; }
    void setTrackId(const Uuid& trackId) { m_trackId = trackId; }

protected:
    ~EventMetadata() override = default;

private:
    std::string m_caption;
    std::string m_description;
    bool m_isActive = false;
    Uuid m_trackId;
};

} // namespace tesh::sdk::analytics
