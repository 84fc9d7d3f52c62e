// The camera's metadata documents as the conversions see them, the limits of the walk, and the guards of the
// packet parser against oversized, deeply nested and unterminated input.
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <host_double/repeated_text.h>
#include <metadata/markup_scan.h>
#include <metadata/metadata_parser.h>
#include <metadata/parse_metadata_stream.h>
#include <support/deep_stack_parse.h>
#include <support/document_description.h>
#include <support/small_stack.h>

#include "data_files.h"

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

using tesh::test::readDataFile;
using tesh::test::repeat;
using test::describe;
using test::parseOnADeepStack;
using test::runOnSmallStack;
using Items = std::vector<std::pair<std::string, std::string>>;
using Color = std::array<int32_t, 3>;

constexpr Color kUnread = {-1, -1, -1};

constexpr char kStreamStart[]
    = R"(<?xml version="1.0" encoding="UTF-8"?>
<tt:MetaDataStream xmlns:tt="http://www.onvif.org/ver10/schema" xmlns:wsnt="http://docs.oasis-open.org/wsn/b-2" )"
      R"(xmlns:tns1="http://www.onvif.org/ver10/topics" xmlns:fc="http://www.example.com/qv/face" )"
      R"(xmlns:bd="http://www.example.com/qv/body">)";
constexpr char kStreamEnd[] = "</tt:MetaDataStream>";

/** Takes copies, since the parse writes into its text; a parse on a deep stack must give the same. */
std::unique_ptr<MetadataDocument> parse(std::string text)
{
    const auto onDeepStack = parseOnADeepStack(text);
    auto document = parseMetadataStream(text.data());
    EXPECT_EQ(describe(onDeepStack.get()), describe(document.get())) << "parsed on a deep stack";
    return document;
}

std::string streamOf(const std::string& content)
{
    return kStreamStart + content + kStreamEnd;
}

std::string frameOf(const std::string& objects)
{
    return streamOf(R"(<tt:VideoAnalytics><tt:Frame UtcTime="2024-05-14T09:30:00.000Z">)" + objects
        + "</tt:Frame></tt:VideoAnalytics>");
}

std::string objectOf(const std::string& appearance)
{
    return R"(<tt:Object ObjectId="7"><tt:Appearance>)" + appearance + "</tt:Appearance></tt:Object>";
}

/** The one object of a frame holding one, or an empty object after a failed expectation. */
MetadataObject onlyObject(const std::string& appearance)
{
    const auto document = parse(frameOf(objectOf(appearance)));
    EXPECT_TRUE(document && document->objects.size() == 1) << appearance;
    return document && document->objects.size() == 1 ? document->objects[0] : MetadataObject{};
}

/** A document nested `depth` levels deep, the root included. */
std::string nestedDocument(std::size_t depth)
{
    return streamOf(repeat("<a>", depth - 1) + repeat("</a>", depth - 1));
}

Items pairsOf(const std::vector<SimpleItem>& items)
{
    Items pairs;
    for (const SimpleItem& item: items)
        pairs.emplace_back(item.name, item.value);
    return pairs;
}

Color xyzOf(const ColorValue& color)
{
    return {color.x, color.y, color.z};
}

struct SceneObjectRow
{
    int32_t objectId;
    const char* classType;
    const char* vehicleType;
    bool hasImage;
    uint8_t presence;
};

TEST(ParseMetadataStream, readsEveryObjectOfTheSceneInDocumentOrder)
{
    const SceneObjectRow rows[] = {
        {101, "Person", "", true, kFaceRead | kTopColorRead | kBottomColorRead | kBagRead},
        {102, "Human", "", false, kTopColorRead},
        {103, "HumanHead", "", true, kFaceRead},
        {201, "Vehicle", "Car", false, kVehicleColorRead},
        {202, "Vehicle", "Truck", true, kVehicleColorRead},
        {203, "Vehicle", "Bus", false, 0},
        {204, "Vehicle", "Bicycle", false, 0},
        {205, "Vehicle", "Motorcycle", true, kVehicleColorRead},
        {206, "Vehicle", "Van", false, 0},
        {301, "Face", "", true, 0},
        {104, "HumanHead", "", false, 0},
        {105, "Person", "", false, kFaceRead | kTopColorRead},
        {207, "Vehicle", "Car", true, kVehicleColorRead},
    };
    const auto document = parse(readDataFile("scene_people_and_vehicles.xml"));
    ASSERT_TRUE(document);
    EXPECT_FLOAT_EQ(document->scaleX, 0.000520833f);
    EXPECT_FLOAT_EQ(document->scaleY, 0.000925926f);
    EXPECT_TRUE(document->events.empty());
    ASSERT_EQ(document->objects.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i)
    {
        const MetadataObject& object = document->objects[i];
        EXPECT_EQ(object.objectId, rows[i].objectId) << i;
        EXPECT_EQ(object.classType, rows[i].classType) << i;
        EXPECT_EQ(object.vehicleType, rows[i].vehicleType) << i;
        EXPECT_EQ(object.imageRef.has_value(), rows[i].hasImage) << i;
        EXPECT_EQ(object.presence, rows[i].presence) << i;
    }
}

