// Turns the objects of one camera document into the host's object metadata and best shots.
#include "convert_objects.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <utility>

#include <tesh/sdk/analytics/helpers/attribute.h>
#include <tesh/sdk/analytics/helpers/object_metadata.h>

#include "highlight_colors.h"
#include "type_ids.h"

#include "color_naming.h"
#include "shared_attributes.h"
#include "timestamp.h"

namespace tesh::vms_server_plugins::analytics::qv {

using sdk::IAttribute;
using sdk::Ptr;
using sdk::analytics::Attribute;
using sdk::analytics::ObjectMetadata;
using sdk::analytics::ObjectMetadataPacket;
using sdk::analytics::ObjectTrackBestShotPacket;
using sdk::analytics::Rect;

namespace {

/** The host's attribute type code for a colour. */
constexpr int kColorAttributeType = 3;
constexpr char kHighlightAttributeName[] = "tesh.sys.color";
constexpr int64_t kBestShotDelayUs = 1000; //< After the first emission, so the host has the track by then.

enum class ObjectClass
{
    person,
    head,
    vehicle,
};

struct ClassRow
{
    ObjectClass objectClass;
    const char* typeId;
    const char* highlight; //< Null: never shown as a tracked object.
    bool shown;
};

bool isTwoWheeler(const std::string& vehicleType)
{
    return vehicleType == "Bicycle" || vehicleType == "Motorcycle";
}

std::optional<ClassRow> classify(const MetadataObject& object, const DisplayTypes& displayTypes)
{
    const std::string& classType = object.classType;
    if (classType == "Person" || classType == "Human")
        return ClassRow{ObjectClass::person, kHumanTypeId, kHighlightGreen, displayTypes.person};
    if (classType == "HumanHead")
        return ClassRow{ObjectClass::head, kHeadTypeId, nullptr, false};
    if (classType == "Vehicle")
    {
        const bool twoWheeler = isTwoWheeler(object.vehicleType);
        return ClassRow{ObjectClass::vehicle, vehicleTypeId(object.vehicleType),
            twoWheeler ? kHighlightBlue : kHighlightCyan, twoWheeler ? displayTypes.bicycle : displayTypes.car};
    }
    return std::nullopt;
}

/** The most attributes a best shot carries: a person's object id, face, clothes and bag. */
constexpr std::size_t kMaxBestShotAttributes = 9;

/** Made for each object: the id is that object's alone and worth no place among the shared attributes. */
Ptr<const IAttribute> objectIdAttribute(int32_t objectId)
{
    return sdk::makePtr<Attribute>("Object ID", std::to_string(objectId), 1.0F);
}

const char* boolText(bool value)
{
    return value ? "true" : "false";
}

/** The attributes whose values come from small sets, shared from pass to pass. */
class BestShotAttributes
{
public:
    BestShotAttributes(ObjectMetadata& metadata, SharedAttributes& shared): m_metadata(metadata), m_shared(shared)
    {
        m_metadata.reserveAttributes(kMaxBestShotAttributes);
    }

    void add(const MetadataObject& object, ObjectClass objectClass)
    {
        switch (objectClass)
        {
            case ObjectClass::person: addPerson(object); break;
            case ObjectClass::head: m_metadata.addAttribute(objectIdAttribute(object.objectId)); break;
            case ObjectClass::vehicle:
                if (object.objectId != 0)
                    m_metadata.addAttribute(objectIdAttribute(object.objectId));
                if (object.presence & kVehicleColorRead)
                    addShared("Color", nearestColorName(object.vehicleColor));
                break;
        }
    }

private:
    void addPerson(const MetadataObject& object)
    {
        if (object.objectId != 0)
            m_metadata.addAttribute(objectIdAttribute(object.objectId));
        if (object.presence & kFaceRead)
        {
            addShared("Gender", object.gender);
            addShared("Eyewear", boolText(object.eyewear));
            addShared("Mask", boolText(object.mask));
            addShared("Hat", boolText(object.hat));
            addShared("Helmet", boolText(object.helmet));
        }
        if (object.presence & kTopColorRead)
            addShared("Top Color", nearestColorName(object.topColor));
        if (object.presence & kBottomColorRead)
            addShared("Bottom Color", nearestColorName(object.bottomColor));
        if (object.presence & kBagRead)
            addShared("Bag", object.bagCategory);
    }

