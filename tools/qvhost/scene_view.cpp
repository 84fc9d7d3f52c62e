// Writing the scene view and the boxes its script draws.
#include "scene_view.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "html_text.h"

namespace qvhost {
namespace {

/**
 * The host gives qvhost no frame size (a replay pushes no video frames), so the frame is drawn 16:9, the shape of
 * the streams these cameras send; the boxes are fractions of the frame either way.
 */
constexpr int kFrameWidth = 1600;
constexpr int kFrameHeight = 900;

/**
 * A slider has no more useful positions than a screen has pixels across; past this many documents the view keeps
 * every n-th, which holds a 10 000-document replay's page to a few hundred kilobytes. The counts and the charts
 * still take every document.
 */
constexpr size_t kMaxSceneDocuments = 2000;

/** The list beside the frame is read, not scanned: past this many best shots it ends with how many it left out. */
constexpr size_t kMaxListedBestShots = 200;

/** The box colour the server draws an object with. */
constexpr char kColorAttribute[] = "tesh.sys.color";

struct ScreenColour
{
    const char* name;
    const char* css;
};

/**
 * CSS's blue and green are too dark to see on the dark frame; these keep the hue the host names and stay readable
 * beside each other. Any other name is drawn as CSS knows it.
 */
constexpr ScreenColour kScreenColours[]
    = {{"blue", "#4f8cff"}, {"green", "#2fd05a"}, {"red", "#ff4040"}, {"cyan", "#22e0f0"}};

/** The highlight colour as CSS can draw it ("Green" -> "#2fd05a"), or empty for anything that is not a name. */
std::string cssColour(const Json& object)
{
    for (const Json& attribute: arrayOf(object, "attributes"))
    {
        if (attribute.value("name", "") != kColorAttribute)
            continue;
        std::string name = attribute.value("value", "");
        const bool letters = !name.empty()
            && std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isalpha(c) != 0; });
        if (!letters)
            return "";
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        for (const ScreenColour& colour: kScreenColours)
        {
            if (name == colour.name)
                return colour.css;
        }
        return name;
    }
    return "";
}

class SceneData
{
public:
    SceneData(const ReportContent& content, const TimeAxis& axis)
    {
        // Each array is whole before it goes in: the object's members move when one is added.
        Json types = Json::array();
        Json typeColours = Json::array();
        for (const std::string& typeId: content.typeIds)
        {
            m_typeIndex[typeId] = m_typeIndex.size();
            types.push_back(typeId);
            typeColours.push_back(typeColour(content, typeId));
        }
        Json tracks = Json::array();
        for (const Track& track: content.tracks)
        {
            m_trackIndex[track.trackId] = m_trackIndex.size();
            tracks.push_back(track.trackId);
        }
        Json outcomes = Json::array();
        for (const OutcomeLabel& outcome: kOutcomeLabels)
            outcomes.push_back(outcome.label);
        m_data["types"] = std::move(types);
        m_data["typeColours"] = std::move(typeColours);
        m_data["tracks"] = std::move(tracks);
        m_data["outcomes"] = std::move(outcomes);
        m_data["axis"] = {{"firstUs", axis.firstUs()}, {"lastUs", axis.lastUs()}, {"left", axis.x(axis.firstUs())},
            {"right", axis.x(axis.lastUs())}};
        m_data["documents"] = Json::array();
    }

    void add(const DocumentRecord& document)
    {
        Json boxes = Json::array();
        for (const Json& packet: document.packets)
        {
            for (const Json& object: arrayOf(packet, "objects"))
            {
                const auto box = object.find("box");
                // A best shot's object carries no box in the frame.
                if (box == object.end() || box->value("x", -1.0) < 0 || box->value("y", -1.0) < 0
                    || box->value("width", 0.0) <= 0)
                {
                    continue;
                }
                boxes.push_back({box->value("x", 0.0), box->value("y", 0.0), box->value("width", 0.0),
                    box->value("height", 0.0), m_typeIndex[object.value("typeId", "")],
                    m_trackIndex[object.value("trackId", "")], cssColour(object)});
            }
        }
        m_data["documents"].push_back(
            {document.number, document.passTimestampUs, outcomeIndex(document.outcome), std::move(boxes)});
    }