TEST(ParseMetadataStream, readsPersonHeadAndCarFieldByField)
{
    const auto document = parse(readDataFile("scene_people_and_vehicles.xml"));
    ASSERT_TRUE(document && document->objects.size() > 3);

    const MetadataObject& person = document->objects[0];
    EXPECT_FLOAT_EQ(person.left, 1210);
    EXPECT_FLOAT_EQ(person.top, 402);
    EXPECT_FLOAT_EQ(person.right, 1388);
    EXPECT_FLOAT_EQ(person.bottom, 866);
    EXPECT_EQ(person.imageRef, "http://127.0.0.1/snapshot/object_101.jpg");
    EXPECT_EQ(person.gender, "Male");
    EXPECT_TRUE(person.eyewear);
    EXPECT_FALSE(person.mask || person.hat || person.helmet);
    EXPECT_EQ(xyzOf(person.topColor), (Color{41, 110, 182}));
    EXPECT_EQ(xyzOf(person.bottomColor), (Color{29, 140, 121}));
    EXPECT_EQ(xyzOf(person.vehicleColor), kUnread);
    EXPECT_EQ(person.bagCategory, "Backpack");

    const MetadataObject& head = document->objects[2];
    EXPECT_EQ(head.gender, "Female");
    EXPECT_FALSE(head.eyewear) << "written as false";
    EXPECT_TRUE(head.mask && head.hat);
    EXPECT_FALSE(head.helmet) << "not written at all";
    EXPECT_EQ(xyzOf(head.topColor), kUnread);
    EXPECT_TRUE(head.bagCategory.empty());

    const MetadataObject& car = document->objects[3];
    EXPECT_FLOAT_EQ(car.left, 310);
    EXPECT_FLOAT_EQ(car.bottom, 1604);
    EXPECT_EQ(xyzOf(car.vehicleColor), (Color{76, 85, 255})) << "the first cluster";
    EXPECT_TRUE(car.gender.empty());
    EXPECT_FALSE(car.imageRef);
}

struct EventRow
{
    std::optional<std::string> topic;
    Items sourceItems;
    Items dataItems;
};

TEST(ParseMetadataStream, readsEachNotificationWithItsTopicAndItems)
{
    const Items tokens = {{"VideoSourceConfigurationToken", "VideoSourceToken"},
        {"VideoAnalyticsConfigurationToken", "VideoAnalyticsToken"}};
    const Items source = {{"Source", "VideoSourceToken"}};
    const auto withRule = [&](const char* rule) {
        Items items = tokens;
        items.emplace_back("Rule", rule);
        return items;
    };
    const char* behavior = "tns1:RuleEngine/ObjectDetection/vndObjectEx";
    const EventRow rows[] = {
        {"tns1:RuleEngine/CountAggregation/Counter", withRule("Line0"), {{"Count", "17"}}},
        {"tns1:VideoSource/GlobalSceneChange/AnalyticsService", source, {{"State", "true"}}},
        {"tns1:AI/AppSettingChanged", source, {{"Setting", "AIX_LINE_ENABLE1"}}},
        {behavior, withRule("Region0"), {{"ObjectId", "101"}, {"Actions", "Appear"}}},
        {behavior, withRule("Region1"), {{"ObjectId", "102"}, {"Actions", "Stay"}}},
        {behavior, withRule("Region2"), {{"ObjectId", "103"}, {"Actions", "Direction"}}},
        {behavior, withRule("Region3"), {{"ObjectId", "104"}, {"Actions", "Enter"}}},
        {behavior, withRule("Region0"), {{"ObjectId", "105"}, {"Actions", "Exit"}}},
        {behavior, withRule("Region1"), {{"ObjectId", "106"}, {"Actions", "Loitering"}}},
        {behavior, withRule("Region2"), {{"ObjectId", "107"}, {"Actions", "Fall"}}},
        {"tns1:VideoSource/MotionAlarm", source, {{"State", "false"}}},
        {std::nullopt, source, {{"State", "true"}}},
    };
    const auto document = parse(readDataFile("events_all_topics.xml"));
    ASSERT_TRUE(document);
    EXPECT_TRUE(document->objects.empty());
    ASSERT_EQ(document->events.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i)
    {
        const MetadataEvent& event = document->events[i];
        EXPECT_EQ(event.topic, rows[i].topic) << i;
        EXPECT_EQ(pairsOf(event.sourceItems), rows[i].sourceItems) << i;
        EXPECT_EQ(pairsOf(event.dataItems), rows[i].dataItems) << i;
    }
}

