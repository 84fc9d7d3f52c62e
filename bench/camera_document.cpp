// Metadata documents of the camera's schema with a chosen number of objects, for the metadata path's benchmarks.
#include "camera_document.h"

#include <string_view>

namespace tesh::bench {

namespace {

/** The camera indents by two spaces per level (see tests/data). */
constexpr int kIndentWidth = 2;

/** The object kinds repeat with this period; the last kind of the cycle carries an image reference. */
constexpr int kObjectKindCount = 5;

class DocumentWriter
{
public:
    void line(int depth, std::string_view text)
    {
        m_text.append(static_cast<std::size_t>(depth * kIndentWidth), ' ');
        m_text.append(text);
        m_text += '\n';
    }

    std::string take() { return std::move(m_text); }

private:
    std::string m_text;
};

std::string number(int value)
{
    return std::to_string(value);
}

void writeColor(DocumentWriter& out, int depth, const std::string& x, const std::string& y, const std::string& z)
{
    out.line(depth, "<tt:Color>");
    out.line(depth + 1, "<tt:ColorCluster>");
    out.line(depth + 2,
        "<tt:Color X=\"" + x + "\" Y=\"" + y + "\" Z=\"" + z
            + "\" Colorspace=\"http://www.onvif.org/ver10/colorspace/YCbCr\"/>");
    out.line(depth + 2, "<tt:Weight>0.7</tt:Weight>");
    out.line(depth + 1, "</tt:ColorCluster>");
    out.line(depth, "</tt:Color>");
}

void writeShape(DocumentWriter& out, int depth, int index)
{
    // Boxes spread over a 3840x2160 frame so that no two objects of a document share one.
    const int left = (index * 73) % 3600;
    const int top = (index * 41) % 1900;
    out.line(depth, "<tt:Shape>");
    out.line(depth + 1,
        "<tt:BoundingBox left=\"" + number(left) + ".0\" top=\"" + number(top) + ".0\" right=\"" + number(left + 180)
            + ".0\" bottom=\"" + number(top + 240) + ".0\"/>");
    out.line(depth + 1, "<tt:CenterOfGravity x=\"" + number(left + 90) + ".0\" y=\"" + number(top + 120) + ".0\"/>");
    out.line(depth, "</tt:Shape>");
}

void writeClass(DocumentWriter& out, int depth, std::string_view type)
{
    out.line(depth, "<tt:Class>");
    out.line(depth + 1, "<tt:Type Likelihood=\"0.91\">" + std::string(type) + "</tt:Type>");
    out.line(depth, "</tt:Class>");
}

void writeWear(DocumentWriter& out, int depth, std::string_view accessory, bool worn)
{
    out.line(depth, "<fc:" + std::string(accessory) + ">");
    out.line(depth + 1, std::string("<fc:Wear>") + (worn ? "true" : "false") + "</fc:Wear>");
    out.line(depth, "</fc:" + std::string(accessory) + ">");
}

void writeHumanFace(DocumentWriter& out, int depth, int index)
{
    out.line(depth, "<tt:HumanFace>");
    out.line(depth + 1, index % 2 == 0 ? "<fc:Gender>Male</fc:Gender>" : "<fc:Gender>Female</fc:Gender>");
    out.line(depth + 1, "<fc:AgeType>Adult</fc:AgeType>");
    out.line(depth + 1, "<fc:Accessory>");
    writeWear(out, depth + 2, "Opticals", index % 3 == 0);
    writeWear(out, depth + 2, "Mask", false);
    writeWear(out, depth + 2, "Hat", index % 4 == 0);
    writeWear(out, depth + 2, "Helmet", false);
    out.line(depth + 1, "</fc:Accessory>");
    out.line(depth, "</tt:HumanFace>");
}

void writeHumanBody(DocumentWriter& out, int depth, int index, bool withBottomsAndBag)
{
    out.line(depth, "<tt:HumanBody>");
    out.line(depth + 1, "<bd:Clothing>");
    out.line(depth + 2, "<bd:Tops>");
    out.line(depth + 3, "<bd:Sleeve>Long</bd:Sleeve>");
    writeColor(out, depth + 3, number(40 + index % 200), "110", "182");
    out.line(depth + 2, "</bd:Tops>");
    if (withBottomsAndBag)
    {
        out.line(depth + 2, "<bd:Bottoms>");
        out.line(depth + 3, "<bd:Length>Long</bd:Length>");
        writeColor(out, depth + 3, "29", "140", "121");
        out.line(depth + 2, "</bd:Bottoms>");
    }
    out.line(depth + 1, "</bd:Clothing>");
    if (withBottomsAndBag)
    {
        out.line(depth + 1, "<bd:Belonging>");
        out.line(depth + 2, "<bd:Bag>");
        out.line(depth + 3, "<bd:Category>Backpack</bd:Category>");
        out.line(depth + 2, "</bd:Bag>");
        out.line(depth + 1, "</bd:Belonging>");
    }
    out.line(depth, "</tt:HumanBody>");
}

void writeVehicleInfo(DocumentWriter& out, int depth, std::string_view type, bool withColor)
{
    out.line(depth, "<tt:VehicleInfo>");
    out.line(depth + 1, "<tt:Type Likelihood=\"0.88\">" + std::string(type) + "</tt:Type>");
    if (withColor)
        writeColor(out, depth + 1, "76", "85", "255");
    out.line(depth, "</tt:VehicleInfo>");
}

void writeAppearance(DocumentWriter& out, int depth, int index, int objectId)
{
    out.line(depth, "<tt:Appearance>");
    writeShape(out, depth + 1, index);
    switch (index % kObjectKindCount)
    {
        case 0:
            writeClass(out, depth + 1, "Person");
            writeHumanFace(out, depth + 1, index);
            writeHumanBody(out, depth + 1, index, /*withBottomsAndBag*/ true);
            break;
        case 1:
            writeClass(out, depth + 1, "Vehicle");
            writeVehicleInfo(out, depth + 1, "Car", /*withColor*/ true);
            break;
        case 2:
            writeClass(out, depth + 1, "Human");
            writeHumanBody(out, depth + 1, index, /*withBottomsAndBag*/ false);
            break;
        case 3:
            writeClass(out, depth + 1, "Vehicle");
            writeVehicleInfo(out, depth + 1, "Bicycle", /*withColor*/ false);
            break;
        default:
            writeClass(out, depth + 1, "Person");
            writeHumanFace(out, depth + 1, index);
            writeHumanBody(out, depth + 1, index, /*withBottomsAndBag*/ true);
            out.line(
                depth + 1, "<tt:ImageRef>http://127.0.0.1/snapshot/object_" + number(objectId) + ".jpg</tt:ImageRef>");
            break;
    }
    out.line(depth, "</tt:Appearance>");
}

void writeFrame(DocumentWriter& out, int objectCount)
{
    out.line(1, "<tt:VideoAnalytics>");
    out.line(2, "<tt:Frame UtcTime=\"2024-05-14T09:21:07.412Z\">");
    out.line(3, "<tt:Transformation>");
    out.line(4, "<tt:Translate x=\"-1.0\" y=\"-1.0\"/>");
    out.line(4, "<tt:Scale x=\"0.000520833\" y=\"0.000925926\"/>");
    out.line(3, "</tt:Transformation>");
    for (int index = 0; index < objectCount; ++index)
    {
        const int objectId = 100 + index;
        out.line(3, "<tt:Object ObjectId=\"" + number(objectId) + "\">");
        writeAppearance(out, 4, index, objectId);
        out.line(3, "</tt:Object>");
    }
    out.line(2, "</tt:Frame>");
    out.line(1, "</tt:VideoAnalytics>");
}

struct Notification
{
    std::string_view topic;
    std::string_view rule; //< Empty: the topic's source names the video source alone.
    std::string_view dataName;
    std::string_view dataValue;
    std::string_view objectId; //< Behaviour events only.
};

void writeEvent(DocumentWriter& out, const Notification& notification)
{
    out.line(1, "<tt:Event>");
    out.line(2, "<wsnt:NotificationMessage>");
    out.line(3,
        "<wsnt:Topic Dialect=\"http://www.onvif.org/ver10/tev/topicExpression/ConcreteSet\">"
            + std::string(notification.topic) + "</wsnt:Topic>");
    out.line(3, "<wsnt:Message>");
    out.line(4, "<tt:Message UtcTime=\"2024-05-14T09:21:07.412Z\" PropertyOperation=\"Changed\">");
    out.line(5, "<tt:Source>");
    out.line(6, "<tt:SimpleItem Name=\"VideoSourceConfigurationToken\" Value=\"VideoSourceToken\"/>");
    if (!notification.rule.empty())
        out.line(6, "<tt:SimpleItem Name=\"Rule\" Value=\"" + std::string(notification.rule) + "\"/>");
    out.line(5, "</tt:Source>");
    out.line(5, "<tt:Data>");
    if (!notification.objectId.empty())
        out.line(6, "<tt:SimpleItem Name=\"ObjectId\" Value=\"" + std::string(notification.objectId) + "\"/>");
    out.line(6,
        "<tt:SimpleItem Name=\"" + std::string(notification.dataName) + "\" Value=\""
            + std::string(notification.dataValue) + "\"/>");
    out.line(5, "</tt:Data>");
    out.line(4, "</tt:Message>");
    out.line(3, "</wsnt:Message>");
    out.line(2, "</wsnt:NotificationMessage>");
    out.line(1, "</tt:Event>");
}

void writeEvents(DocumentWriter& out)
{
    static constexpr Notification kNotifications[kEventsPerDocument] = {
        {"tns1:RuleEngine/CountAggregation/Counter", "Line0", "Count", "17", ""},
        {"tns1:VideoSource/GlobalSceneChange/AnalyticsService", "", "State", "true", ""},
        {"tns1:AI/AppSettingChanged", "", "Setting", "AIX_LINE_ENABLE1", ""},
        {"tns1:RuleEngine/ObjectDetection/vndObjectEx", "Region0", "Actions", "Appear", "100"},
        {"tns1:RuleEngine/ObjectDetection/vndObjectEx", "Region1", "Actions", "Loitering", "101"},
    };
    for (const Notification& notification: kNotifications)
        writeEvent(out, notification);
}

} // namespace

std::string cameraDocument(int objectCount)
{
    DocumentWriter out;
    out.line(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    out.line(0,
        "<tt:MetaDataStream xmlns:tt=\"http://www.onvif.org/ver10/schema\" "
        "xmlns:wsnt=\"http://docs.oasis-open.org/wsn/b-2\" xmlns:tns1=\"http://www.onvif.org/ver10/topics\" "
        "xmlns:fc=\"http://www.example.com/qv/face\" xmlns:bd=\"http://www.example.com/qv/body\">");
    writeFrame(out, objectCount);
    writeEvents(out);
    out.line(0, "</tt:MetaDataStream>");
    return out.take();
}

} // namespace tesh::bench
