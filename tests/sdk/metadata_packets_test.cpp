// Object, event and best-shot packets as the host reads them through their slots.
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include <host_double/assertion_report.h>
#include <host_double/interface_queries.h>
#include <host_double/leak_check.h>
#include <host_double/ref_count_of.h>
#include <host_double/stderr_capture.h>
#include <host_double/uuid_for_test.h>
#include <tesh/sdk/analytics/helpers/event_metadata.h>
#include <tesh/sdk/analytics/helpers/event_metadata_packet.h>
#include <tesh/sdk/analytics/helpers/object_metadata.h>
#include <tesh/sdk/analytics/helpers/object_metadata_packet.h>
#include <tesh/sdk/analytics/helpers/object_track_best_shot_packet.h>
#include <tesh/sdk/helpers/ptr.h>

namespace tesh::sdk::analytics {
namespace {

using test::expectInterfaceQueries;
using test::expectOneAssertionReport;
using test::makeUuid;
using test::refCountOf;

void expectBox(const Rect& actual, const Rect& expected)
{
    EXPECT_FLOAT_EQ(actual.x, expected.x);
    EXPECT_FLOAT_EQ(actual.y, expected.y);
    EXPECT_FLOAT_EQ(actual.width, expected.width);
    EXPECT_FLOAT_EQ(actual.height, expected.height);
}

// ------------------------------------------------------------------------------------------------
// Object and event packets: the same container behaviour, checked once for each kind.

struct ObjectPacketKind
{
    using Packet = ObjectMetadataPacket;
    using PacketInterface = IObjectMetadataPacket;
    using Item = ObjectMetadata;
    using ItemInterface = IObjectMetadata;
    static constexpr const char* kNullItemCondition = "objectMetadata";
    static constexpr const char* kPrefix = "[object_metadata_packet] ";
    static constexpr const char* kSourceFileName = "object_metadata_packet.cpp";
};

struct EventPacketKind
{
    using Packet = EventMetadataPacket;
    using PacketInterface = IEventMetadataPacket;
    using Item = EventMetadata;
    using ItemInterface = IEventMetadata;
    static constexpr const char* kNullItemCondition = "eventMetadata";
    static constexpr const char* kPrefix = "[event_metadata_packet] ";
    static constexpr const char* kSourceFileName = "event_metadata_packet.cpp";
};

// Every test fails when it leaves a packet or item alive, e.g. an item that a packet forgot to release.
template<class Kind>
class CompoundPacketTest: public test::NoLeakTest
{
protected:
    using Packet = typename Kind::Packet;
    using PacketInterface = typename Kind::PacketInterface;
    using Item = typename Kind::Item;