struct FileRow
{
    const char* file;
    std::size_t objects;
    std::size_t events;
    float scaleX;
    float scaleY;
};

TEST(ParseMetadataStream, documentsLackingAPartGiveTheRestAndZeroScale)
{
    const FileRow rows[] = {
        {"objects_only.xml", 3, 0, 0.000520833f, 0.000925926f},
        {"events_only.xml", 0, 2, 0, 0},
        {"no_frame.xml", 0, 1, 0, 0},
        {"no_scale.xml", 1, 0, 0, 0},
    };
    for (const FileRow& row: rows)
    {
        const auto document = parse(readDataFile(row.file));
        ASSERT_TRUE(document) << row.file;
        EXPECT_EQ(document->objects.size(), row.objects) << row.file;
        EXPECT_EQ(document->events.size(), row.events) << row.file;
        EXPECT_FLOAT_EQ(document->scaleX, row.scaleX) << row.file;
        EXPECT_FLOAT_EQ(document->scaleY, row.scaleY) << row.file;
    }
}

struct TextRow
{
    const char* reason;
    std::string text;
};

TEST(ParseMetadataStream, givesNothingForTextThatIsNotAMetadataStream)
{
    const TextRow rows[] = {
        {"the root without prefix", "<MetaDataStream><tt:Event/></MetaDataStream>"},
        {"the root with another prefix", "<ns:MetaDataStream></ns:MetaDataStream>"},
        {"the root in a letter case no writer uses", "<tt:METADATASTREAM/>"},
        {"the root's prefix bound to another namespace", "<ns:MetaDataStream xmlns:ns=\"urn:other\"/>"},
        {"the schema's spelling of the root in another namespace", "<tt:MetadataStream xmlns:tt=\"urn:other\"/>"},
        {"empty text", ""},
        {"text without markup", "tt:MetaDataStream"},
        {"an unclosed element", streamOf("<tt:VideoAnalytics><tt:Frame>")},
        {"a root that is never closed", kStreamStart},
        {"an attribute without quotes", "<tt:MetaDataStream a=1/>"},
        {"an unterminated comment", streamOf("<!-- <tt:Event/>")},
        {"nested deeper than the limit", nestedDocument(kMaxDocumentNesting + 1)},
        {"a self-closing element deeper than the limit",
            streamOf(repeat("<a>", kMaxDocumentNesting - 1) + "<b/>" + repeat("</a>", kMaxDocumentNesting - 1))},
        {"the deepest text a deep stack parses unscanned, one level longer",
            repeat("<a>", kUnscannedTextBytes / 3 + 1)},
    };
    for (const TextRow& row: rows)
        EXPECT_FALSE(parse(row.text)) << row.reason;
#if !defined(__SANITIZE_THREAD__)
    // ThreadSanitizer keeps no call stack of more than 65536 frames, and rapidxml's descent here goes deeper.
    EXPECT_FALSE(parse(repeat("<a>", kUnscannedTextBytes / 3))) << "the deepest text a deep stack parses unscanned";
#endif
}

std::string replaced(std::string text, const std::vector<std::pair<std::string, std::string>>& replacements)
{
    for (const auto& [from, to]: replacements)
    {
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    }
    return text;
}

