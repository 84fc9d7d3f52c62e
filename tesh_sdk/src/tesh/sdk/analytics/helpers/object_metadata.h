// One detected object in one frame: type, box, track and attributes.
#pragma once

#include <vector>

#include <tesh/sdk/analytics/helpers/metadata_item.h>
#include <tesh/sdk/analytics/i_object_metadata.h>

namespace tesh::sdk::analytics {

class ObjectMetadata: public MetadataItem<IObjectMetadata>
{
public:
    ObjectMetadata() = default;

    void getTrackId(Uuid* outValue) const override;
    const char* auxiliaryText() const override { return ""; }
    void getBoundingBox(Rect* outValue) const override;

    void setTrackId(const Uuid& trackId) { m_trackId = trackId; }
    void setBoundingBox(const Rect& boundingBox) { m_boundingBox = boundingBox; }

    /** Takes over the reference; a null attribute is reported and not added. */
    void addAttribute(Ptr<const IAttribute> attribute);

    /** addAttribute() for each element in order, each moved out of the list. */
    void addAttributes(std::vector<Ptr<const IAttribute>> attributes);

protected:
    ~ObjectMetadata() override = default;

private:
    Uuid m_trackId;
    Rect m_boundingBox;
};

} // namespace tesh::sdk::analytics