    static Ptr<Item> makeItem(const std::string& typeId)
    {
        auto item = makePtr<Item>();
        item->setTypeId(typeId);
        return item;
    }
};

using PacketKinds = testing::Types<ObjectPacketKind, EventPacketKind>;

class PacketKindNames
{
public:
    template<class Kind>
    static std::string GetName(int /*index*/)
    {
        return std::is_same_v<Kind, ObjectPacketKind> ? "Object" : "Event";
    }
};

TYPED_TEST_SUITE(CompoundPacketTest, PacketKinds, PacketKindNames);

TYPED_TEST(CompoundPacketTest, newPacketHasUnsetStampsAndNoItems)
{
    const auto packet = makePtr<typename TestFixture::Packet>();
    const typename TestFixture::PacketInterface* const slots = packet.get();

    EXPECT_EQ(slots->timestampUs(), -1);
    EXPECT_EQ(slots->durationUs(), -1);
    EXPECT_EQ(slots->count(), 0);
    EXPECT_EQ(slots->auxiliaryValue(), 0);
    EXPECT_EQ(slots->at(0), nullptr);
    EXPECT_EQ(slots->at(-1), nullptr);
}

TYPED_TEST(CompoundPacketTest, stampsAreReadBackThroughTheSlots)
{
    const auto packet = makePtr<typename TestFixture::Packet>();
    const typename TestFixture::PacketInterface* const slots = packet.get();

    packet->setTimestampUs(1'700'000'000'123'456);
    packet->setDurationUs(1);

    EXPECT_EQ(slots->timestampUs(), 1'700'000'000'123'456);
    EXPECT_EQ(slots->durationUs(), 1);

    packet->setTimestampUs(0);
    packet->setDurationUs(40'000);

    EXPECT_EQ(slots->timestampUs(), 0);
    EXPECT_EQ(slots->durationUs(), 40'000);
}

TYPED_TEST(CompoundPacketTest, itemsAreKeptInInsertionOrder)
{
    const auto packet = makePtr<typename TestFixture::Packet>();
    const std::vector<std::string> typeIds{"tesh.qv.Human", "tesh.qv.Car", "tesh.qv.Bus"};
    for (const auto& typeId: typeIds)
        packet->addItem(TestFixture::makeItem(typeId).get());

    const typename TestFixture::PacketInterface* const slots = packet.get();
    ASSERT_EQ(slots->count(), static_cast<int>(typeIds.size()));
    for (int i = 0; i < slots->count(); ++i)
    {
        const auto item = adopt(slots->at(i));
        ASSERT_NE(item.get(), nullptr) << "index " << i;
        EXPECT_EQ(item->typeId(), typeIds[static_cast<size_t>(i)]) << "index " << i;
    }
}

TYPED_TEST(CompoundPacketTest, atOutsideTheItemsIsNull)
{
    const auto packet = makePtr<typename TestFixture::Packet>();
    packet->addItem(TestFixture::makeItem("a").get());
    packet->addItem(TestFixture::makeItem("b").get());
    const typename TestFixture::PacketInterface* const slots = packet.get();

    EXPECT_EQ(slots->at(-1), nullptr);
    EXPECT_EQ(slots->at(slots->count()), nullptr);
    EXPECT_EQ(slots->at(1000), nullptr);
}

TYPED_TEST(CompoundPacketTest, atReturnsTheItemWithANewReference)
{
    const auto packet = makePtr<typename TestFixture::Packet>();
    const auto item = TestFixture::makeItem("a");
    packet->addItem(item.get());
    ASSERT_EQ(item->refCount(), 2);

    const auto returned = adopt(static_cast<const typename TestFixture::PacketInterface*>(packet.get())->at(0));

    EXPECT_EQ(returned.get(), item.get());
    EXPECT_EQ(item->refCount(), 3);
}

TYPED_TEST(CompoundPacketTest, packetHoldsItsOwnReferenceToEachItemUntilDestroyed)
{
    auto packet = makePtr<typename TestFixture::Packet>();
    const auto item = TestFixture::makeItem("a");
    const auto sameItemTwice = TestFixture::makeItem("b");

    packet->addItem(item.get());
    packet->addItem(sameItemTwice.get());
    packet->addItem(sameItemTwice.get());

    EXPECT_EQ(item->refCount(), 2);
    EXPECT_EQ(sameItemTwice->refCount(), 3);
    EXPECT_EQ(packet->count(), 3);

    packet.reset();

    EXPECT_EQ(item->refCount(), 1);
    EXPECT_EQ(sameItemTwice->refCount(), 1);
}

TYPED_TEST(CompoundPacketTest, itemsOutliveTheirCreatorsReferenceInsideThePacket)
{
    auto packet = makePtr<typename TestFixture::Packet>();
    const IRefCountable* itemAddress = nullptr;
    {
        const auto item = TestFixture::makeItem("tesh.qv.Truck");
        itemAddress = item.get();
        packet->addItem(item.get());
    }

    EXPECT_TRUE(test::installedRegistry().isLive(itemAddress));
    const auto item = adopt(static_cast<const typename TestFixture::PacketInterface*>(packet.get())->at(0));
    ASSERT_NE(item.get(), nullptr);
    EXPECT_STREQ(item->typeId(), "tesh.qv.Truck");
}

TYPED_TEST(CompoundPacketTest, nullItemIsReportedAndNotAdded)
{
    const auto packet = makePtr<typename TestFixture::Packet>();
    packet->addItem(TestFixture::makeItem("a").get());

    test::StderrCapture capture;
    packet->addItem(nullptr);
    expectOneAssertionReport(capture, TypeParam::kPrefix, TypeParam::kSourceFileName, TypeParam::kNullItemCondition);
    EXPECT_EQ(packet->count(), 1);
}

// ------------------------------------------------------------------------------------------------
// Best-shot packet

class BestShotPacketTest: public test::NoLeakTest
{
protected:
    const Uuid m_trackId = makeUuid(42);
    static constexpr int64_t kTimestampUs = 1'234'567'890;
    const Rect m_box{0.125F, 0.25F, 0.5F, 0.375F};
};

TEST_F(BestShotPacketTest, reportsItsConstructionValuesAndHasNoImage)
{
    const auto packet = makePtr<ObjectTrackBestShotPacket>(m_trackId, kTimestampUs, m_box);
    const IObjectTrackBestShotPacket* const slots = packet.get();

    EXPECT_EQ(slots->timestampUs(), kTimestampUs);
    Uuid trackId;
    slots->getTrackId(&trackId);
    EXPECT_EQ(trackId, m_trackId);
    Rect box;
    slots->getBoundingBox(&box);
    expectBox(box, m_box);

    EXPECT_STREQ(slots->imageUrl(), "");
    EXPECT_EQ(slots->imageData(), nullptr);
    EXPECT_EQ(slots->imageDataSize(), 0);
    EXPECT_STREQ(slots->imageDataFormat(), "");
    EXPECT_EQ(slots->attributeCount(), 0);
    EXPECT_EQ(slots->attribute(0), nullptr);
    EXPECT_EQ(slots->attribute(-1), nullptr);
    EXPECT_EQ(slots->auxiliaryValue(), 0);
}

TEST_F(BestShotPacketTest, settersReplaceTheirMemberOnly)
{
    const auto packet = makePtr<ObjectTrackBestShotPacket>(m_trackId, kTimestampUs, m_box);
    const IObjectTrackBestShotPacket* const slots = packet.get();

    packet->setImageUrl("http://127.0.0.1/snapshot/7.jpg");
    packet->setTimestampUs(kTimestampUs + 1000);
    packet->setTrackId(makeUuid(9));

    EXPECT_STREQ(slots->imageUrl(), "http://127.0.0.1/snapshot/7.jpg");
    EXPECT_EQ(slots->timestampUs(), kTimestampUs + 1000);
    Uuid trackId;
    slots->getTrackId(&trackId);
    EXPECT_EQ(trackId, makeUuid(9));

    Rect box;
    slots->getBoundingBox(&box);
    expectBox(box, m_box);
    EXPECT_EQ(slots->imageData(), nullptr);
    EXPECT_EQ(slots->imageDataSize(), 0);
    EXPECT_STREQ(slots->imageDataFormat(), "");
}

TEST_F(BestShotPacketTest, nullDestinationIsReportedWithoutCrashing)
{
    const auto packet = makePtr<ObjectTrackBestShotPacket>(m_trackId, kTimestampUs, m_box);
    const IObjectTrackBestShotPacket* const slots = packet.get();

    struct Row
    {
        const char* what;
        std::function<void()> call;
    };
    const std::vector<Row> rows{
        {"getTrackId", [&] { slots->getTrackId(nullptr); }},
        {"getBoundingBox", [&] { slots->getBoundingBox(nullptr); }},
    };

    for (const Row& row: rows)
    {
        SCOPED_TRACE(row.what);
        test::StderrCapture capture;
        row.call();
        expectOneAssertionReport(
            capture, "[object_track_best_shot_packet] ", "object_track_best_shot_packet.cpp", "outValue");
    }
}

// ------------------------------------------------------------------------------------------------
// Interface queries

class MetadataPacketsTest: public test::NoLeakTest
{};

TEST_F(MetadataPacketsTest, answersExactlyTheIdsOfItsInterfaceFamily)
{
    const auto bestShot = makePtr<ObjectTrackBestShotPacket>(makeUuid(1), 0, Rect{});
    const auto objectPacket = makePtr<ObjectMetadataPacket>();
    const auto eventPacket = makePtr<EventMetadataPacket>();

    const IRefCountable* const b = bestShot.get();
    const IRefCountable* const o = objectPacket.get();
    const IRefCountable* const e = eventPacket.get();
    const std::vector<test::InterfaceQuery> rows{
        {b, "best shot", "tesh::sdk::analytics::IObjectTrackBestShotPacket2", true},
        {b, "best shot", "tesh::sdk::analytics::IObjectTrackBestShotPacket1", true},
        {b, "best shot", "tesh::sdk::analytics::IObjectTrackBestShotPacket", true},
        {b, "best shot", "tesh::sdk::analytics::IMetadataPacket", true},
        {b, "best shot", "tesh::sdk::analytics::IDataPacket", true},
        {b, "best shot", "tesh::sdk::IRefCountable", true},
        {b, "best shot", "tesh::sdk::analytics::ICompoundMetadataPacket", false},
        {b, "best shot", "tesh::sdk::analytics::IObjectMetadataPacket", false},
        {b, "best shot", "tesh::sdk::analytics::IObjectTrackBestShotPacket3", false},
        {o, "object packet", "tesh::sdk::analytics::IObjectMetadataPacket1", true},
        {o, "object packet", "tesh::sdk::analytics::IObjectMetadataPacket", true},
        {o, "object packet", "tesh::sdk::analytics::ICompoundMetadataPacket", true},
        {o, "object packet", "tesh::sdk::analytics::IMetadataPacket", true},
        {o, "object packet", "tesh::sdk::analytics::IDataPacket", true},
        {o, "object packet", "tesh::sdk::IRefCountable", true},
        {o, "object packet", "tesh::sdk::analytics::IEventMetadataPacket", false},
        {o, "object packet", "tesh::sdk::analytics::IObjectMetadata", false},
        {o, "object packet", "tesh::sdk::analytics::IObjectTrackBestShotPacket", false},
        {o, "object packet", "tesh::sdk::analytics::IObjectMetadataPacket2", false},
        {e, "event packet", "tesh::sdk::analytics::IEventMetadataPacket1", true},
        {e, "event packet", "tesh::sdk::analytics::IEventMetadataPacket", true},
        {e, "event packet", "tesh::sdk::analytics::ICompoundMetadataPacket", true},
        {e, "event packet", "tesh::sdk::analytics::IMetadataPacket", true},
        {e, "event packet", "tesh::sdk::analytics::IDataPacket", true},
        {e, "event packet", "tesh::sdk::analytics::IObjectMetadataPacket", false},
        {e, "event packet", "tesh::sdk::analytics::IEventMetadata", false},
    };

    expectInterfaceQueries(rows);
}

} // namespace
} // namespace tesh::sdk::analytics
