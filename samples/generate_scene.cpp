// Writes the recorded street scene: 24 s of a camera's metadata stream, ten documents a second, one after another.
// Usage: generate_scene [FILE]; without FILE the scene goes to the standard output.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kDocuments = 240;
constexpr int kFramesPerSecond = 10;

// The camera reports pixels of its 3840x2160 stream; the scale maps them onto -1..1.
constexpr int kFrameWidth = 3840;
constexpr int kFrameHeight = 2160;

/** The counting line the camera calls "Line0" stands across the street at this x. */
constexpr double kLineX = 1920;

struct Rgb
{
    int red;
    int green;
    int blue;
};

/** What the camera sends in its best shot of a person: face and body attributes. */
struct PersonLook
{
    const char* gender;
    const char* age;
    bool eyewear;
    bool mask;
    bool hat;
    Rgb top;
    Rgb bottom;
    const char* bag;
};

struct Actor
{
    int id;
    const char* vehicleType; //< Null for a person.
    int firstFrame;
    int lastFrame;
    double startX, startY, endX, endY; //< Centre of the box, pixels.
    double width, height;
    int bestShotFrame;
    std::optional<PersonLook> look;
    Rgb color{0, 0, 0}; //< A vehicle's body colour.
};

const std::vector<Actor> kActors = {
    {101, nullptr, 0, 90, 200, 900, 3600, 1000, 170, 470, 15,
        PersonLook{"Male", "Adult", true, false, false, {30, 60, 200}, {20, 20, 20}, "Backpack"}},
    {102, nullptr, 30, 140, 3700, 1150, 300, 1050, 160, 440, 50,
        PersonLook{"Female", "Adult", false, true, true, {220, 30, 40}, {200, 200, 200}, "Handbag"}},
    {103, nullptr, 110, 230, 700, 700, 3300, 1500, 180, 500, 130,
        PersonLook{"Male", "Senior", false, false, true, {40, 140, 60}, {90, 60, 30}, "None"}},
    {104, nullptr, 170, 239, 3500, 1600, 1500, 900, 170, 480, 190,
        PersonLook{"Female", "Young", true, false, false, {250, 250, 250}, {30, 30, 120}, "Backpack"}},
    {201, "Car", 10, 60, 100, 1500, 3700, 1450, 700, 420, 25, std::nullopt, {200, 20, 20}},
    {202, "Car", 80, 130, 3750, 1750, 150, 1800, 760, 450, 95, std::nullopt, {230, 230, 230}},
    {203, "Truck", 120, 190, 3700, 1350, 300, 1300, 1100, 800, 140, std::nullopt, {250, 250, 250}},
    {204, "Bicycle", 60, 120, 400, 1900, 3400, 1850, 300, 330, 80, std::nullopt, {20, 20, 20}},
    {205, "Motorcycle", 140, 180, 3600, 2000, 500, 1950, 380, 420, 155, std::nullopt, {20, 40, 200}},
};

/** The person whose entry into region 0 the camera reports, and when. */
constexpr int kEnteringPerson = 103;
constexpr int kEnterFrame = 150;
constexpr int kTamperingFrame = 200;
constexpr int kSettingsChangedFrame = 225;

std::string utcTime(int frame)
{
    const int milliseconds = frame * (1000 / kFramesPerSecond);
    char text[40];
    std::snprintf(text, sizeof text, "2026-12-09T10:%02d:%02d.%03dZ", 15 + milliseconds / 60000,
        (milliseconds / 1000) % 60, milliseconds % 1000);
    return text;
}

std::string number(double value, const char* format = "%.1f")
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

/** The camera reports colours in YCbCr. */
std::string colorCluster(const Rgb& rgb, double weight)
{
    const double y = 0.299 * rgb.red + 0.587 * rgb.green + 0.114 * rgb.blue;
    const double cb = 128 - 0.168736 * rgb.red - 0.331264 * rgb.green + 0.5 * rgb.blue;
    const double cr = 128 + 0.5 * rgb.red - 0.418688 * rgb.green - 0.081312 * rgb.blue;
    std::ostringstream xml;
    xml << "<tt:ColorCluster><tt:Color X=\"" << std::lround(y) << "\" Y=\"" << std::lround(cb) << "\" Z=\""
        << std::lround(cr) << "\" Colorspace=\"http://www.onvif.org/ver10/colorspace/YCbCr\"/><tt:Weight>" << weight
        << "</tt:Weight></tt:ColorCluster>";
    return xml.str();
}

