// Objects of a camera document turned into tracked objects and best shots.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tesh/kit/steady_clock.h>

#include <host_double/leak_check.h>
#include <metadata/color_naming.h>
#include <metadata/convert_objects.h>
#include <metadata/track_ids.h>

#include <support/metadata_views.h>

namespace tesh::test {
namespace {

using namespace tesh::vms_server_plugins::analytics::qv;

constexpr int64_t kPassUs = 5'000'000;

MetadataObject person(int32_t objectId)
{
    MetadataObject object;
    object.objectId = objectId;
    object.classType = "Person";
    object.left = 960;
    object.top = 540;
    object.right = 1920;
    object.bottom = 1080;
    return object;
}

MetadataObject vehicle(const std::string& vehicleType)
{
    MetadataObject object = person(3);
    object.classType = "Vehicle";
    object.vehicleType = vehicleType;
    return object;
}

MetadataDocument documentOf(std::vector<MetadataObject> objects)
{
    MetadataDocument document;
    document.scaleX = 2.0F / 3840;
    document.scaleY = 2.0F / 2160;
    document.objects = std::move(objects);
    return document;
}

/** The agent state that conversions of successive passes share. */
class ObjectConversionTest: public NoLeakTest
{
protected:
    ObjectConversion convert(const MetadataDocument& document, int64_t passUs = kPassUs)
    {
        return convertObjects(document,
            {passUs, kit::steadyClockNs(), highlightSeconds, displayTypes, span, highlights, firstAppearances, trackIds,
                attributes});
    }

    static std::vector<ObjectView> objects(const ObjectConversion& conversion)
    {
        return conversion.objectPacket ? objectsOf(*conversion.objectPacket) : std::vector<ObjectView>{};
    }

