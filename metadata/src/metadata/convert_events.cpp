// Turns the event notifications of one camera document into the host's event metadata.
#include "convert_events.h"

#include <string>

#include <tesh/sdk/analytics/helpers/event_metadata.h>
#include <tesh/sdk/helpers/uuid_helper.h>

#include <tesh/kit/decimal_number.h>
#include "type_ids.h"

namespace tesh::vms_server_plugins::analytics::qv {

using sdk::Ptr;
using sdk::analytics::EventMetadata;
using sdk::analytics::EventMetadataPacket;

namespace {

constexpr char kCounterTopic[] = "tns1:RuleEngine/CountAggregation/Counter";
constexpr char kSceneChangeTopic[] = "tns1:VideoSource/GlobalSceneChange/AnalyticsService";
constexpr char kSettingsChangedTopic[] = "tns1:AI/AppSettingChanged";
constexpr char kBehaviorTopic[] = "tns1:RuleEngine/ObjectDetection/vndObjectEx";

/**
 * "<label> : [n]" where n is one more than the last digit of the last "Rule" source item that ends in one: the
 * camera numbers lines and regions from 0, the host's dialog from 1. Empty without such an item.
 */
std::string rulePart(const MetadataEvent& event, const char* label)
{
    std::string part;
    for (const SimpleItem& item: event.sourceItems)
    {
        if (item.name != "Rule" || item.value.empty() || !kit::isDecimalDigit(item.value.back()))
            continue;
        part = std::string(label) + " : [" + static_cast<char>(item.value.back() + 1) + "]";
    }
    return part;
}

std::string lineCountingDescription(const MetadataEvent& event)
{
    std::string description = rulePart(event, "Event Line");
    for (const SimpleItem& item: event.dataItems)
    {
        if (item.name == "Count")
            description += ", Count : [" + item.value + "]";
    }
    return description;
}

/**
 * Cameras send tampering with "State" false when it ends, and as the current state of every new subscription; only
 * a State item that says false (or 0) makes the notification an end. The last State item wins.
 */
bool isActive(const MetadataEvent& event, const std::string& topic)
{
    if (topic != kSceneChangeTopic)
        return true;
    bool active = true;
    for (const SimpleItem& item: event.dataItems)
    {
        if (item.name == "State")
            active = item.value != "false" && item.value != "0";
    }
    return active;
}

class EventConverter
{
public:
    EventConverter(const EventConversionContext& context): m_context(context) {}

    Ptr<EventMetadataPacket> convert(const MetadataDocument& document);

private:
    void applyTopic(const MetadataEvent& event, const std::string& topic, EventMetadata& metadata);
    void applyBehavior(const MetadataEvent& event, EventMetadata& metadata);

private:
    const EventConversionContext& m_context;
};

Ptr<EventMetadataPacket> EventConverter::convert(const MetadataDocument& document)
{
    auto packet = sdk::makePtr<EventMetadataPacket>();
    packet->reserveItems(document.events.size());
    packet->setTimestampUs(m_context.passTimestampUs);
    packet->setDurationUs(1);
    for (const MetadataEvent& event: document.events)
    {
        if (!event.topic)
            continue;
        auto metadata = sdk::makePtr<EventMetadata>();
        applyTopic(event, *event.topic, *metadata);
        metadata->setIsActive(isActive(event, *event.topic));
        metadata->setTrackId(sdk::randomUuid());
        packet->addItem(metadata.get());
    }
    return packet;
}

void EventConverter::applyTopic(const MetadataEvent& event, const std::string& topic, EventMetadata& metadata)
{
    if (topic == kCounterTopic)
    {
        metadata.setTypeId(kLineCountingTypeId);
        metadata.setCaption("Line Counting");
        metadata.setDescription(lineCountingDescription(event));
    }
    else if (topic == kSceneChangeTopic)
    {
        metadata.setTypeId(kTamperingTypeId);
        metadata.setCaption("Tampering");
    }
    else if (topic == kSettingsChangedTopic)
    {
        metadata.setTypeId(kSettingChangedTypeId);
        metadata.setCaption("AI Setting Changed");
        m_context.cameraSettingsChanged();
    }
    else if (topic == kBehaviorTopic)
    {
        applyBehavior(event, metadata);
    }
}

void EventConverter::applyBehavior(const MetadataEvent& event, EventMetadata& metadata)
{
    metadata.setDescription(rulePart(event, "Event Region"));
    for (const SimpleItem& item: event.dataItems)
    {
        if (item.name == "ObjectId")
        {
            // An id that is no 32-bit decimal integer names no object we could draw; the event still counts.
            const std::optional<int32_t> objectId = kit::parseDecimalInteger(item.value);
            if (objectId && m_context.highlightSeconds > 0)
                m_context.behaviorHighlights.record(*objectId, m_context.passStartNs);
        }
        else if (item.name == "Actions")
        {
            metadata.setTypeId(behaviorTypeId(item.value));
            metadata.setCaption(item.value);
        }
    }
}

} // namespace

Ptr<EventMetadataPacket> convertEvents(const MetadataDocument& document, const EventConversionContext& context)
{
    return EventConverter(context).convert(document);
}

const char* behaviorTypeId(std::string_view action)
{
    struct Row
    {
        std::string_view action;
        const char* typeId;
    };
    static constexpr Row kRows[] = {
        {"Appear", kAppearTypeId},
        {"Stay", kStayTypeId},
        {"Direction", kDirectionTypeId},
        {"Enter", kEnterTypeId},
        {"Exit", kExitTypeId},
        {"Loitering", kLoiteringTypeId},
    };
    for (const Row& row: kRows)
    {
        if (row.action == action)
            return row.typeId;
    }
    return kUnknownTypeId;
}

} // namespace tesh::vms_server_plugins::analytics::qv