TEST(ParseMetadataStream, otherWritersSpellingsReadAsTheCamerasOwn)
{
    struct Row
    {
        const char* reason;
        std::vector<std::pair<std::string, std::string>> replacements;
    };
    const auto schemaAs
        = [](const std::string& prefix) { return " xmlns:" + prefix + "=\"http://www.onvif.org/ver10/schema\""; };
    const Row rows[] = {
        {"the schema's spelling of the root", {{"tt:MetaDataStream", "tt:MetadataStream"}}},
        {"another prefix for the schema", {{"xmlns:tt=", "xmlns:onvif="}, {"<tt:", "<onvif:"}, {"</tt:", "</onvif:"}}},
        {"another prefix for the schema, declared on a root after another top element",
            {{"xmlns:tt=", "xmlns:onvif="}, {"<tt:", "<onvif:"}, {"</tt:", "</onvif:"},
                {"<onvif:MetaDataStream", "<first/><onvif:MetaDataStream"}}},
        {"the schema as default namespace", {{"xmlns:tt=", "xmlns="}, {"<tt:", "<"}, {"</tt:", "</"}}},
        {"another prefix for notifications", {{"xmlns:wsnt=", "xmlns:b2="}, {"wsnt:", "b2:"}}},
        {"another prefix for the schema, declared deeper down",
            {{"<tt:Frame ", "<s:Frame" + schemaAs("s") + " "}, {"</tt:Frame>", "</s:Frame>"},
                {"<tt:Event>", "<s:Event" + schemaAs("s") + ">"}, {"</tt:Event>", "</s:Event>"}}},
        {"the schema's prefix declared again deeper down",
            {{"<tt:Frame ", "<tt:Frame" + schemaAs("tt") + " "}, {"<tt:Event>", "<tt:Event" + schemaAs("tt") + ">"}}},
        {"another prefix for notifications, declared on each event",
            {{" xmlns:wsnt=\"http://docs.oasis-open.org/wsn/b-2\"", ""},
                {"<tt:Event>", "<tt:Event xmlns:b2=\"http://docs.oasis-open.org/wsn/b-2\">"}, {"wsnt:", "b2:"}}},
        {"a default namespace the walk does not read",
            {{"<tt:MetaDataStream ", "<tt:MetaDataStream xmlns=\"urn:x\" "}}},
        {"texts in CDATA sections",
            {{">Person<", "><![CDATA[\n  Person ]]><"}, {">tns1:", "><![CDATA[tns1:"},
                {"</wsnt:Topic>", "]]></wsnt:Topic>"}}},
    };
    for (const char* file: {"scene_people_and_vehicles.xml", "events_all_topics.xml"})
    {
        const std::string cameras = readDataFile(file);
        const std::string expected = describe(parse(cameras).get());
        for (const Row& row: rows)
        {
            const std::string text = replaced(cameras, row.replacements);
            ASSERT_NE(text, cameras) << row.reason;
            EXPECT_EQ(describe(parse(text).get()), expected) << file << ": " << row.reason;
        }
    }
}

TEST(ParseMetadataStream, anEmptyRootGivesAnEmptyDocument)
{
    for (const std::string& text: {streamOf(""), std::string("<tt:MetaDataStream/>")})
    {
        const auto document = parse(text);
        ASSERT_TRUE(document) << text;
        EXPECT_TRUE(document->objects.empty() && document->events.empty()) << text;
        EXPECT_EQ(document->scaleX, 0);
    }
}

TEST(ParseMetadataStream, anObjectWithoutAppearanceKeepsOnlyItsId)
{
    const auto document = parse(frameOf(R"(<tt:Object ObjectId="55"/><tt:Object/>)"));
    ASSERT_TRUE(document);
    ASSERT_EQ(document->objects.size(), 2u);
    EXPECT_EQ(document->objects[0].objectId, 55);
    EXPECT_EQ(document->objects[1].objectId, 0) << "no ObjectId";
    for (const MetadataObject& object: document->objects)
    {
        EXPECT_TRUE(object.classType.empty());
        EXPECT_EQ(object.presence, 0);
        EXPECT_EQ(object.left, 0);
    }
}

struct WearRow
{
    const char* reason;
    const char* opticals;
    bool worn;
};

TEST(ParseMetadataStream, onlyTheExactTextFalseTakesAnAccessoryOff)
{
    const WearRow rows[] = {
        {"true", "<fc:Wear>true</fc:Wear>", true},
        {"an empty text", "<fc:Wear></fc:Wear>", true},
        {"an empty element", "<fc:Wear/>", true},
        {"another letter case", "<fc:Wear>False</fc:Wear>", true},
        {"exactly false", "<fc:Wear>false</fc:Wear>", false},
        {"false between line breaks, trimmed", "<fc:Wear>\n  false\n</fc:Wear>", false},
        {"no fc:Wear leaves the flag", "<fc:Color>Black</fc:Color>", false},
    };
    for (const WearRow& row: rows)
    {
        const MetadataObject object = onlyObject(std::string("<tt:HumanFace><fc:Accessory><fc:Opticals>") + row.opticals
            + "</fc:Opticals></fc:Accessory></tt:HumanFace>");
        EXPECT_EQ(object.eyewear, row.worn) << row.reason;
        EXPECT_EQ(object.presence, kFaceRead) << row.reason;
    }
}

