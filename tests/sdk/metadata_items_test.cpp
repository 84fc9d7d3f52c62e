// Attributes, object items and event items as the host reads them through their slots.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <host_double/assertion_report.h>
#include <host_double/interface_queries.h>
#include <host_double/leak_check.h>
#include <host_double/ref_count_of.h>
#include <host_double/stderr_capture.h>
#include <host_double/uuid_for_test.h>
#include <tesh/sdk/analytics/helpers/attribute.h>
#include <tesh/sdk/analytics/helpers/event_metadata.h>
#include <tesh/sdk/analytics/helpers/object_metadata.h>
#include <tesh/sdk/helpers/ptr.h>

namespace tesh::sdk::analytics {
namespace {

using test::expectInterfaceQueries;
using test::expectOneAssertionReport;
using test::makeUuid;
using test::refCountOf;

Uuid filledUuid(uint8_t value)
{
    Uuid uuid;
    std::memset(uuid.bytes, value, sizeof(uuid.bytes));
    return uuid;
}

Ptr<const IAttribute> makeAttribute(const std::string& name, const std::string& value = "v")
{
    return makePtr<Attribute>(name, value, 0.5F);
}

// Every test fails when it leaves an attribute or item alive, e.g. one that an item forgot to release.
class AttributeTest: public test::NoLeakTest
{};

class ObjectMetadataTest: public test::NoLeakTest
{};

class EventMetadataTest: public test::NoLeakTest
{};

class MetadataItemsTest: public test::NoLeakTest
{};

void expectBox(const Rect& actual, float x, float y, float width, float height)
{
    EXPECT_FLOAT_EQ(actual.x, x);
    EXPECT_FLOAT_EQ(actual.y, y);
    EXPECT_FLOAT_EQ(actual.width, width);
    EXPECT_FLOAT_EQ(actual.height, height);
}

// ------------------------------------------------------------------------------------------------
// Attribute

TEST_F(AttributeTest, threeArgumentFormHasTypeZeroAndKeepsItsValues)
{
    const auto attribute = makePtr<Attribute>("Color", "Red", 0.75F);
    const IAttribute* const slots = attribute.get();

    EXPECT_EQ(slots->type(), 0);
    EXPECT_STREQ(slots->name(), "Color");
    EXPECT_STREQ(slots->value(), "Red");
    EXPECT_FLOAT_EQ(slots->confidence(), 0.75F);
}

TEST_F(AttributeTest, fourArgumentFormKeepsItsType)
{
    const auto attribute = makePtr<Attribute>(7, "Size", "Large", 0.25F);
    const IAttribute* const slots = attribute.get();

    EXPECT_EQ(slots->type(), 7);
    EXPECT_STREQ(slots->name(), "Size");
    EXPECT_STREQ(slots->value(), "Large");
    EXPECT_FLOAT_EQ(slots->confidence(), 0.25F);
}

// ------------------------------------------------------------------------------------------------
// ObjectMetadata

TEST_F(ObjectMetadataTest, newObjectReportsFullConfidenceUnsetBoxAndNoTrack)
{
    const auto object = makePtr<ObjectMetadata>();
    const IObjectMetadata* const slots = object.get();

    EXPECT_FLOAT_EQ(slots->confidence(), 1.0F);
    EXPECT_STREQ(slots->typeId(), "");
    EXPECT_STREQ(slots->auxiliaryText(), "");
    EXPECT_EQ(slots->attributeCount(), 0);

    // Pre-filled destinations show that the getters really write.
    Rect box{0.5F, 0.5F, 0.5F, 0.5F};
    slots->getBoundingBox(&box);
    expectBox(box, -1.0F, -1.0F, -1.0F, -1.0F);

    Uuid trackId = filledUuid(0xAB);
    slots->getTrackId(&trackId);
    EXPECT_TRUE(trackId.isNull());
}

TEST_F(ObjectMetadataTest, settersAreReadBackThroughTheSlots)
{
    const auto object = makePtr<ObjectMetadata>();
    const IObjectMetadata* const slots = object.get();

    object->setTypeId("tesh.qv.Car");
    object->setTrackId(makeUuid(1));
    object->setBoundingBox(Rect{0.1F, 0.2F, 0.3F, 0.4F});

    EXPECT_STREQ(slots->typeId(), "tesh.qv.Car");
    Uuid trackId;
    slots->getTrackId(&trackId);
    EXPECT_EQ(trackId, makeUuid(1));
    Rect box;
    slots->getBoundingBox(&box);
    expectBox(box, 0.1F, 0.2F, 0.3F, 0.4F);

    // A second call replaces rather than keeps the first value.
    object->setTypeId("tesh.qv.Bus");
    object->setTrackId(makeUuid(100));
    object->setBoundingBox(Rect{0.0F, 0.0F, 1.0F, 1.0F});

    EXPECT_STREQ(slots->typeId(), "tesh.qv.Bus");
    slots->getTrackId(&trackId);
    EXPECT_EQ(trackId, makeUuid(100));
    slots->getBoundingBox(&box);
    expectBox(box, 0.0F, 0.0F, 1.0F, 1.0F);
    EXPECT_FLOAT_EQ(slots->confidence(), 1.0F);
}

TEST_F(ObjectMetadataTest, attributeOutsideTheListIsNull)
{
    const auto object = makePtr<ObjectMetadata>();
    const IObjectMetadata* const slots = object.get();

    EXPECT_EQ(slots->attribute(0), nullptr);
    EXPECT_EQ(slots->attribute(-1), nullptr);

    object->addAttribute(makeAttribute("a"));
    object->addAttribute(makeAttribute("b"));

    EXPECT_EQ(slots->attribute(-1), nullptr);
    EXPECT_EQ(slots->attribute(slots->attributeCount()), nullptr);
    EXPECT_EQ(slots->attribute(1000), nullptr);
}

TEST_F(ObjectMetadataTest, attributeReturnsTheStoredAttributeWithANewReference)
{
    const auto object = makePtr<ObjectMetadata>();
    const auto attribute = makeAttribute("Color");
    object->addAttribute(attribute);
    ASSERT_EQ(refCountOf(attribute.get()), 2);

    const IObjectMetadata* const slots = object.get();
    const auto returned = adopt(slots->attribute(0));
    EXPECT_EQ(returned.get(), attribute.get());
    EXPECT_EQ(refCountOf(attribute.get()), 3);
}

TEST_F(ObjectMetadataTest, addAttributeTakesOverTheCallersReference)
{
    const auto object = makePtr<ObjectMetadata>();
    auto attribute = makeAttribute("Color");
    const IAttribute* const raw = attribute.get();

    object->addAttribute(std::move(attribute));

    EXPECT_EQ(refCountOf(raw), 1);
    EXPECT_EQ(object->attributeCount(), 1);
}

TEST_F(ObjectMetadataTest, destroyingTheObjectReleasesItsAttributes)
{
    auto object = makePtr<ObjectMetadata>();
    const auto kept = makeAttribute("kept");
    auto handedOver = makeAttribute("handedOver");
    const IAttribute* const handedOverRaw = handedOver.get();
    object->addAttribute(kept);
    object->addAttribute(std::move(handedOver));

    object.reset();

    EXPECT_EQ(refCountOf(kept.get()), 1);
    EXPECT_FALSE(test::installedRegistry().isLive(handedOverRaw));
}

TEST_F(ObjectMetadataTest, nullAttributeIsReportedAndNotAdded)
{
    const auto object = makePtr<ObjectMetadata>();
    object->addAttribute(makeAttribute("a"));

    test::StderrCapture capture;
    object->addAttribute(nullptr);
    expectOneAssertionReport(capture, "[object_metadata] ", "object_metadata.cpp", "attribute");
    EXPECT_EQ(object->attributeCount(), 1);
}

TEST_F(ObjectMetadataTest, addAttributesKeepsTheirOrderAndSkipsNulls)
{
    const auto object = makePtr<ObjectMetadata>();
    object->addAttribute(makeAttribute("first"));

    std::vector<Ptr<const IAttribute>> attributes;
    attributes.push_back(makeAttribute("second"));
    attributes.push_back(makeAttribute("third"));
    attributes.push_back(nullptr);
    attributes.push_back(makeAttribute("fourth"));

    {
        test::StderrCapture capture;
        object->addAttributes(std::move(attributes));
        expectOneAssertionReport(capture, "[object_metadata] ", "object_metadata.cpp", "attribute");
    }

    const IObjectMetadata* const slots = object.get();
    const std::vector<std::string> expectedNames{"first", "second", "third", "fourth"};
    ASSERT_EQ(slots->attributeCount(), static_cast<int>(expectedNames.size()));
    for (int i = 0; i < slots->attributeCount(); ++i)
    {
        const auto attribute = adopt(slots->attribute(i));
        ASSERT_NE(attribute.get(), nullptr);
        EXPECT_EQ(attribute->name(), expectedNames[static_cast<size_t>(i)]) << "index " << i;
        // The object holds the only reference besides the probe's own.
        EXPECT_EQ(refCountOf(attribute.get()), 2) << "index " << i;
    }
}

// ------------------------------------------------------------------------------------------------
// EventMetadata

TEST_F(EventMetadataTest, newEventReportsFullConfidenceInactiveAndEmptyTexts)
{
    const auto event = makePtr<EventMetadata>();
    const IEventMetadata* const slots = event.get();

    EXPECT_FLOAT_EQ(slots->confidence(), 1.0F);
    EXPECT_FALSE(slots->isActive());
    EXPECT_STREQ(slots->typeId(), "");
    EXPECT_STREQ(slots->caption(), "");
    EXPECT_STREQ(slots->description(), "");
    EXPECT_STREQ(slots->auxiliaryText(), "");
    EXPECT_EQ(slots->attributeCount(), 0);
    EXPECT_EQ(slots->attribute(0), nullptr);
    EXPECT_EQ(slots->attribute(-1), nullptr);

    Uuid trackId = filledUuid(0xCD);
    slots->getTrackId(&trackId);
    EXPECT_TRUE(trackId.isNull());
}

TEST_F(EventMetadataTest, settersAreReadBackThroughTheSlots)
{
    const auto event = makePtr<EventMetadata>();
    const IEventMetadata* const slots = event.get();

    event->setTypeId("tesh.qv.LineCrossing");
    event->setCaption("Line 1");
    event->setDescription("Object crossed line 1");
    event->setIsActive(true);
    event->setTrackId(makeUuid(7));

    EXPECT_STREQ(slots->typeId(), "tesh.qv.LineCrossing");
    EXPECT_STREQ(slots->caption(), "Line 1");
    EXPECT_STREQ(slots->description(), "Object crossed line 1");
    EXPECT_TRUE(slots->isActive());
    Uuid trackId;
    slots->getTrackId(&trackId);
    EXPECT_EQ(trackId, makeUuid(7));

    event->setIsActive(false);
    EXPECT_FALSE(slots->isActive());
}

TEST_F(EventMetadataTest, assigningItsOwnTextKeepsIt)
{
    const auto event = makePtr<EventMetadata>();
    event->setCaption("Region 3 entered");
    event->setDescription("A person entered region 3");

    event->setCaption(event->caption());
    event->setDescription(event->description());

    EXPECT_STREQ(event->caption(), "Region 3 entered");
    EXPECT_STREQ(event->description(), "A person entered region 3");
}

// ------------------------------------------------------------------------------------------------
// Null destinations of the out-parameter getters

TEST_F(MetadataItemsTest, nullDestinationIsReportedWithoutCrashing)
{
    const auto object = makePtr<ObjectMetadata>();
    const auto event = makePtr<EventMetadata>();
    const IObjectMetadata* const objectSlots = object.get();
    const IEventMetadata* const eventSlots = event.get();

    struct Row
    {
        const char* what;
        std::function<void()> call;
        const char* prefix;
        const char* sourceFileName;
    };
    const std::vector<Row> rows{
        {"event getTrackId", [&] { eventSlots->getTrackId(nullptr); }, "[event_metadata] ", "event_metadata.cpp"},
        {"object getTrackId", [&] { objectSlots->getTrackId(nullptr); }, "[object_metadata] ", "object_metadata.cpp"},
        {"object getBoundingBox", [&] { objectSlots->getBoundingBox(nullptr); }, "[object_metadata] ",
            "object_metadata.cpp"},
    };

    for (const Row& row: rows)
    {
        SCOPED_TRACE(row.what);
        test::StderrCapture capture;
        row.call();
        expectOneAssertionReport(capture, row.prefix, row.sourceFileName, "outValue");
    }
}

// ------------------------------------------------------------------------------------------------
// Interface queries

TEST_F(MetadataItemsTest, answersExactlyTheIdsOfItsInterfaceFamily)
{
    const auto object = makePtr<ObjectMetadata>();
    const auto event = makePtr<EventMetadata>();
    const auto attribute = makeAttribute("a");

    const IRefCountable* const o = object.get();
    const IRefCountable* const e = event.get();
    const IRefCountable* const a = attribute.get();
    const std::vector<test::InterfaceQuery> rows{
        {e, "event", "tesh::sdk::analytics::IEventMetadata2", true},
        {e, "event", "tesh::sdk::analytics::IEventMetadata1", true},
        {e, "event", "tesh::sdk::analytics::IEventMetadata", true},
        {e, "event", "tesh::sdk::analytics::IMetadata", true},
        {e, "event", "tesh::sdk::IRefCountable", true},
        {e, "event", "tesh::sdk::analytics::IObjectMetadata", false},
        {e, "event", "tesh::sdk::analytics::IEventMetadata3", false},
        {e, "event", "tesh::sdk::analytics::IEventMetadat", false},
        {e, "event", "tesh::sdk::analytics::IDataPacket", false},
        {o, "object", "tesh::sdk::analytics::IObjectMetadata", true},
        {o, "object", "tesh::sdk::analytics::IMetadata", true},
        {o, "object", "tesh::sdk::IRefCountable", true},
        {o, "object", "tesh::sdk::analytics::IEventMetadata", false},
        {o, "object", "tesh::sdk::analytics::IEventMetadata2", false},
        {o, "object", "tesh::sdk::IAttribute", false},
        {o, "object", "", false},
        {a, "attribute", "tesh::sdk::IAttribute", true},
        {a, "attribute", "tesh::sdk::IRefCountable", true},
        {a, "attribute", "tesh::sdk::analytics::IMetadata", false},
    };

    expectInterfaceQueries(rows);
}

} // namespace
} // namespace tesh::sdk::analytics
