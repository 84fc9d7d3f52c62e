// Reading a packet through its interface slots only, as the server reads it, into JSON.
#include "packet_json.h"

#include <cmath>

#include <tesh/sdk/analytics/i_event_metadata.h>
#include <tesh/sdk/analytics/i_event_metadata_packet.h>
#include <tesh/sdk/analytics/i_object_metadata.h>
#include <tesh/sdk/analytics/i_object_metadata_packet.h>
#include <tesh/sdk/analytics/i_object_track_best_shot_packet.h>
#include <tesh/sdk/analytics/rect.h>

#include "host_ref.h"

namespace qvhost {

using namespace tesh::sdk;
using namespace tesh::sdk::analytics;

namespace {

std::string textOf(const char* text)
{
    return text ? text : "";
}

/** Rounded to 6 digits: a float's noise in the last digits only makes the lines harder to read. */
double rounded(float value)
{
    return std::round(static_cast<double>(value) * 1e6) / 1e6;
}

Json boxJson(const Rect& box)
{
    return {
        {"x", rounded(box.x)}, {"y", rounded(box.y)}, {"width", rounded(box.width)}, {"height", rounded(box.height)}};
}

template<class Item>
Json attributesJson(const Item& item)
{
    Json attributes = Json::array();
    for (int i = 0; i < item.attributeCount(); ++i)
    {
        const HostRef<const IAttribute> attribute(item.attribute(i));
        if (attribute)
            attributes.push_back({{"name", textOf(attribute->name())}, {"value", textOf(attribute->value())}});
    }
    return attributes;
}

template<class Item>
Uuid trackIdOf(const Item& item)
{
    Uuid trackId;
    item.getTrackId(&trackId);
    return trackId;
}

Json objectJson(const IObjectMetadata& object)
{
    Rect box;
    object.getBoundingBox(&box);
    return {{"typeId", textOf(object.typeId())}, {"trackId", uuidText(trackIdOf(object))}, {"box", boxJson(box)},
        {"attributes", attributesJson(object)}};
}

Json eventJson(const IEventMetadata& event)
{
    return {{"typeId", textOf(event.typeId())}, {"caption", textOf(event.caption())},
        {"description", textOf(event.description())}, {"isActive", event.isActive()},
        {"trackId", uuidText(trackIdOf(event))}, {"attributes", attributesJson(event)}};
}

/** Items answer for themselves: an item that is not Item is left out. */
template<class Item>
Json itemsJson(const ICompoundMetadataPacket& packet, Json (*toJson)(const Item&))
{
    Json items = Json::array();
    for (int i = 0; i < packet.count(); ++i)
    {
        const HostRef<const IMetadata> metadata(packet.at(i));
        if (const auto item = queryAs<Item>(metadata.get()))
            items.push_back(toJson(*item.get()));
    }
    return items;
}

Json bestShotJson(const IObjectTrackBestShotPacket& bestShot)
{
    Json result
        = {{"kind", "bestShot"}, {"timestampUs", bestShot.timestampUs()}, {"trackId", uuidText(trackIdOf(bestShot))}};
    Rect box;
    bestShot.getBoundingBox(&box);
    // A best shot of a picture the camera took on its own has no box in the frame.
    if (box.x >= 0 && box.y >= 0)
        result["box"] = boxJson(box);
    result["imageUrl"] = textOf(bestShot.imageUrl());
    result["attributes"] = attributesJson(bestShot);
    return result;
}

} // namespace

Json packetJson(const IMetadataPacket* packet)
{
    if (const auto objects = queryAs<IObjectMetadataPacket>(packet))
    {
        return {{"kind", "objects"}, {"timestampUs", objects->timestampUs()},
            {"objects", itemsJson<IObjectMetadata>(*objects.get(), objectJson)}};
    }
    if (const auto bestShot = queryAs<IObjectTrackBestShotPacket>(packet))
        return bestShotJson(*bestShot.get());
    if (const auto events = queryAs<IEventMetadataPacket>(packet))
    {
        return {{"kind", "events"}, {"timestampUs", events->timestampUs()},
            {"events", itemsJson<IEventMetadata>(*events.get(), eventJson)}};
    }
    return {{"kind", "other"}, {"timestampUs", packet->timestampUs()}};
}

std::string uuidText(const Uuid& uuid)
{
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < 16; ++i)
    {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += kHexDigits[uuid.bytes[i] >> 4];
        text += kHexDigits[uuid.bytes[i] & 0xF];
    }
    return text;
}

} // namespace qvhost