TEST(ParseMetadataStream, keepsTwelveSimpleItemsAndRefillsFromALaterMessage)
{
    const auto document = parse(readDataFile("simple_items_overflow_and_refill.xml"));
    ASSERT_TRUE(document);
    ASSERT_EQ(document->events.size(), 2u);

    Items twelve;
    for (int i = 1; i <= 12; ++i)
        twelve.emplace_back("Item" + std::to_string(i), std::to_string(i));
    EXPECT_EQ(pairsOf(document->events[0].sourceItems), twelve) << "the 13th is dropped, tt:ElementItem takes no slot";
    EXPECT_EQ(pairsOf(document->events[0].dataItems), (Items{{"Count", "9"}, {"", "no name"}, {"no value", ""}}));

    EXPECT_EQ(pairsOf(document->events[1].sourceItems), (Items{{"Rule", "Line3"}}));
    EXPECT_TRUE(document->events[1].dataItems.empty()) << "the second message has no tt:Data";
}

TEST(ParseMetadataStream, theLastFrameWinsWhileEventsAccumulate)
{
    const auto document = parse(readDataFile("two_frames.xml"));
    ASSERT_TRUE(document);
    ASSERT_EQ(document->objects.size(), 1u);
    EXPECT_EQ(document->objects[0].objectId, 603);
    EXPECT_FLOAT_EQ(document->scaleX, 0.000520833f);
    ASSERT_EQ(document->events.size(), 2u);
    EXPECT_EQ(document->events[1].topic, "tns1:VideoSource/GlobalSceneChange/AnalyticsService");
    EXPECT_TRUE(document->events[1].sourceItems.empty());
}

struct BodyRow
{
    const char* reason;
    std::string body;
    uint8_t presence;
    Color top;
    Color bottom;
    const char* bag;
};

TEST(ParseMetadataStream, bodyColoursAndBagFollowTheirPaths)
{
    const std::string skippedThenColor
        = "<tt:Color><tt:ColorCluster><tt:Weight>0.2</tt:Weight></tt:ColorCluster>"
          R"(<tt:ColorCluster><tt:Color X="1" Y="2" Z="3"/></tt:ColorCluster></tt:Color>)";
    const BodyRow rows[] = {
        {"a bag without clothing is not read",
            "<bd:Belonging><bd:Bag><bd:Category>Handbag</bd:Category></bd:Bag></bd:Belonging>", 0, kUnread, kUnread,
            ""},
        {"the tops take the first cluster that has a colour",
            "<bd:Clothing><bd:Tops>" + skippedThenColor + "</bd:Tops></bd:Clothing>", kTopColorRead, Color{1, 2, 3},
            kUnread, ""},
        {"the bottoms take the first cluster only",
            "<bd:Clothing><bd:Bottoms>" + skippedThenColor + "</bd:Bottoms></bd:Clothing>", 0, kUnread, kUnread, ""},
        {"a colour without some of its attributes",
            R"(<bd:Clothing><bd:Bottoms><tt:Color><tt:ColorCluster><tt:Color Y="90"/></tt:ColorCluster></tt:Color>)"
            "</bd:Bottoms></bd:Clothing>",
            kBottomColorRead, kUnread, Color{-1, 90, -1}, ""},
    };
    for (const BodyRow& row: rows)
    {
        const MetadataObject object = onlyObject("<tt:HumanBody>" + row.body + "</tt:HumanBody>");
        EXPECT_EQ(object.presence, row.presence) << row.reason;
        EXPECT_EQ(xyzOf(object.topColor), row.top) << row.reason;
        EXPECT_EQ(xyzOf(object.bottomColor), row.bottom) << row.reason;
        EXPECT_EQ(object.bagCategory, row.bag) << row.reason;
    }
}

struct CutRow
{
    const char* reason;
    std::string appearance;
    std::string MetadataObject::*field;
    std::string expected;
};