    int32_t highlightSeconds = 0;
    DisplayTypes displayTypes;
    CoordinateSpan span;
    BehaviorHighlights highlights;
    FirstAppearances firstAppearances;
    TrackIds trackIds;
    SharedAttributes attributes;
};

TEST_F(ObjectConversionTest, tracksPersonWithNormalisedBoxAndClassColour)
{
    const ObjectConversion conversion = convert(documentOf({person(7)}));

    ASSERT_TRUE(conversion.objectPacket);
    EXPECT_EQ(conversion.objectPacket->timestampUs(), kPassUs);
    EXPECT_EQ(conversion.objectPacket->durationUs(), 1);
    EXPECT_TRUE(conversion.bestShotPackets.empty());
    const auto tracked = objects(conversion);
    ASSERT_EQ(tracked.size(), 1U);
    EXPECT_EQ(tracked[0].typeId, "tesh.qv.Human");
    EXPECT_NEAR(tracked[0].box.x, 0.25, 1e-5);
    EXPECT_NEAR(tracked[0].box.y, 0.25, 1e-5);
    EXPECT_NEAR(tracked[0].box.width, 0.25, 1e-5);
    EXPECT_NEAR(tracked[0].box.height, 0.25, 1e-5);
    EXPECT_EQ(tracked[0].attributes, (Attributes{{"tesh.sys.color", "Green"}}));
    EXPECT_EQ(firstAppearances.size(), 1U);
    EXPECT_EQ(tracked[0].trackId, trackIds.trackIdForObject(7));
}

TEST_F(ObjectConversionTest, bestShotIsStampedJustAfterTheFirstEmissionOnce)
{
    convert(documentOf({person(7)}), 1'000'000);
    MetadataObject withImage = person(7);
    withImage.imageRef = "http://127.0.0.1/snapshot/7.jpg";

    const ObjectConversion first = convert(documentOf({withImage}), 3'000'000);
    const ObjectConversion second = convert(documentOf({withImage}), 4'000'000);

    ASSERT_EQ(first.bestShotPackets.size(), 1U);
    const auto& bestShot = *first.bestShotPackets[0];
    EXPECT_EQ(bestShot.timestampUs(), 1'001'000);
    EXPECT_STREQ(bestShot.imageUrl(), "http://127.0.0.1/snapshot/7.jpg");
    sdk::Uuid bestShotTrack;
    bestShot.getTrackId(&bestShotTrack);
    EXPECT_EQ(bestShotTrack, trackIds.trackIdForObject(7));
    sdk::analytics::Rect bestShotBox;
    bestShot.getBoundingBox(&bestShotBox);
    EXPECT_EQ(bestShotBox.x, -1.0F);
    EXPECT_EQ(bestShotBox.height, -1.0F);

    const auto items = objects(first);
    ASSERT_EQ(items.size(), 1U);
    EXPECT_EQ(first.objectPacket->timestampUs(), 1'001'000);
    EXPECT_EQ(items[0].trackId, bestShotTrack);
    EXPECT_EQ(items[0].box.x, -1.0F) << "a best shot's object carries no box";
    EXPECT_EQ(items[0].attributes, (Attributes{{"Object ID", "7"}}));

    ASSERT_EQ(second.bestShotPackets.size(), 1U);
    EXPECT_EQ(second.bestShotPackets[0]->timestampUs(), 4'000'000) << "the first emission is used up";
}

TEST_F(ObjectConversionTest, aPacketWithATrackedObjectKeepsThePassTime)
{
    MetadataObject withImage = person(7);
    withImage.imageRef = "http://127.0.0.1/snapshot/7.jpg";
    struct Row
    {
        const char* reason;
        std::vector<MetadataObject> objects;
        int64_t expectedUs;
    };
    const Row rows[] = {
        {"best shot first", {withImage, person(8)}, 3'000'000},
        {"best shot last", {person(8), withImage}, 3'000'000},
        {"best shots alone take the best-shot time", {withImage}, 1'001'000},
    };
    for (const Row& row: rows)
    {
        convert(documentOf({person(7)}), 1'000'000);
        const ObjectConversion conversion = convert(documentOf(row.objects), 3'000'000);
        ASSERT_TRUE(conversion.objectPacket) << row.reason;
        EXPECT_EQ(conversion.objectPacket->timestampUs(), row.expectedUs) << row.reason;
        ASSERT_EQ(conversion.bestShotPackets.size(), 1U) << row.reason;
        EXPECT_EQ(conversion.bestShotPackets[0]->timestampUs(), 1'001'000) << row.reason << ": its own time";
    }
}

TEST_F(ObjectConversionTest, boxesNeverHaveANegativeSize)
{
    struct Row
    {
        const char* reason;
        float left, top, right, bottom;
    };
    const Row rows[] = {
        {"downwards, as most cameras write", 960, 540, 1920, 1080},
        {"coordinates running upwards: bottom above top", 960, 1080, 1920, 540},
        {"right left of left", 1920, 540, 960, 1080},
    };
    for (const Row& row: rows)
    {
        MetadataObject object = person(1);
        object.left = row.left;
        object.top = row.top;
        object.right = row.right;
        object.bottom = row.bottom;
        const auto tracked = objects(convert(documentOf({object})));
        ASSERT_EQ(tracked.size(), 1U) << row.reason;
        EXPECT_NEAR(tracked[0].box.x, 0.25, 1e-5) << row.reason;
        EXPECT_NEAR(tracked[0].box.y, 0.25, 1e-5) << row.reason;
        EXPECT_NEAR(tracked[0].box.width, 0.25, 1e-5) << row.reason;
        EXPECT_NEAR(tracked[0].box.height, 0.25, 1e-5) << row.reason;
    }
}

TEST_F(ObjectConversionTest, classTableDecidesTypeHighlightAndDisplay)
{
    struct Row
    {
        const char* reason;
        MetadataObject object;
        DisplayTypes display;
        bool packetExpected;
        const char* typeId; //< Null: nothing emitted.
        const char* highlight;
    };
    MetadataObject human = person(1);
    human.classType = "Human";
    MetadataObject head = person(2);
    head.classType = "HumanHead";
    MetadataObject face = person(4);
    face.classType = "Face";
    const DisplayTypes all;
    const Row rows[] = {
        {"a person", person(1), all, true, "tesh.qv.Human", "Green"},
        {"the camera's other name for a person", human, all, true, "tesh.qv.Human", "Green"},
        {"a head is never tracked, yet recognised", head, all, true, nullptr, nullptr},
        {"a car", vehicle("Car"), all, true, "tesh.qv.Car", "Cyan"},
        {"a truck", vehicle("Truck"), all, true, "tesh.qv.Truck", "Cyan"},
        {"a bus", vehicle("Bus"), all, true, "tesh.qv.Bus", "Cyan"},
        {"a bicycle", vehicle("Bicycle"), all, true, "tesh.qv.Bicycle", "Blue"},
        {"a motorcycle", vehicle("Motorcycle"), all, true, "tesh.qv.Motorcycle", "Blue"},
        {"a vehicle type we do not know is a car", vehicle("Van"), all, true, "tesh.qv.Car", "Cyan"},
        {"a class we do not know is dropped", face, all, false, nullptr, nullptr},
        {"motorcycles hidden", vehicle("Motorcycle"), {true, false, true}, true, nullptr, nullptr},
        {"cars hidden", vehicle("Van"), {true, true, false}, true, nullptr, nullptr},
        {"people hidden", person(1), {false, true, true}, true, nullptr, nullptr},
        {"cars hidden, bicycles still shown", vehicle("Bicycle"), {true, true, false}, true, "tesh.qv.Bicycle", "Blue"},
    };
    for (const Row& row: rows)
    {
        SCOPED_TRACE(row.reason);
        displayTypes = row.display;
        const ObjectConversion conversion = convert(documentOf({row.object}));
        ASSERT_EQ(static_cast<bool>(conversion.objectPacket), row.packetExpected);
        const auto items = objects(conversion);
        if (!row.typeId)
        {
            EXPECT_TRUE(items.empty());
            continue;
        }
        ASSERT_EQ(items.size(), 1U);
        EXPECT_EQ(items[0].typeId, row.typeId);
        EXPECT_EQ(highlightOf(items[0]), row.highlight);
    }
}

TEST_F(ObjectConversionTest, bestShotAttributesFollowWhatTheCameraSent)
{
    MetadataObject shopper = person(9);
    shopper.imageRef = "http://127.0.0.1/snapshot/9.jpg";
    shopper.presence = kFaceRead | kTopColorRead | kBottomColorRead | kBagRead;
    shopper.gender = "Female";
    shopper.mask = true;
    shopper.topColor = {82, 90, 240}; //< Red in the camera's luma and colour differences.
    shopper.bottomColor = {16, 128, 128};
    shopper.bagCategory = "Backpack";
    MetadataObject head = person(0);
    head.classType = "HumanHead";
    head.imageRef = "http://127.0.0.1/snapshot/head.jpg";
    MetadataObject truck = vehicle("Truck");
    truck.imageRef = "http://127.0.0.1/snapshot/3.jpg";
    truck.presence = kVehicleColorRead;
    truck.vehicleColor = {235, 128, 128};
    MetadataObject anonymous = person(0);
    anonymous.imageRef = "http://127.0.0.1/snapshot/0.jpg";

    const auto items = objects(convert(documentOf({shopper, head, truck, anonymous})));

    ASSERT_EQ(items.size(), 4U);
    EXPECT_EQ(items[0].attributes,
        (Attributes{{"Object ID", "9"}, {"Gender", "Female"}, {"Eyewear", "false"}, {"Mask", "true"}, {"Hat", "false"},
            {"Helmet", "false"}, {"Top Color", "Red"}, {"Bottom Color", "Black"}, {"Bag", "Backpack"}}));
    EXPECT_EQ(items[1].typeId, "tesh.qv.Head");
    EXPECT_EQ(items[1].attributes, (Attributes{{"Object ID", "0"}})) << "a head names its id even when it is 0";
    EXPECT_EQ(items[2].attributes, (Attributes{{"Object ID", "3"}, {"Color", "White"}}));
    EXPECT_TRUE(items[3].attributes.empty()) << "no id 0 for a person";
}

TEST_F(ObjectConversionTest, recentBehaviourTurnsObjectRedWhileHighlightingIsOn)
{
    highlights.record(7, 0);

    highlightSeconds = 10;
    const auto highlighted = objects(convert(documentOf({person(7), person(8)})));
    highlightSeconds = 0;
    const auto switchedOff = objects(convert(documentOf({person(7)})));

    ASSERT_EQ(highlighted.size(), 2U);
    EXPECT_EQ(highlightOf(highlighted[0]), "Red");
    EXPECT_EQ(highlightOf(highlighted[1]), "Green");
    ASSERT_EQ(switchedOff.size(), 1U);
    EXPECT_EQ(highlightOf(switchedOff[0]), "Green");
}

TEST_F(ObjectConversionTest, withoutUsableScaleNoBoxReachesTheHost)
{
    MetadataDocument unscaled = documentOf({person(1)});
    unscaled.scaleX = 0;
    MetadataObject withImage = person(2);
    withImage.imageRef = "http://127.0.0.1/snapshot/2.jpg";
    unscaled.objects.push_back(withImage);

    const ObjectConversion withoutSpan = convert(unscaled);
    EXPECT_FALSE(span.isKnown());
    const auto items = objects(withoutSpan);
    ASSERT_EQ(items.size(), 1U) << "the best shot needs no box";
    EXPECT_EQ(withoutSpan.bestShotPackets.size(), 1U);

    MetadataDocument scaled = documentOf({person(1)});
    convert(scaled);
    ASSERT_TRUE(span.isKnown());
    scaled.scaleX = 2.0F / 1920;
    const auto later = objects(convert(scaled));
    ASSERT_EQ(later.size(), 1U);
    EXPECT_NEAR(later[0].box.x, 0.25, 1e-5) << "the first usable scale fixes the span for good";
}

TEST_F(ObjectConversionTest, objectWhoseBoxWouldNotBeFiniteIsNotTracked)
{
    MetadataDocument document = documentOf({person(1)});
    document.scaleX = 3e38F; //< A span of almost nothing: every coordinate divides to infinity.

    const ObjectConversion conversion = convert(document);

    ASSERT_TRUE(conversion.objectPacket) << "the person was recognised";
    EXPECT_TRUE(objects(conversion).empty());
}

TEST(ColorNaming, picksTheNearestTableColourFirstOnTies)
{
    struct Row
    {
        ColorValue color;
        const char* name;
        const char* reason;
    };
    const Row rows[] = {
        {{128, 128, 128}, "Gray", "mid luma, no colour"},
        {{255, 128, 128}, "White", "full luma"},
        {{0, 128, 128}, "Black", "no luma"},
        {{64, 128, 128}, "Brown", "dark grey is nearest to brown"},
        {{0, 0, 100}, "Black", "(0, 64, 0) is as near to black as to green: the earlier wins"},
        {{-1, -1, -1}, "Green", "never read: (0, 135, 0)"},
        {{82, 90, 240}, "Red", "the camera's red"},
        {{41, 240, 110}, "Blue", "the camera's blue"},
    };
    for (const Row& row: rows)
        EXPECT_STREQ(nearestColorName(row.color), row.name) << row.reason;
}

TEST(TrackIds, forgetTheObjectSeenLeastRecently)
{
    TrackIds trackIds;
    const sdk::Uuid stayer = trackIds.trackIdForObject(1);
    const sdk::Uuid leaver = trackIds.trackIdForObject(2);
    EXPECT_FALSE(stayer.isNull());
    for (int32_t id = 3; id <= 302; ++id)
    {
        EXPECT_EQ(trackIds.trackIdForObject(1), stayer) << "seen in every document, after " << id - 3 << " others";
        trackIds.trackIdForObject(id);
    }
    EXPECT_EQ(trackIds.size(), 256U);
    EXPECT_NE(trackIds.trackIdForObject(2), leaver) << "unseen while 300 others came: a new track";
}

} // namespace
} // namespace tesh::test
