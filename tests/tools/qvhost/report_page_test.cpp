// The replay's report page read back as a program reads it: well-formed, self-contained, and saying what the
// packet lines and the printed summary of the same replay say.
#include <expat.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "qvhost_run.h"

namespace {

using qvhost_test::Json;
using qvhost_test::QvhostRun;

struct Element
{
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text; //< All the text inside it, its children's too.

    std::string attribute(const std::string& key) const
    {
        const auto found = attributes.find(key);
        return found == attributes.end() ? "" : found->second;
    }

    bool hasClass(const std::string& cssClass) const
    {
        std::istringstream classes(attribute("class"));
        for (std::string one; classes >> one;)
        {
            if (one == cssClass)
                return true;
        }
        return false;
    }
};

/** The page parsed as XML by expat: every element in document order, or the parser's complaint. */
struct ParsedPage
{
    std::vector<Element> elements;
    std::vector<size_t> open;
    std::string error;

    explicit ParsedPage(const std::string& page)
    {
        XML_Parser parser = XML_ParserCreate("UTF-8");
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &ParsedPage::start, &ParsedPage::end);
        XML_SetCharacterDataHandler(parser, &ParsedPage::characters);
        if (XML_Parse(parser, page.data(), static_cast<int>(page.size()), 1) == XML_STATUS_ERROR)
        {
            error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line "
                + std::to_string(XML_GetCurrentLineNumber(parser)) + ", column "
                + std::to_string(XML_GetCurrentColumnNumber(parser));
        }
        XML_ParserFree(parser);
    }

    std::vector<Element> withClass(const std::string& cssClass) const
    {
        std::vector<Element> found;
        std::copy_if(elements.begin(), elements.end(), std::back_inserter(found),
            [&](const Element& element) { return element.hasClass(cssClass); });
        return found;
    }

    static void start(void* self, const XML_Char* name, const XML_Char** attributes)
    {
        auto* page = static_cast<ParsedPage*>(self);
        Element element{name, {}, {}};
        for (size_t i = 0; attributes[i]; i += 2)
            element.attributes[attributes[i]] = attributes[i + 1];
        page->open.push_back(page->elements.size());
        page->elements.push_back(std::move(element));
    }

    static void end(void* self, const XML_Char*) { static_cast<ParsedPage*>(self)->open.pop_back(); }

    static void characters(void* self, const XML_Char* text, int length)
    {
        auto* page = static_cast<ParsedPage*>(self);
        for (const size_t index: page->open)
            page->elements[index].text.append(text, static_cast<size_t>(length));
    }
};

using Figures = std::map<std::string, std::vector<long long>>;

std::vector<long long> numbersOf(const std::string& text)
{
    std::vector<long long> numbers;
    std::istringstream words(text);
    for (std::string word; words >> word;)
    {
        char* end = nullptr;
        const long long number = std::strtoll(word.c_str(), &end, 10);
        if (*end == '\0')
            numbers.push_back(number);
    }
    return numbers;
}

/** The printed summary's rows, label -> numbers: a label ends at the first two spaces of its line. */
Figures printedSummary(const std::string& messages)
{
    const size_t begin = messages.find("Summary\n");
    const size_t end = messages.find("What the plug-in saw:");
    std::istringstream lines(messages.substr(begin, end - begin));
    Figures figures;
    for (std::string line; std::getline(lines, line);)
    {
        line.erase(0, line.find_first_not_of(' '));
        const size_t labelEnd = line.find("  ");
        const std::vector<long long> numbers = numbersOf(labelEnd == std::string::npos ? "" : line.substr(labelEnd));
        if (!numbers.empty())
            figures[line.substr(0, labelEnd)] = numbers;
    }
    return figures;
}

using EventKey = std::tuple<long long, std::string, std::string>;

TEST(QvhostReport, pageOfTheStreetSceneShowsEveryTrackEventAndCountOfItsReplay)
{
    const std::string pagePath = qvhost_test::runDirectory() + "street_scene.html";
    const QvhostRun run
        = qvhost_test::runQvhost("replay --rate 100 --report " + pagePath + " " QV_SAMPLES_DIR "/street_scene.xml");
    ASSERT_EQ(run.status, 0) << run.messages;
    const ParsedPage page(qvhost_test::readText(pagePath));
    ASSERT_EQ(page.error, "") << "the page is not well-formed";

    std::set<std::string> trackIds;
    std::vector<EventKey> events;
    for (const Json& packet: run.packets)
    {
        if (packet["kind"] == "bestShot")
            trackIds.insert(packet["trackId"].get<std::string>());
        for (const Json& object: packet.value("objects", Json::array()))
            trackIds.insert(object["trackId"].get<std::string>());
        for (const Json& event: packet.value("events", Json::array()))
            events.emplace_back(packet["timestampUs"], event["typeId"],
                event["caption"].get<std::string>() + ": " + event["description"].get<std::string>());
    }
    ASSERT_FALSE(trackIds.empty());
    ASSERT_FALSE(events.empty());

    std::set<std::string> rows;
    for (const Element& track: page.withClass("track"))
        EXPECT_TRUE(rows.insert(track.attribute("data-track")).second) << "one row per track id";
    EXPECT_EQ(rows, trackIds);

    std::vector<EventKey> markers;
    for (const Element& marker: page.withClass("event"))
    {
        // The hover text is the time, then caption and description as the host shows them.
        const std::string title = marker.text.substr(marker.text.find(" s ") + 3);
        markers.emplace_back(std::stoll(marker.attribute("data-time-us")), marker.attribute("data-type"), title);
    }
    std::sort(events.begin(), events.end());
    std::sort(markers.begin(), markers.end());
    EXPECT_EQ(markers, events);

    Figures shown;
    for (const Element& element: page.elements)
    {
        if (element.attributes.count("data-label"))
            shown[element.attribute("data-label")] = numbersOf(element.attribute("data-values"));
    }
    EXPECT_EQ(shown, printedSummary(run.messages));
    EXPECT_GT(shown["documents pushed"], std::vector<long long>{0});

    for (const Element& element: page.elements)
    {
        for (const char* reference: {"src", "href"})
            EXPECT_EQ(element.attributes.count(reference), 0U) << "nothing is fetched: " << element.name;
    }
}

} // namespace