TEST(ParseMetadataStream, cutsTextsToTheirFields)
{
    const std::string forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    const std::string thirtyOne = forty.substr(0, 31);
    const std::string thirtyThenTwoBytes = forty.substr(0, 30) + "\xC3\xA9";
    const CutRow rows[] = {
        {"a class of 40", "<tt:Class><tt:Type>" + forty + "</tt:Type></tt:Class>", &MetadataObject::classType,
            thirtyOne},
        {"a class of 31 stays whole", "<tt:Class><tt:Type>" + thirtyOne + "</tt:Type></tt:Class>",
            &MetadataObject::classType, thirtyOne},
        {"a vehicle type of 40", "<tt:VehicleInfo><tt:Type>" + forty + "</tt:Type></tt:VehicleInfo>",
            &MetadataObject::vehicleType, thirtyOne},
        {"a gender of 40", "<tt:HumanFace><fc:Gender>" + forty + "</fc:Gender></tt:HumanFace>", &MetadataObject::gender,
            forty.substr(0, 11)},
        {"a bag category of 40",
            "<tt:HumanBody><bd:Clothing/><bd:Belonging><bd:Bag><bd:Category>" + forty
                + "</bd:Category></bd:Bag></bd:Belonging></tt:HumanBody>",
            &MetadataObject::bagCategory, thirtyOne},
        {"a two-byte character across the limit is left out whole",
            "<tt:Class><tt:Type>" + thirtyThenTwoBytes + "</tt:Type></tt:Class>", &MetadataObject::classType,
            forty.substr(0, 30)},
    };
    for (const CutRow& row: rows)
        EXPECT_EQ(onlyObject(row.appearance).*row.field, row.expected) << row.reason;
}

struct TopicRow
{
    const char* reason;
    const char* topic;
    std::optional<std::string> expected;
};

TEST(ParseMetadataStream, elementTextIsTrimmedCondensedAndResolved)
{
    const TopicRow rows[] = {
        {"on its own indented line",
            "<wsnt:Topic Dialect=\"d\">\n        tns1:AI/AppSettingChanged\n      </wsnt:Topic>",
            "tns1:AI/AppSettingChanged"},
        {"inner white-space runs condensed", "<wsnt:Topic>a \t\r\n b</wsnt:Topic>", "a b"},
        {"entity references resolved", "<wsnt:Topic>a &amp; &#x42;</wsnt:Topic>", "a & B"},
        {"the first run of character data only", "<wsnt:Topic>first<x/>second</wsnt:Topic>", "first"},
        {"an empty topic is still a topic", "<wsnt:Topic/>", ""},
        {"a later topic replaces an earlier one", "<wsnt:Topic>one</wsnt:Topic><wsnt:Topic>two</wsnt:Topic>", "two"},
        {"no topic", "<wsnt:Message/>", std::nullopt},
    };
    for (const TopicRow& row: rows)
    {
        const auto document = parse(streamOf(std::string("<tt:Event><wsnt:NotificationMessage>") + row.topic
            + "</wsnt:NotificationMessage></tt:Event>"));
        ASSERT_TRUE(document && document->events.size() == 1) << row.reason;
        EXPECT_EQ(document->events[0].topic, row.expected) << row.reason;
    }
}

struct NumberRow
{
    const char* text;
    float decimal;
    std::optional<int32_t> integer; //< Nothing: an object id that cannot be told apart, so no object.
};

TEST(ParseMetadataStream, numbersReadAsTheCConversionsButNeverNonFinite)
{
    const NumberRow rows[] = {
        {"12.5", 12.5f, 12},
        {" \t7", 7, 7},
        {"+3", 3, 3},
        {"-2.5e1", -25, -2},
        {"12abc", 12, 12},
        {"abc", 0, 0},
        {"", 0, 0},
        {"--5", 0, 0},
        {"nan", 0, 0},
        {"-NaN", 0, 0},
        {"inf", 0, 0},
        {"-Infinity", 0, 0},
        {"1e39", 0, 1}, //< Finite as a double, infinite as a float.
        {"1e400", 0, 1},
        {"99999999999", 99999999999.0f, std::nullopt},
        {"-99999999999", -99999999999.0f, std::nullopt},
        {"2147483647", 2147483647.0f, INT32_MAX},
    };
    for (const NumberRow& row: rows)
    {
        const std::string value = std::string("\"") + row.text + "\"";
        const auto document
            = parse(streamOf(R"(<tt:VideoAnalytics><tt:Frame><tt:Transformation><tt:Scale x=)" + value + " y=" + value
                + "/></tt:Transformation><tt:Object ObjectId=" + value
                + "><tt:Appearance><tt:Shape><tt:BoundingBox left=" + value + R"(/></tt:Shape>)"
                + R"(<tt:VehicleInfo><tt:Color><tt:ColorCluster><tt:Color X=)" + value
                + "/></tt:ColorCluster></tt:Color></tt:VehicleInfo></tt:Appearance></tt:Object></tt:Frame>"
                  "</tt:VideoAnalytics>"));
        ASSERT_TRUE(document) << row.text;
        EXPECT_FLOAT_EQ(document->scaleX, row.decimal) << row.text;
        ASSERT_EQ(document->objects.size(), row.integer ? 1U : 0U) << row.text;
        if (!row.integer)
            continue;
        EXPECT_FLOAT_EQ(document->objects[0].left, row.decimal) << row.text;
        EXPECT_EQ(document->objects[0].objectId, *row.integer) << row.text;
        EXPECT_EQ(document->objects[0].vehicleColor.x, *row.integer) << row.text;
    }
}

