// Reading one document of the camera's metadata stream into the fields that the object and event conversions use.
#include "parse_metadata_stream.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include <rapidxml/rapidxml.hpp>

#include <tesh/kit/decimal_number.h>

#include "markup_scan.h"
#include "metadata_document_shelf.h"
#include "names_by_namespace.h"
#include "parsed_markup_scan.h"

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

using Node = rapidxml::xml_node<char>;

/**
 * Element text trimmed at both ends, with its inner white-space runs condensed to one space. Every name and value is
 * read with its size, so rapidxml need not write a terminator after each into the text.
 */
constexpr int kParseFlags
    = rapidxml::parse_trim_whitespace | rapidxml::parse_normalize_whitespace | rapidxml::parse_no_string_terminators;

/**
 * An element's first text is its value either way; the nodes of text, a thousand in a crowded scene, are only wanted
 * where CDATA sections are, since rapidxml makes none for them without.
 */
void parseText(char* text, const MarkupScan& scan, rapidxml::xml_document<char>& xml)
{
    if (scan.hasCData)
        xml.parse<kParseFlags>(text);
    else
        xml.parse<kParseFlags | rapidxml::parse_no_data_nodes>(text);
}

/**
 * Whether rapidxml may parse the text before its nesting is known: on a stack deep enough for any nesting of that
 * many bytes, and without "<!", which begins every construct (comment, CDATA, declaration) whose end only the
 * pre-scan follows exactly as rapidxml does.
 */
bool parsesUnscanned(const char* text, std::size_t length, ParseStack stack)
{
    return stack == ParseStack::deep && length <= kUnscannedTextBytes && !std::memchr(text, '!', length);
}

/**
 * Parses the text into xml where its nesting allows; the nesting is checked before rapidxml's descent, which has no
 * depth limit of its own, unless the stack is deep enough for any.
 * @return What the scan of the text tells, in nestsWithin whether the parse may go on; rapidxml's errors are thrown.
 */
MarkupScan parseScanned(char* text, std::size_t length, ParseStack stack, rapidxml::xml_document<char>& xml)
{
    if (parsesUnscanned(text, length, stack))
    {
        xml.parse<kParseFlags | rapidxml::parse_no_data_nodes>(text);
        return scanParsedMarkup(xml, kMaxDocumentNesting);
    }
    const MarkupScan scan = scanMarkup(text, length, kMaxDocumentNesting);
    if (scan.nestsWithin)
        parseText(text, scan, xml);
    return scan;
}

/** Names are compared with the prefixes nameElementsByNamespace gave them. */
std::string_view nameOf(const Node& node)
{
    if (node.type() != rapidxml::node_element)
        return {}; //< Character data, which matches no name we look for.
    return {node.name(), node.name_size()};
}

/** The element's first run of character data, as the parse flags left it; entity references resolved. */
std::string_view textOf(const Node& element)
{
    return {element.value(), element.value_size()};
}

const Node* firstChild(const Node* parent, std::string_view name)
{
    if (!parent)
        return nullptr;
    for (const Node* child = parent->first_node(); child; child = child->next_sibling())
    {
        if (nameOf(*child) == name)
            return child;
    }
    return nullptr;
}

/** Follows first children along the path; null where one of them is missing. */
const Node* firstDescendant(const Node* node, std::initializer_list<std::string_view> path)
{
    for (std::string_view name: path)
        node = firstChild(node, name);
    return node;
}

std::optional<std::string_view> attributeOf(const Node& element, std::string_view name)
{
    const auto* attribute = element.first_attribute(name.data(), name.size());
    if (!attribute)
        return std::nullopt;
    return std::string_view(attribute->value(), attribute->value_size());
}

/** At most maxLength bytes; a UTF-8 sequence that would not fit whole is left out with what follows it. */
std::string cutText(std::string_view text, std::size_t maxLength)
{
    if (text.size() <= maxLength)
        return std::string(text);
    std::size_t length = maxLength;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    return std::string(text.substr(0, length));
}

void readIntegerAttribute(const Node& element, std::string_view name, int32_t* field)
{
    if (const auto value = attributeOf(element, name))
        *field = kit::saturatedDecimalInteger(*value);
}

void readDecimalAttribute(const Node& element, std::string_view name, float* field)
{
    if (const auto value = attributeOf(element, name))
        *field = kit::decimalFloatOrZero(*value);
}

void readColor(const Node& color, ColorValue* value)
{
    readIntegerAttribute(color, "X", &value->x);
    readIntegerAttribute(color, "Y", &value->y);
    readIntegerAttribute(color, "Z", &value->z);
}

void readBoundingBox(const Node& shape, MetadataObject* object)
{
    const Node* box = firstChild(&shape, "tt:BoundingBox");
    if (!box)
        return;
    readDecimalAttribute(*box, "left", &object->left);
    readDecimalAttribute(*box, "top", &object->top);
    readDecimalAttribute(*box, "right", &object->right);
    readDecimalAttribute(*box, "bottom", &object->bottom);
}