    void addShared(std::string_view name, std::string_view value)
    {
        m_metadata.addAttribute(m_shared.get(0, name, value));
    }

    ObjectMetadata& m_metadata;
    SharedAttributes& m_shared;
};

/** A scale the camera wrote as 0, or none at all, must not become an infinite span. */
void fixSpanOnce(CoordinateSpan& span, const MetadataDocument& document)
{
    if (span.isKnown())
        return;
    const float width = 2.0F / std::fabs(document.scaleX);
    const float height = 2.0F / std::fabs(document.scaleY);
    if (!std::isfinite(width) || !std::isfinite(height) || width == 0 || height == 0)
        return;
    span.width = width;
    span.height = height;
}

/**
 * The corners in either order: a camera whose coordinates run upwards (a negative y scale) writes the bottom above
 * the top, and the host wants no box of negative size.
 */
std::optional<Rect> boundingBox(const MetadataObject& object, const CoordinateSpan& span)
{
    const float left = object.left / span.width;
    const float right = object.right / span.width;
    const float top = object.top / span.height;
    const float bottom = object.bottom / span.height;
    Rect box;
    box.x = std::min(left, right);
    box.y = std::min(top, bottom);
    box.width = std::max(left, right) - box.x;
    box.height = std::max(top, bottom) - box.y;
    // The host gets no box at all rather than a NaN or an infinite one.
    for (const float value: {box.x, box.y, box.width, box.height})
    {
        if (!std::isfinite(value))
            return std::nullopt;
    }
    return box;
}

/** The box colour attribute of each highlight, taken from the shared ones once a pass rather than once an object. */
class HighlightAttributes
{
public:
    explicit HighlightAttributes(SharedAttributes& shared): m_shared(shared) {}

    /** @param highlight One of the highlight colour constants, which are told apart by their address. */
    Ptr<const IAttribute> of(const char* highlight)
    {
        for (std::size_t i = 0; i < m_count; ++i)
        {
            if (m_taken[i].first == highlight)
                return m_taken[i].second;
        }
        Ptr<const IAttribute> attribute = m_shared.get(kColorAttributeType, kHighlightAttributeName, highlight);
        if (m_count < m_taken.size())
            m_taken[m_count++] = {highlight, attribute};
        return attribute;
    }

private:
    SharedAttributes& m_shared;
    std::array<std::pair<const char*, Ptr<const IAttribute>>, 4> m_taken; //< As many as there are colours.
    std::size_t m_count = 0;
};

class ObjectConverter
{
public:
    ObjectConverter(const ObjectConversionContext& context):
        m_context(context),
        m_highlightAttributes(context.sharedAttributes)
    {}

