// A parsed metadata document written out whole, so that two parses of one text can be compared.
#pragma once

#include <initializer_list>
#include <sstream>
#include <string>

#include <metadata/metadata_document.h>

namespace tesh::vms_server_plugins::analytics::qv::test {

/** Every field, so that two parses can be compared whole. */
inline std::string describe(const MetadataDocument* document)
{
    if (!document)
        return "none";
    std::ostringstream out;
    out << document->scaleX << ' ' << document->scaleY << '\n';
    for (const MetadataObject& o: document->objects)
    {
        out << o.objectId << ' ' << o.left << ' ' << o.top << ' ' << o.right << ' ' << o.bottom << ' ' << o.classType
            << '|' << o.vehicleType << '|' << o.imageRef.value_or("-") << '|' << o.gender << '|' << o.eyewear << o.mask
            << o.hat << o.helmet << ' ' << o.bagCategory << ' ' << int(o.presence);
        for (const ColorValue* c: {&o.vehicleColor, &o.topColor, &o.bottomColor})
            out << ' ' << c->x << ',' << c->y << ',' << c->z;
        out << '\n';
    }
    for (const MetadataEvent& e: document->events)
    {
        out << e.topic.value_or("-");
        for (const auto* items: {&e.sourceItems, &e.dataItems})
        {
            out << " |";
            for (const SimpleItem& item: *items)
                out << ' ' << item.name << '=' << item.value;
        }
        out << '\n';
    }
    return out.str();
}

} // namespace tesh::vms_server_plugins::analytics::qv::test
