// A small metadata document as the camera sends it: one person with a best-shot image, one line-crossing event.
#pragma once

namespace tesh::test {

/** Becomes three packets: the objects, the person's best shot, the event. Constant-initialised: a host thread may
 * still push it while the process exits. */
inline constexpr char kOnePersonDocument[]
    = "<tt:MetaDataStream xmlns:tt=\"x\" xmlns:wsnt=\"y\"><tt:VideoAnalytics><tt:Frame>"
      "<tt:Transformation><tt:Scale x=\"0.000520833\" y=\"0.000925926\"/></tt:Transformation>"
      "<tt:Object ObjectId=\"1\"><tt:Appearance><tt:Shape><tt:BoundingBox left=\"10\" top=\"10\" right=\"90\" "
      "bottom=\"90\"/></tt:Shape><tt:Class><tt:Type>Person</tt:Type></tt:Class>"
      "<tt:ImageRef>http://127.0.0.1/1.jpg</tt:ImageRef></tt:Appearance></tt:Object></tt:Frame></tt:VideoAnalytics>"
      "<tt:Event><wsnt:NotificationMessage><wsnt:Topic>tns1:RuleEngine/ObjectDetection/vndObjectEx</wsnt:Topic>"
      "<wsnt:Message><tt:Message><tt:Data><tt:SimpleItem Name=\"ObjectId\" Value=\"1\"/>"
      "<tt:SimpleItem Name=\"Actions\" Value=\"Enter\"/></tt:Data></tt:Message></wsnt:Message>"
      "</wsnt:NotificationMessage></tt:Event></tt:MetaDataStream>";

} // namespace tesh::test
