// Parses on documents, pool blocks and parsed documents that earlier parses used and put back.
#include <string>

#include <gtest/gtest.h>

#include <metadata/metadata_document_shelf.h>
#include <metadata/metadata_parser.h>
#include <metadata/parse_metadata_stream.h>

#include "data_files.h"

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

/** Enough objects for the document's pool to take many blocks beyond its own. */
std::string crowdedDocument(int objectCount)
{
    std::string text = R"(<?xml version="1.0"?><tt:MetaDataStream xmlns:tt="http://www.onvif.org/ver10/schema">)"
                       R"(<tt:VideoAnalytics><tt:Frame><tt:Transformation><tt:Scale x="0.01" y="0.02"/>)"
                       R"(</tt:Transformation>)";
    for (int id = 1; id <= objectCount; ++id)
    {
        text += R"(<tt:Object ObjectId=")" + std::to_string(id) + R"("><tt:Appearance><tt:Shape><tt:BoundingBox left=")"
            + std::to_string(id % 97) + R"(" top="1" right="200" bottom="300"/></tt:Shape><tt:Class><tt:Type>)"
            + (id % 2 ? "Person" : "Vehicle") + "</tt:Type></tt:Class></tt:Appearance></tt:Object>";
    }
    return text + "</tt:Frame></tt:VideoAnalytics></tt:MetaDataStream>";
}

void expectSameDocument(const MetadataDocument& expected, const MetadataDocument& actual)
{
    EXPECT_EQ(actual.scaleX, expected.scaleX);
    ASSERT_EQ(actual.objects.size(), expected.objects.size());
    for (size_t i = 0; i < expected.objects.size(); ++i)
    {
        EXPECT_EQ(actual.objects[i].objectId, expected.objects[i].objectId) << i;
        EXPECT_EQ(actual.objects[i].left, expected.objects[i].left) << i;
        EXPECT_EQ(actual.objects[i].classType, expected.objects[i].classType) << i;
    }
    ASSERT_EQ(actual.events.size(), expected.events.size());
    for (size_t i = 0; i < expected.events.size(); ++i)
        EXPECT_EQ(actual.events[i].topic, expected.events[i].topic) << i;
}

TEST(XmlDocumentShelf, reusedDocumentsAndBlocksReadAsFreshOnes)
{
    const std::string crowded = crowdedDocument(1000);
    const std::string scene = test::readDataFile("scene_people_and_vehicles.xml");
    const std::string events = test::readDataFile("events_all_topics.xml");
    MetadataParser parser;
    for (const std::string* text: {&crowded, &scene, &crowded, &events, &crowded})
    {
        std::string freshCopy = *text;
        const auto expected = parseMetadataStream(freshCopy.data()); //< A document of its own, freed after.
        auto actual = parser.parse(text->data(), static_cast<int>(text->size()));
        ASSERT_TRUE(expected && actual);
        expectSameDocument(*expected, *actual);
        putBackMetadataDocument(std::move(actual)); //< As a pass does: the next parse reads into it.
    }
}

TEST(MetadataDocumentShelf, aDocumentPutBackComesBackAsANewOne)
{
    auto used = lendMetadataDocument();
    used->scaleX = 0.5F;
    used->scaleY = 0.25F;
    used->objects.resize(3);
    used->events.resize(2);
    used->objectsLeftOut = 4;
    used->eventsLeftOut = 5;
    const MetadataDocument* const address = used.get();
    putBackMetadataDocument(std::move(used));

    const auto lent = lendMetadataDocument();
    ASSERT_EQ(lent.get(), address) << "the one most recently put back comes first";
    EXPECT_EQ(lent->scaleX, 0);
    EXPECT_EQ(lent->scaleY, 0);
    EXPECT_TRUE(lent->objects.empty());
    EXPECT_TRUE(lent->events.empty());
    EXPECT_EQ(lent->objectsLeftOut, 0U);
    EXPECT_EQ(lent->eventsLeftOut, 0U);
}

} // namespace
} // namespace tesh::vms_server_plugins::analytics::qv