void readVehicleInfo(const Node& info, MetadataObject* object)
{
    if (const Node* type = firstChild(&info, "tt:Type"))
        object->vehicleType = cutText(textOf(*type), kShortTextLength);
    if (const Node* color = firstDescendant(&info, {"tt:Color", "tt:ColorCluster", "tt:Color"}))
    {
        object->presence |= kVehicleColorRead;
        readColor(*color, &object->vehicleColor);
    }
}

/** Worn unless fc:Wear says exactly "false" (an empty fc:Wear is worn); without fc:Wear the flag stays. */
void readWear(const Node* accessories, std::string_view accessory, bool* worn)
{
    if (const Node* wear = firstDescendant(accessories, {accessory, "fc:Wear"}))
        *worn = textOf(*wear) != "false";
}

void readHumanFace(const Node& face, MetadataObject* object)
{
    object->presence |= kFaceRead;
    if (const Node* gender = firstChild(&face, "fc:Gender"))
        object->gender = cutText(textOf(*gender), kGenderLength);
    const Node* accessories = firstChild(&face, "fc:Accessory");
    readWear(accessories, "fc:Opticals", &object->eyewear);
    readWear(accessories, "fc:Mask", &object->mask);
    readWear(accessories, "fc:Hat", &object->hat);
    readWear(accessories, "fc:Helmet", &object->helmet);
}

/** The tops take the first cluster that holds a colour; the bottoms look at their first cluster only. */
void readTopColor(const Node* tops, MetadataObject* object)
{
    const Node* colors = firstChild(tops, "tt:Color");
    if (!colors)
        return;
    for (const Node* cluster = colors->first_node(); cluster; cluster = cluster->next_sibling())
    {
        if (nameOf(*cluster) != "tt:ColorCluster")
            continue;
        if (const Node* color = firstChild(cluster, "tt:Color"))
        {
            object->presence |= kTopColorRead;
            readColor(*color, &object->topColor);
            return;
        }
    }
}

void readHumanBody(const Node& body, MetadataObject* object)
{
    // Without clothing the body is not read at all, the bag included.
    const Node* clothing = firstChild(&body, "bd:Clothing");
    if (!clothing)
        return;
    readTopColor(firstChild(clothing, "bd:Tops"), object);
    if (const Node* color = firstDescendant(clothing, {"bd:Bottoms", "tt:Color", "tt:ColorCluster", "tt:Color"}))
    {
        object->presence |= kBottomColorRead;
        readColor(*color, &object->bottomColor);
    }
    if (const Node* category = firstDescendant(&body, {"bd:Belonging", "bd:Bag", "bd:Category"}))
    {
        object->presence |= kBagRead;
        object->bagCategory = cutText(textOf(*category), kShortTextLength);
    }
}

void readAppearance(const Node& appearance, MetadataObject* object)
{
    for (const Node* child = appearance.first_node(); child; child = child->next_sibling())
    {
        const std::string_view name = nameOf(*child);
        if (name == "tt:Shape")
        {
            readBoundingBox(*child, object);
        }
        else if (name == "tt:Class")
        {
            if (const Node* type = firstChild(child, "tt:Type"))
                object->classType = cutText(textOf(*type), kShortTextLength);
        }
        else if (name == "tt:VehicleInfo")
        {
            readVehicleInfo(*child, object);
        }
        else if (name == "tt:ImageRef")
        {
            object->imageRef = std::string(textOf(*child));
        }
        else if (name == "tt:HumanFace")
        {
            readHumanFace(*child, object);
        }
        else if (name == "tt:HumanBody")
        {
            readHumanBody(*child, object);
        }
    }
}

/**
 * An id whose digits do not fit 32 bits cannot be told apart from others that saturate to the same limit: such an
 * object is left out. Otherwise the id reads as atoi reads it, 0 without the attribute.
 */
std::optional<int32_t> readObjectId(const Node& element)
{
    const std::optional<std::string_view> text = attributeOf(element, "ObjectId");
    if (!text)
        return 0;
    if (const std::optional<int32_t> id = kit::parseDecimalInteger(*text))
        return id;
    // Text without digits reads as 0, as atoi reads it; only digits beyond 32 bits make the id unusable.
    return kit::saturatedDecimalInteger(*text) == 0 ? std::optional<int32_t>(0) : std::nullopt;
}

/** Read in place, in the document's room for objects: an object is large, and moving one costs nearly a copy. */
void readObject(const Node& element, int32_t objectId, MetadataObject* object)
{
    object->objectId = objectId;
    if (const Node* appearance = firstChild(&element, "tt:Appearance"))
        readAppearance(*appearance, object);
}

/**
 * Room for the children of one name is made once, as many as will be kept: grown one by one, a vector would
 * allocate again and move them all at every doubling.
 */