/** A copy in a buffer of exactly its size, with no terminator: AddressSanitizer reports any read past it. */
std::unique_ptr<MetadataDocument> parseExactBuffer(MetadataParser& parser, const std::string& text)
{
    const auto buffer = std::make_unique<char[]>(text.size());
    std::memcpy(buffer.get(), text.data(), text.size());
    return parser.parse(buffer.get(), static_cast<int>(text.size()));
}

TEST(MetadataParser, readsOnlyTheBytesItIsGiven)
{
    const std::string scene = readDataFile("scene_people_and_vehicles.xml");
    const std::string expected = describe(parse(scene).get());
    MetadataParser parser;
    EXPECT_EQ(describe(parseExactBuffer(parser, scene).get()), expected);

    const std::string followed = scene + "<tt:Event><unclosed";
    EXPECT_EQ(describe(parser.parse(followed.data(), static_cast<int>(scene.size())).get()), expected);
    EXPECT_EQ(followed.substr(0, scene.size()), scene) << "the host's data is left as it was";
}

TEST(MetadataParser, givesNothingForMissingOrEmptyData)
{
    const char text[] = "<tt:MetaDataStream/>";
    MetadataParser parser;
    EXPECT_FALSE(parser.parse(nullptr, 20));
    EXPECT_FALSE(parser.parse(text, 0));
    EXPECT_FALSE(parser.parse(text, -1));
    EXPECT_FALSE(parser.parse(text, INT32_MIN));
    EXPECT_TRUE(parser.parse(text, 20)) << "the same data with its size";
}

TEST(MetadataParser, refusesDeepNestingWithoutExhaustingASmallStack)
{
    const std::string deep = nestedDocument(100000);
    bool refused = false;
    ASSERT_TRUE(runOnSmallStack([&] {
        MetadataParser parser;
        refused = !parseExactBuffer(parser, deep);
    }));
    EXPECT_TRUE(refused);
}

TEST(MetadataParser, acceptsNestingUpToTheLimit)
{
    MetadataParser parser;
    EXPECT_TRUE(parseExactBuffer(parser, nestedDocument(kMaxDocumentNesting)));
    EXPECT_FALSE(parseExactBuffer(parser, nestedDocument(kMaxDocumentNesting + 1)));
    EXPECT_TRUE(parse(nestedDocument(kMaxDocumentNesting)));
}

/** A valid document of exactly `bytes` bytes, padded with a comment. */
std::string paddedDocument(std::size_t bytes)
{
    const std::size_t frame = streamOf("<!---->").size();
    return streamOf("<!--" + std::string(bytes - frame, 'x') + "-->");
}

TEST(MetadataParser, readsLargeDocumentsUpToTheCap)
{
    constexpr std::size_t kLargeBytes = 3 * 1024 * 1024;
    const std::string scene = readDataFile("scene_people_and_vehicles.xml");
    const std::size_t objectStart = scene.find("<tt:Object ");
    const std::string objectEnd = "</tt:Object>";
    const std::string object = scene.substr(objectStart, scene.find(objectEnd) + objectEnd.size() - objectStart);
    const std::size_t count = kLargeBytes / object.size() + 1;

    MetadataParser parser;
    const auto large = parseExactBuffer(parser, frameOf(repeat(object, count)));
    ASSERT_TRUE(large);
    EXPECT_EQ(large->objects.size(), kMaxObjectsPerDocument) << "the objects beyond the cap are left out";
    EXPECT_EQ(large->objectsLeftOut, count - kMaxObjectsPerDocument);
    EXPECT_EQ(large->objects.back().bagCategory, "Backpack");

    EXPECT_TRUE(parseExactBuffer(parser, paddedDocument(kMaxDocumentBytes)));
    EXPECT_FALSE(parseExactBuffer(parser, paddedDocument(kMaxDocumentBytes + 1)));
}

TEST(MetadataParser, aReusedParserGivesWhatAFreshParseGives)
{
    const char* files[] = {"scene_people_and_vehicles.xml", "scene_people_and_vehicles.xml", "events_all_topics.xml",
        "two_frames.xml", "objects_only.xml", "scene_people_and_vehicles.xml"};
    MetadataParser parser;
    for (const char* file: files)
    {
        const std::string text = readDataFile(file);
        EXPECT_EQ(describe(parseExactBuffer(parser, text).get()), describe(parse(text).get())) << file;
        // A refused document between two good ones leaves nothing behind.
        EXPECT_FALSE(parseExactBuffer(parser, text.substr(0, text.size() / 2))) << file;
    }
}