    Json finish(size_t documentCount, size_t every)
    {
        m_data["documentCount"] = documentCount;
        m_data["every"] = every;
        return std::move(m_data);
    }

private:
    Json m_data = Json::object();
    std::map<std::string, size_t> m_typeIndex;
    std::map<std::string, size_t> m_trackIndex;
};

std::string frameAndControls(size_t shownDocuments, size_t documentCount, size_t every)
{
    const std::string width = std::to_string(kFrameWidth);
    const std::string height = std::to_string(kFrameHeight);
    std::string html = "<div class=\"frame-column\"><svg id=\"frame\" viewBox=\"0 0 " + width + " " + height
        + "\" role=\"img\" aria-label=\"The boxes of the document chosen with the slider\">"
          "<rect class=\"frame-background\" width=\"" + width + "\" height=\"" + height + "\"/><g id=\"boxes\"></g>"
          "<text id=\"frame-note\" x=\"" + std::to_string(kFrameWidth / 2) + "\" y=\""
        + std::to_string(kFrameHeight / 2) + "\"></text></svg><div class=\"controls\">"
          "<input type=\"range\" id=\"slider\" min=\"0\" max=\"" + std::to_string(shownDocuments - 1)
        + "\" value=\"0\" step=\"1\" aria-label=\"Document\"/><output id=\"position\" for=\"slider\">document 1 of "
        + std::to_string(documentCount) + "</output></div><p class=\"hint\">The slider, or the left and right arrow "
          "keys, step through the documents; a click on a chart below jumps to its time.";
    if (every > 1)
        html += " The view shows one document in " + std::to_string(every) + "; the counts and charts take all.";
    return html + "</p></div>";
}

std::string bestShotList(const ReportContent& content, const TimeAxis& axis)
{
    std::map<std::string, std::string> typeOfTrack;
    for (const Track& track: content.tracks)
        typeOfTrack[track.trackId] = track.typeId;
    std::string html
        = "<aside><h3>Best shots</h3><p class=\"hint\">Marked: the tracks in the frame.</p><ol id=\"best-shots\">";
    const size_t listed = std::min(content.bestShots.size(), kMaxListedBestShots);
    for (size_t i = 0; i < listed; ++i)
    {
        const BestShot& shot = content.bestShots[i];
        const std::string& typeId = typeOfTrack[shot.trackId];
        html += "<li data-track=\"" + escaped(shot.trackId) + "\"><span class=\"time\">"
            + fixed(axis.seconds(shot.timestampUs), 1) + " s</span> <span class=\"swatch\" style=\"background:"
            + typeColour(content, typeId) + "\"></span>" + escaped(shortTypeName(typeId)) + " "
            + escaped(shortTrackId(shot.trackId)) + "<code>" + escaped(shot.imageUrl) + "</code></li>";
    }
    html += "</ol>";
    if (content.bestShots.empty())
        html += "<p class=\"hint\">No best shot came back.</p>";
    if (listed < content.bestShots.size())
        html += "<p class=\"hint\">and " + std::to_string(content.bestShots.size() - listed) + " more</p>";
    return html + "</aside>";
}

} // namespace

std::string sceneSection(
    const std::vector<DocumentRecord>& documents, const ReportContent& content, const TimeAxis& axis)
{
    const size_t every = std::max<size_t>(1, (documents.size() + kMaxSceneDocuments - 1) / kMaxSceneDocuments);
    SceneData data(content, axis);
    for (size_t i = 0; i < documents.size(); i += every)
        data.add(documents[i]);
    const size_t shown = (documents.size() + every - 1) / every;
    return "<section id=\"scene\"><h2>Scene</h2><div class=\"scene\">"
        + frameAndControls(shown, documents.size(), every) + bestShotList(content, axis)
        + "</div><script type=\"application/json\" id=\"scene-data\">"
        + scriptJson(data.finish(documents.size(), every)) + "</script></section>";
}

} // namespace qvhost