bool isVisible(const Actor& actor, int frame)
{
    return frame >= actor.firstFrame && frame <= actor.lastFrame;
}

/** Centre of the actor's box in a frame: walking straight, a person's box bobbing a little with each step. */
void centreAt(const Actor& actor, int frame, double* x, double* y)
{
    const double progress = static_cast<double>(frame - actor.firstFrame) / (actor.lastFrame - actor.firstFrame);
    *x = actor.startX + (actor.endX - actor.startX) * progress;
    *y = actor.startY + (actor.endY - actor.startY) * progress;
    if (actor.look)
        *y += 6 * std::sin(frame * 1.3);
}

std::string classXml(const Actor& actor)
{
    if (!actor.vehicleType)
        return "<tt:Class><tt:Type Likelihood=\"0.93\">Person</tt:Type></tt:Class>";
    return "<tt:Class><tt:Type Likelihood=\"0.95\">Vehicle</tt:Type></tt:Class><tt:VehicleInfo><tt:Type "
           "Likelihood=\"0.88\">"
        + std::string(actor.vehicleType) + "</tt:Type><tt:Color>" + colorCluster(actor.color, 0.7)
        + "</tt:Color></tt:VehicleInfo>";
}

std::string wear(const char* accessory, bool worn)
{
    return std::string("<fc:") + accessory + "><fc:Wear>" + (worn ? "true" : "false") + "</fc:Wear></fc:" + accessory
        + ">";
}

std::string lookXml(const PersonLook& look)
{
    return std::string("<tt:HumanFace><fc:Gender>") + look.gender + "</fc:Gender><fc:AgeType>" + look.age
        + "</fc:AgeType><fc:Accessory>" + wear("Opticals", look.eyewear) + wear("Mask", look.mask)
        + wear("Hat", look.hat) + wear("Helmet", false) + "</fc:Accessory></tt:HumanFace><tt:HumanBody><bd:Clothing>"
        + "<bd:Tops><bd:Sleeve>Long</bd:Sleeve><tt:Color>" + colorCluster(look.top, 0.8) + "</tt:Color></bd:Tops>"
        + "<bd:Bottoms><bd:Length>Long</bd:Length><tt:Color>" + colorCluster(look.bottom, 0.7)
        + "</tt:Color></bd:Bottoms></bd:Clothing><bd:Belonging><bd:Bag><bd:Category>" + look.bag
        + "</bd:Category></bd:Bag></bd:Belonging></tt:HumanBody>";
}

/** One sighting of the actor; the best shot adds the camera's picture and what it recognised in it. */
std::string objectXml(const Actor& actor, int frame, bool bestShot)
{
    double x = 0;
    double y = 0;
    centreAt(actor, frame, &x, &y);
    std::string xml = "\n      <tt:Object ObjectId=\"" + std::to_string(actor.id) + "\"><tt:Appearance><tt:Shape>"
        + "<tt:BoundingBox left=\"" + number(x - actor.width / 2) + "\" top=\"" + number(y - actor.height / 2)
        + "\" right=\"" + number(x + actor.width / 2) + "\" bottom=\"" + number(y + actor.height / 2) + "\"/>"
        + "<tt:CenterOfGravity x=\"" + number(x) + "\" y=\"" + number(y) + "\"/></tt:Shape>" + classXml(actor);
    if (bestShot)
    {
        if (actor.look)
            xml += lookXml(*actor.look);
        xml += "<tt:ImageRef>http://127.0.0.1/snapshot/object_" + std::to_string(actor.id) + ".jpg</tt:ImageRef>";
    }
    return xml + "</tt:Appearance></tt:Object>";
}

std::string eventXml(int frame, const std::string& topic, const std::string& source, const std::string& data)
{
    return "\n  <tt:Event><wsnt:NotificationMessage><wsnt:Topic "
           "Dialect=\"http://www.onvif.org/ver10/tev/topicExpression/ConcreteSet\">"
        + topic + "</wsnt:Topic><wsnt:Message><tt:Message UtcTime=\"" + utcTime(frame)
        + "\" PropertyOperation=\"Changed\"><tt:Source>" + source + "</tt:Source><tt:Data>" + data
        + "</tt:Data></tt:Message></wsnt:Message></wsnt:NotificationMessage></tt:Event>";
}