    ObjectConversion convert(const MetadataDocument& document);

private:
    void convertObject(const MetadataObject& object);
    void emitTracked(const MetadataObject& object, const ClassRow& row);
    void emitBestShot(const MetadataObject& object, const ClassRow& row);

private:
    const ObjectConversionContext& m_context;
    HighlightAttributes m_highlightAttributes;
    ObjectConversion m_result;
    Ptr<ObjectMetadataPacket> m_packet;
    bool m_hasRecognisedObject = false;
    bool m_hasTrackedObject = false; //< Then the packet keeps the pass time, whatever best shots it also holds.
};

ObjectConversion ObjectConverter::convert(const MetadataDocument& document)
{
    fixSpanOnce(m_context.coordinateSpan, document);
    m_packet = sdk::makePtr<ObjectMetadataPacket>();
    m_packet->reserveItems(document.objects.size());
    m_result.bestShotPackets.reserve(static_cast<std::size_t>(std::count_if(document.objects.begin(),
        document.objects.end(), [](const MetadataObject& object) { return object.imageRef.has_value(); })));
    m_packet->setTimestampUs(m_context.passTimestampUs);
    m_packet->setDurationUs(1);
    // With many cameras a camera's table is out of the cache by its next pass: its misses are taken all at once here
    // instead of one after the other below.
    for (const MetadataObject& object: document.objects)
        m_context.firstAppearances.prefetch(object.objectId);
    for (const MetadataObject& object: document.objects)
        convertObject(object);
    if (m_hasRecognisedObject)
        m_result.objectPacket = std::move(m_packet);
    return std::move(m_result);
}

void ObjectConverter::convertObject(const MetadataObject& object)
{
    const std::optional<ClassRow> row = classify(object, m_context.displayTypes);
    if (!row)
        return;
    m_hasRecognisedObject = true;
    if (object.imageRef)
        emitBestShot(object, *row);
    else if (row->highlight && row->shown)
        emitTracked(object, *row);
}

void ObjectConverter::emitTracked(const MetadataObject& object, const ClassRow& row)
{
    if (!m_context.coordinateSpan.isKnown())
        return;
    const std::optional<Rect> box = boundingBox(object, m_context.coordinateSpan);
    if (!box)
        return;

    const bool highlighted = m_context.highlightSeconds != 0 && m_context.behaviorHighlights.contains(object.objectId);
    auto metadata = sdk::makePtr<ObjectMetadata>();
    metadata->addAttribute(m_highlightAttributes.of(highlighted ? kHighlightRed : row.highlight));
    metadata->setBoundingBox(*box);
    metadata->setTrackId(m_context.trackIds.trackIdForObject(object.objectId));
    metadata->setTypeId(row.typeId);
    m_packet->setTimestampUs(m_context.passTimestampUs);
    m_hasTrackedObject = true;
    m_packet->addItem(metadata.get());
    m_context.firstAppearances.recordIfAbsent(object.objectId, m_context.passTimestampUs, m_context.passStartNs);
}

void ObjectConverter::emitBestShot(const MetadataObject& object, const ClassRow& row)
{
    auto metadata = sdk::makePtr<ObjectMetadata>();
    BestShotAttributes(*metadata, m_context.sharedAttributes).add(object, row.objectClass);

    const std::optional<int64_t> firstEmissionUs = m_context.firstAppearances.take(object.objectId);
    const int64_t timestampUs
        = firstEmissionUs ? shiftedTimestampUs(*firstEmissionUs, kBestShotDelayUs) : m_context.passTimestampUs;
    const sdk::Uuid trackId = m_context.trackIds.trackIdForObject(object.objectId);
    metadata->setTrackId(trackId);
    metadata->setTypeId(row.typeId);
    // Stamped early, the boxes tracked beside it would be drawn where the objects were seconds before.
    if (!m_hasTrackedObject)
        m_packet->setTimestampUs(timestampUs);
    m_packet->addItem(metadata.get());

    auto bestShot = sdk::makePtr<ObjectTrackBestShotPacket>(sdk::Uuid{}, -1, Rect{});
    bestShot->setTrackId(trackId);
    bestShot->setTimestampUs(timestampUs);
    bestShot->setImageUrl(*object.imageRef);
    m_result.bestShotPackets.push_back(std::move(bestShot));
}

} // namespace

ObjectConversion convertObjects(const MetadataDocument& document, const ObjectConversionContext& context)
{
    return ObjectConverter(context).convert(document);
}

const char* vehicleTypeId(std::string_view vehicleType)
{
    if (vehicleType == "Truck")
        return kTruckTypeId;
    if (vehicleType == "Bus")
        return kBusTypeId;
    if (vehicleType == "Bicycle")
        return kBicycleTypeId;
    if (vehicleType == "Motorcycle")
        return kMotorcycleTypeId;
    return kCarTypeId;
}

} // namespace tesh::vms_server_plugins::analytics::qv
