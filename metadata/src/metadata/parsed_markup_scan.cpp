// What the pre-scan of a text tells, read instead from the elements rapidxml has made of it.
#include "parsed_markup_scan.h"

#include <string_view>

#include <rapidxml/rapidxml.hpp>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

using Node = rapidxml::xml_node<char>;

bool mayDeclareNamespaces(const Node& element)
{
    constexpr std::string_view kDeclaration = "xmlns";
    for (const auto* attribute = element.first_attribute(); attribute; attribute = attribute->next_attribute())
    {
        if (std::string_view(attribute->name(), attribute->name_size()).substr(0, kDeclaration.size()) == kDeclaration)
            return true;
    }
    return false;
}

} // namespace

MarkupScan scanParsedMarkup(const rapidxml::xml_document<char>& xml, int maxDepth)
{
    MarkupScan seen;
    const Node* const first = xml.first_node();
    const Node* node = first;
    int depth = 1;
    while (node)
    {
        if (depth > maxDepth)
            return MarkupScan{};
        if (node != first && !seen.declaresNamespacesBelowFirst && mayDeclareNamespaces(*node))
            seen.declaresNamespacesBelowFirst = true;
        if (const Node* child = node->first_node())
        {
            node = child;
            ++depth;
            continue;
        }
        // Up to the nearest element that has a next sibling; the document itself has none.
        while (node != &xml && !node->next_sibling())
        {
            node = node->parent();
            --depth;
        }
        node = node == &xml ? nullptr : node->next_sibling();
    }
    seen.nestsWithin = true;
    return seen;
}

} // namespace tesh::vms_server_plugins::analytics::qv
