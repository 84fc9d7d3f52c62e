// Small metadata documents built the way the camera writes them: people with boxes and images, and notifications.
#pragma once

#include <string>
#include <vector>

namespace tesh::test {

struct Person
{
    int id;
    const char* imageRef = nullptr;
};

inline std::string objectXml(const Person& person)
{
    std::string xml = "<tt:Object ObjectId=\"" + std::to_string(person.id) +
        "\"><tt:Appearance><tt:Shape><tt:BoundingBox left=\"960\" top=\"540\" right=\"1920\" bottom=\"1080\"/>"
        "</tt:Shape><tt:Class><tt:Type Likelihood=\"0.9\">Person</tt:Type></tt:Class>";
    if (person.imageRef)
        xml += std::string("<tt:ImageRef>") + person.imageRef + "</tt:ImageRef>";
    return xml + "</tt:Appearance></tt:Object>";
}

inline std::string eventXml(const std::string& topic, const std::string& dataItems)
{
    return "<tt:Event><wsnt:NotificationMessage><wsnt:Topic Dialect=\"http://www.onvif.org/ver10/tev/"
           "topicExpression/ConcreteSet\">" +
        topic + "</wsnt:Topic><wsnt:Message><tt:Message UtcTime=\"2026-12-09T10:00:00Z\"><tt:Source>"
                "<tt:SimpleItem Name=\"Rule\" Value=\"0\"/></tt:Source><tt:Data>" +
        dataItems + "</tt:Data></tt:Message></wsnt:Message></wsnt:NotificationMessage></tt:Event>";
}

inline std::string counterEvent(int count)
{
    return eventXml("tns1:RuleEngine/CountAggregation/Counter",
        "<tt:SimpleItem Name=\"Count\" Value=\"" + std::to_string(count) + "\"/>");
}

inline std::string behaviorEvent(const std::string& objectId, const std::string& action)
{
    return eventXml("tns1:RuleEngine/ObjectDetection/vndObjectEx",
        "<tt:SimpleItem Name=\"ObjectId\" Value=\"" + objectId + "\"/><tt:SimpleItem Name=\"Actions\" Value=\"" + action
            + "\"/>");
}

inline std::string documentXml(const std::vector<Person>& people, const std::string& events = "")
{
    std::string xml
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tt:MetaDataStream "
          "xmlns:tt=\"http://www.onvif.org/ver10/schema\" "
          "xmlns:wsnt=\"http://docs.oasis-open.org/wsn/b-2\">";
    if (!people.empty())
    {
        xml += "<tt:VideoAnalytics><tt:Frame UtcTime=\"2026-12-09T10:00:00Z\"><tt:Transformation>"
               "<tt:Translate x=\"-1\" y=\"-1\"/><tt:Scale x=\"0.000520833\" y=\"0.000925926\"/></tt:Transformation>";
        for (const Person& person: people)
            xml += objectXml(person);
        xml += "</tt:Frame></tt:VideoAnalytics>";
    }
    return xml + events + "</tt:MetaDataStream>";
}

} // namespace tesh::test