std::size_t childCountOf(const Node& parent, std::string_view name, std::size_t limit)
{
    std::size_t count = 0;
    for (const Node* child = parent.first_node(); child && count < limit; child = child->next_sibling())
    {
        if (nameOf(*child) == name)
            ++count;
    }
    return count;
}

/** A frame replaces whatever an earlier frame of the document gave: the scale as well as the objects. */
void readFrame(const Node& frame, MetadataDocument* document)
{
    document->scaleX = 0;
    document->scaleY = 0;
    document->objects.clear();
    document->objects.reserve(childCountOf(frame, "tt:Object", kMaxObjectsPerDocument));
    document->objectsLeftOut = 0;
    for (const Node* child = frame.first_node(); child; child = child->next_sibling())
    {
        const std::string_view name = nameOf(*child);
        if (name == "tt:Transformation")
        {
            if (const Node* scale = firstChild(child, "tt:Scale"))
            {
                readDecimalAttribute(*scale, "x", &document->scaleX);
                readDecimalAttribute(*scale, "y", &document->scaleY);
            }
        }
        else if (name == "tt:Object")
        {
            if (document->objects.size() == kMaxObjectsPerDocument)
                ++document->objectsLeftOut;
            else if (const std::optional<int32_t> objectId = readObjectId(*child))
                readObject(*child, *objectId, &document->objects.emplace_back());
        }
    }
}

/** From the first slot, up to kMaxSimpleItems; children other than tt:SimpleItem take no slot. */
std::vector<SimpleItem> readItems(const Node* container)
{
    std::vector<SimpleItem> items;
    if (!container)
        return items;
    items.reserve(childCountOf(*container, "tt:SimpleItem", kMaxSimpleItems));
    for (const Node* child = container->first_node(); child && items.size() < kMaxSimpleItems;
         child = child->next_sibling())
    {
        if (nameOf(*child) != "tt:SimpleItem")
            continue;
        items.push_back({std::string(attributeOf(*child, "Name").value_or("")),
            std::string(attributeOf(*child, "Value").value_or(""))});
    }
    return items;
}

MetadataEvent readEvent(const Node& element)
{
    MetadataEvent event;
    const Node* notification = firstChild(&element, "wsnt:NotificationMessage");
    if (!notification)
        return event;
    for (const Node* child = notification->first_node(); child; child = child->next_sibling())
    {
        const std::string_view name = nameOf(*child);
        if (name == "wsnt:Topic")
        {
            event.topic = std::string(textOf(*child));
        }
        else if (name == "wsnt:Message")
        {
            // A later message replaces the items of an earlier one.
            if (const Node* message = firstChild(child, "tt:Message"))
            {
                event.sourceItems = readItems(firstChild(message, "tt:Source"));
                event.dataItems = readItems(firstChild(message, "tt:Data"));
            }
        }
    }
    return event;
}

std::unique_ptr<MetadataDocument> readDocument(const Node& root)
{
    std::unique_ptr<MetadataDocument> document = lendMetadataDocument();
    document->events.reserve(childCountOf(root, "tt:Event", kMaxEventsPerDocument));
    for (const Node* child = root.first_node(); child; child = child->next_sibling())
    {
        const std::string_view name = nameOf(*child);
        if (name == "tt:VideoAnalytics")
        {
            if (const Node* frame = firstChild(child, "tt:Frame"))
                readFrame(*frame, document.get());
        }
        else if (name == "tt:Event")
        {
            if (document->events.size() == kMaxEventsPerDocument)
                ++document->eventsLeftOut;
            else
                document->events.push_back(readEvent(*child));
        }
    }
    return document;
}

} // namespace

std::unique_ptr<MetadataDocument> parseMetadataStream(
    char* text, std::size_t length, rapidxml::xml_document<char>& xml, ParseStack stack)
{
    if (!text)
        return nullptr;
    try
    {
        xml.clear();
        const MarkupScan scan = parseScanned(text, length, stack, xml);
        if (!scan.nestsWithin)
        {
            xml.clear();
            return nullptr;
        }
        nameElementsByNamespace(xml, scan);
        const Node* root = firstChild(&xml, "tt:MetaDataStream");
        std::unique_ptr<MetadataDocument> document = root ? readDocument(*root) : nullptr;
        xml.clear();
        return document;
    }
    catch (...)
    {
        xml.clear();
        return nullptr;
    }
}

std::unique_ptr<MetadataDocument> parseMetadataStream(char* text)
{
    if (!text)
        return nullptr;
    try
    {
        // The document embeds a 64 KiB pool: on the heap, never on the caller's stack.
        const auto xml = std::make_unique<rapidxml::xml_document<char>>();
        return parseMetadataStream(text, std::strlen(text), *xml);
    }
    catch (...)
    {
        return nullptr;
    }
}

} // namespace tesh::vms_server_plugins::analytics::qv