std::string item(const std::string& name, const std::string& value)
{
    return "<tt:SimpleItem Name=\"" + name + "\" Value=\"" + value + "\"/>";
}

std::string ruleSource(const std::string& rule)
{
    return item("VideoSourceConfigurationToken", "VideoSourceToken")
        + item("VideoAnalyticsConfigurationToken", "VideoAnalyticsToken") + item("Rule", rule);
}

/** Whether the actor's centre passes the counting line between the previous frame and this one. */
bool crossesLine(const Actor& actor, int frame)
{
    if (!isVisible(actor, frame) || !isVisible(actor, frame - 1))
        return false;
    double before = 0;
    double after = 0;
    double y = 0;
    centreAt(actor, frame - 1, &before, &y);
    centreAt(actor, frame, &after, &y);
    return (before < kLineX) != (after < kLineX);
}

/** Line 0 counts people, line 1 vehicles; each keeps its running total. */
std::string lineEvents(int frame, int* peopleCount, int* vehicleCount)
{
    std::string xml;
    for (const Actor& actor: kActors)
    {
        if (!crossesLine(actor, frame))
            continue;
        int* const count = actor.look ? peopleCount : vehicleCount;
        ++*count;
        xml += eventXml(frame, "tns1:RuleEngine/CountAggregation/Counter", ruleSource(actor.look ? "Line0" : "Line1"),
            item("Count", std::to_string(*count)));
    }
    return xml;
}

std::string otherEvents(int frame)
{
    if (frame == kEnterFrame)
    {
        return eventXml(frame, "tns1:RuleEngine/ObjectDetection/vndObjectEx", ruleSource("Region0"),
            item("ObjectId", std::to_string(kEnteringPerson)) + item("Actions", "Enter"));
    }
    if (frame == kTamperingFrame)
    {
        return eventXml(frame, "tns1:VideoSource/GlobalSceneChange/AnalyticsService",
            item("Source", "VideoSourceToken"), item("State", "true"));
    }
    if (frame == kSettingsChangedFrame)
    {
        return eventXml(frame, "tns1:AI/AppSettingChanged", item("Source", "VideoSourceToken"),
            item("Setting", "AIX_REGION_ENABLE0"));
    }
    return "";
}

std::string documentXml(int frame, int* peopleCount, int* vehicleCount)
{
    std::string objects;
    for (const Actor& actor: kActors)
    {
        if (!isVisible(actor, frame))
            continue;
        objects += objectXml(actor, frame, false);
        if (frame == actor.bestShotFrame)
            objects += objectXml(actor, frame, true);
    }
    std::string xml
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tt:MetaDataStream "
          "xmlns:tt=\"http://www.onvif.org/ver10/schema\" xmlns:wsnt=\"http://docs.oasis-open.org/wsn/b-2\" "
          "xmlns:tns1=\"http://www.onvif.org/ver10/topics\" xmlns:fc=\"http://www.example.com/qv/face\" "
          "xmlns:bd=\"http://www.example.com/qv/body\">";
    if (!objects.empty())
    {
        xml += "\n  <tt:VideoAnalytics><tt:Frame UtcTime=\"" + utcTime(frame) + "\"><tt:Transformation>"
            + "<tt:Translate x=\"-1.0\" y=\"-1.0\"/><tt:Scale x=\"" + number(2.0 / kFrameWidth, "%.9g") + "\" y=\""
            + number(2.0 / kFrameHeight, "%.9g") + "\"/></tt:Transformation>" + objects
            + "\n  </tt:Frame></tt:VideoAnalytics>";
    }
    xml += lineEvents(frame, peopleCount, vehicleCount) + otherEvents(frame);
    return xml + "\n</tt:MetaDataStream>\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2)
    {
        std::cerr << "usage: generate_scene [FILE]\n";
        return 2;
    }
    std::ofstream file;
    if (argc == 2)
        file.open(argv[1], std::ios::binary);
    std::ostream& out = argc == 2 ? file : std::cout;
    int peopleCount = 0;
    int vehicleCount = 0;
    for (int frame = 0; frame < kDocuments; ++frame)
        out << documentXml(frame, &peopleCount, &vehicleCount);
    out.flush();
    if (!out)
    {
        std::cerr << "generate_scene: cannot write the scene\n";
        return 1;
    }
    return 0;
}