TEST(MetadataParser, aZeroByteEndsTheDocumentForTheScanAndTheParse)
{
    const std::string events = readDataFile("events_only.xml");
    const std::string expected = describe(parse(events).get());
    const std::string zero(1, '\0');
    const TextRow rows[] = {
        {"garbage after the zero", events + zero + "<unclosed"},
        {"deep nesting after the zero", events + zero + repeat("<a>", 100000)},
        {"a second root after the zero", events + zero + streamOf(R"(<tt:Event/>)")},
    };
    MetadataParser parser;
    for (const TextRow& row: rows)
        EXPECT_EQ(describe(parseExactBuffer(parser, row.text).get()), expected) << row.reason;

    const std::string cut = events.substr(0, events.size() / 2) + zero + events.substr(events.size() / 2);
    EXPECT_FALSE(parseExactBuffer(parser, cut)) << "a zero inside the document cuts it short";
}

struct NestingRow
{
    const char* reason;
    std::string text;
    int maxDepth;
    bool within;
};

TEST(NestingWithin, countsOpenElementsTheWayRapidxmlReadsThem)
{
    // Runs longer than the scan's steps of several bytes at a time; "-" and "." belong to names.
    const std::string name = "a" + std::string(37, 'n') + "-1.x";
    const std::string longRuns = "<" + name + " v='" + std::string(70, '>') + "'>" + std::string(45, ' ') + "<b/><c>"
        + std::string(99, 't') + "</c></" + name + ">";
    const NestingRow rows[] = {
        {"long names, values and text, two levels", longRuns, 2, true},
        {"long names, values and text, one allowed", longRuns, 1, false},
        {"two levels", "<a><b></b></a>", 2, true},
        {"two levels, one allowed", "<a><b></b></a>", 1, false},
        {"siblings do not add up", "<a><b></b><c></c><d/></a>", 2, true},
        {"a self-closing element lies a level down", "<a><b/><c x='1'/></a>", 2, true},
        {"a self-closing element lies a level down, one allowed", "<a><b/><c x='1'/></a>", 1, false},
        {"a comment hides elements", "<a><!-- <b><c> --></a>", 1, true},
        {"a comment ends at the first -->", "<a><!-- x --><b></b></a>", 1, false},
        {"CDATA hides markup", "<a><![CDATA[ <b><c> ]]></a>", 1, true},
        {"a quoted > does not end the tag", "<a x=\"1>2\"><b></b></a>", 2, true},
        {"a quoted /> does not close it", "<a x='/>'><b></b></a>", 1, false},
        {"a quote in an element name opens no value", "<a\"><b\"><c\"></c\"></b\"></a\">", 2, false},
        {"white space around =", "<a x = \"1\" ><b></b ></a>", 2, true},
        {"processing instructions hide markup", "<?xml version=\"1.0\"?><?pi <b><c> ?><a></a>", 1, true},
        {"another declaration ends at >", "<!ELEMENT a ANY><a><b></b></a>", 1, false},
        {"a document type declaration is refused", "<!DOCTYPE a [ <!ELEMENT a ANY> ]><a></a>", 5, false},
        {"an unterminated comment", "<a><!-- <b>", 5, false},
        {"an unterminated quote", "<a x=\"1></a>", 5, false},
        {"an unterminated start tag", "<a x=\"1\"", 5, false},
        {"an element left open", "<a><b></b>", 5, false},
        {"a closing tag at the top", "</a><a></a>", 5, false},
        {"an attribute without value", "<a x><b></b></a>", 5, false},
        {"a zero byte ends the text", std::string("<a></a>\0<b><c>", 13), 1, true},
    };
    for (const NestingRow& row: rows)
    {
        // An exact copy, so that a read past the size is an error AddressSanitizer reports.
        const auto copy = std::make_unique<char[]>(row.text.size());
        std::memcpy(copy.get(), row.text.data(), row.text.size());
        EXPECT_EQ(scanMarkup(copy.get(), row.text.size(), row.maxDepth).nestsWithin, row.within) << row.reason;
    }
    EXPECT_TRUE(scanMarkup("<a></a><b><c>", 7, 1).nestsWithin) << "the text ends after size bytes";
}

} // namespace
} // namespace tesh::vms_server_plugins::analytics::qv
