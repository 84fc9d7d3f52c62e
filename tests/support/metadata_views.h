// Reading the library's metadata packets back the way the host does, through the interface slots only.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <host_double/device_agent_handler.h>
#include <tesh/sdk/analytics/i_event_metadata.h>
#include <tesh/sdk/analytics/i_event_metadata_packet.h>
#include <tesh/sdk/analytics/i_object_metadata.h>
#include <tesh/sdk/analytics/i_object_metadata_packet.h>
#include <tesh/sdk/analytics/i_object_track_best_shot_packet.h>
#include <tesh/sdk/analytics/rect.h>
#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/uuid.h>

namespace tesh::test {

using Attributes = std::vector<std::pair<std::string, std::string>>;

struct ObjectView
{
    std::string typeId;
    sdk::Uuid trackId;
    sdk::analytics::Rect box;
    Attributes attributes;
};

struct EventView
{
    std::string typeId;
    std::string caption;
    std::string description;
    bool isActive = false;
    sdk::Uuid trackId;
};

template<class Item>
Attributes attributesOf(const Item& item)
{
    Attributes attributes;
    for (int i = 0; i < item.attributeCount(); ++i)
    {
        const auto attribute = sdk::adopt(item.attribute(i));
        attributes.emplace_back(attribute->name(), attribute->value());
    }
    return attributes;
}

inline std::vector<ObjectView> objectsOf(const sdk::analytics::IObjectMetadataPacket& packet)
{
    std::vector<ObjectView> objects;
    for (int i = 0; i < packet.count(); ++i)
    {
        const auto item = sdk::queryInterface<sdk::analytics::IObjectMetadata>(sdk::adopt(packet.at(i)));
        ObjectView view{item->typeId(), {}, {}, attributesOf(*item)};
        item->getTrackId(&view.trackId);
        item->getBoundingBox(&view.box);
        objects.push_back(std::move(view));
    }
    return objects;
}

inline std::vector<EventView> eventsOf(const sdk::analytics::IEventMetadataPacket& packet)
{
    std::vector<EventView> events;
    for (int i = 0; i < packet.count(); ++i)
    {
        const auto item = sdk::queryInterface<sdk::analytics::IEventMetadata>(sdk::adopt(packet.at(i)));
        EventView view{item->typeId(), item->caption(), item->description(), item->isActive(), {}};
        item->getTrackId(&view.trackId);
        events.push_back(std::move(view));
    }
    return events;
}

inline std::string attributeValue(const Attributes& attributes, const std::string& name)
{
    for (const auto& [key, value]: attributes)
    {
        if (key == name)
            return value;
    }
    return "<absent>";
}

enum class PacketKind
{
    objects,
    bestShot,
    events,
    other,
};

inline PacketKind kindOf(const sdk::analytics::IMetadataPacket* packet)
{
    if (sdk::queryInterface<sdk::analytics::IObjectMetadataPacket>(packet))
        return PacketKind::objects;
    if (sdk::queryInterface<sdk::analytics::IObjectTrackBestShotPacket>(packet))
        return PacketKind::bestShot;
    if (sdk::queryInterface<sdk::analytics::IEventMetadataPacket>(packet))
        return PacketKind::events;
    return PacketKind::other;
}

/** The handler's packets of one kind, in arrival order. */
template<class Interface>
std::vector<sdk::Ptr<Interface>> packetsOf(const DeviceAgentHandler& handler)
{
    std::vector<sdk::Ptr<Interface>> found;
    for (const auto& packet: handler.packets())
    {
        if (auto typed = sdk::queryInterface<Interface>(packet.get()))
            found.push_back(std::move(typed));
    }
    return found;
}

/** The box colour the host draws a tracked object with. */
inline std::string highlightOf(const ObjectView& object)
{
    return attributeValue(object.attributes, "tesh.sys.color");
}

} // namespace tesh::test
