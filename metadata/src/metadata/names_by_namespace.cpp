// Element names as the metadata walk looks them up, whatever prefixes the writer of a document chose.
#include "names_by_namespace.h"

#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

#include <rapidxml/rapidxml.hpp>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

using Node = rapidxml::xml_node<char>;

constexpr std::string_view kSchemaPrefix = "tt";

struct KnownNamespace
{
    std::string_view uri;
    std::string_view prefix; //< The one the walk looks for.
};

constexpr KnownNamespace kKnownNamespaces[] = {
    {"http://www.onvif.org/ver10/schema", kSchemaPrefix},
    {"http://docs.oasis-open.org/wsn/b-2", "wsnt"},
};

/** A prefix the document declared ("" for its default namespace), and what the walk knows it by. */
struct Binding
{
    std::string_view declared;
    std::string_view known; //< Empty for a namespace the walk does not read.
};

std::string_view knownPrefixOf(std::string_view uri)
{
    for (const KnownNamespace& known: kKnownNamespaces)
    {
        if (known.uri == uri)
            return known.prefix;
    }
    return {};
}

/** Calls onBinding with each namespace the element declares, its default namespace included. */
template<typename OnBinding>
bool forEachDeclaration(const Node& element, OnBinding onBinding)
{
    constexpr std::string_view kDeclaration = "xmlns";
    for (const auto* attribute = element.first_attribute(); attribute; attribute = attribute->next_attribute())
    {
        const std::string_view name(attribute->name(), attribute->name_size());
        if (name.substr(0, kDeclaration.size()) != kDeclaration)
            continue;
        const std::string_view uri(attribute->value(), attribute->value_size());
        if (name.size() == kDeclaration.size() && !onBinding(Binding{{}, knownPrefixOf(uri)}))
            return false;
        if (name.size() > kDeclaration.size() && name[kDeclaration.size()] == ':'
            && !onBinding(Binding{name.substr(kDeclaration.size() + 1), knownPrefixOf(uri)}))
            return false;
    }
    return true;
}

void addDeclarations(const Node& element, std::vector<Binding>& bindings)
{
    forEachDeclaration(element, [&bindings](const Binding& binding) {
        bindings.push_back(binding);
        return true;
    });
}

/** The innermost declaration of the prefix in scope; null where there is none. */
const Binding* bindingOf(std::string_view prefix, const std::vector<Binding>& bindings)
{
    for (auto it = bindings.rbegin(); it != bindings.rend(); ++it)
    {
        if (it->declared == prefix)
            return &*it;
    }
    return nullptr;
}

/** The root's local name as the walk looks for it; the schema spells it "MetadataStream". */
constexpr std::string_view kRootName = "MetaDataStream";

void setName(Node& element, std::string_view prefix, std::string_view local, rapidxml::xml_document<char>& xml)
{
    const std::size_t size = prefix.size() + 1 + local.size();
    char* renamed = xml.allocate_string(nullptr, size);
    std::memcpy(renamed, prefix.data(), prefix.size());
    renamed[prefix.size()] = ':';
    std::memcpy(renamed + prefix.size() + 1, local.data(), local.size());
    element.name(renamed, size);
}

void rename(Node& element, const std::vector<Binding>& bindings, rapidxml::xml_document<char>& xml)
{
    const std::string_view name(element.name(), element.name_size());
    const std::size_t colon = name.find(':');
    const std::string_view written = colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
    const std::string_view local = colon == std::string_view::npos ? name : name.substr(colon + 1);
    const Binding* binding = bindingOf(written, bindings);
    if (binding && binding->known.empty())
        return; //< Another namespace, whatever its prefix.
    const std::string_view prefix = binding ? binding->known : written;
    const bool respelled = prefix == kSchemaPrefix && local == "MetadataStream";
    if (prefix == written && !respelled)
        return;
    setName(element, prefix, respelled ? kRootName : local, xml);
}

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

/** Trims the text and condenses its inner runs of white space to one space, in place; the new size. */
std::size_t normalizeWhitespace(char* text, std::size_t size)
{
    std::size_t out = 0;
    bool pendingSpace = false;
    for (std::size_t in = 0; in < size; ++in)
    {
        if (isXmlSpace(text[in]))
        {
            pendingSpace = out > 0;
            continue;
        }
        if (pendingSpace)
            text[out++] = ' ';
        pendingSpace = false;
        text[out++] = text[in];
    }
    return out;
}

void adoptCData(Node& element)
{
    if (element.value_size() != 0)
        return;
    for (Node* child = element.first_node(); child; child = child->next_sibling())
    {
        if (child->type() == rapidxml::node_cdata)
        {
            element.value(child->value(), normalizeWhitespace(child->value(), child->value_size()));
            return;
        }
    }
}

/**
 * A declaration that changes no name: one of a namespace the walk does not read, under any prefix but the one the
 * walk knows the schema by, or one of a namespace the walk reads, under the prefix the walk looks for.
 */
bool keepsNames(const Binding& binding)
{
    return binding.known == binding.declared || (binding.known.empty() && binding.declared != kSchemaPrefix);
}

/** The next node in document order after one whose children, if any, are not to be visited; null after the last. */
Node* nextAfterChildren(Node* node, const rapidxml::xml_document<char>& xml)
{
    while (node != &xml && !node->next_sibling())
        node = node->parent();
    return node == &xml ? nullptr : node->next_sibling();
}

void respellRoot(Node& element, rapidxml::xml_document<char>& xml)
{
    constexpr std::string_view kRespelledRoot = "tt:MetadataStream";
    if (std::string_view(element.name(), element.name_size()) == kRespelledRoot)
        setName(element, kSchemaPrefix, kRootName, xml);
}

/**
 * The camera's document declares the prefixes the walk looks for on its root alone and has no CDATA section: only the
 * root's other spelling can need a new name, and the root is at the top.
 * @return False, having renamed nothing, where the first element's declarations change names.
 */
bool nameTopElements(rapidxml::xml_document<char>& xml)
{
    Node* const first = xml.first_node();
    if (first && first->type() == rapidxml::node_element && !forEachDeclaration(*first, keepsNames))
        return false;
    for (Node* node = first; node; node = node->next_sibling())
    {
        if (node->type() == rapidxml::node_element)
            respellRoot(*node, xml);
    }
    return true;
}

/**
 * A document that declares namespaces deeper down mostly declares the prefixes the walk looks for, and then only the
 * root's other spelling is renamed: elements are done so without keeping scopes, up to the first declaration that
 * changes names, which makes it give up. The elements done by then had no such declaration in scope, so what it did to
 * them is what the full walk does and would do again; the full walk, run after, leaves them unchanged.
 * @return Whether every element was done.
 */
bool nameElementsAsWritten(rapidxml::xml_document<char>& xml)
{
    Node* node = xml.first_node();
    while (node)
    {
        if (node->type() != rapidxml::node_element)
        {
            node = nextAfterChildren(node, xml);
            continue;
        }
        if (!forEachDeclaration(*node, keepsNames))
            return false;
        respellRoot(*node, xml);
        adoptCData(*node);
        node = node->first_node() ? node->first_node() : nextAfterChildren(node, xml);
    }
    return true;
}

/** Walks the elements in document order without recursion, keeping the declarations in scope. */
class Renamer
{
public:
    explicit Renamer(rapidxml::xml_document<char>& xml): m_xml(xml) {}

    void run()
    {
        Node* node = m_xml.first_node();
        while (node)
        {
            enter(*node);
            if (node->type() == rapidxml::node_element && node->first_node())
            {
                node = node->first_node();
                continue;
            }
            leave(*node);
            while (node && !node->next_sibling())
            {
                node = node->parent() == &m_xml ? nullptr : node->parent();
                if (node)
                    leave(*node);
            }
            if (node)
                node = node->next_sibling();
        }
    }

private:
    void enter(Node& node)
    {
        if (node.type() != rapidxml::node_element)
            return;
        m_scopeStarts.push_back(m_bindings.size());
        addDeclarations(node, m_bindings);
        rename(node, m_bindings, m_xml);
        adoptCData(node);
    }

    void leave(const Node& node)
    {
        if (node.type() != rapidxml::node_element)
            return;
        m_bindings.resize(m_scopeStarts.back());
        m_scopeStarts.pop_back();
    }

private:
    rapidxml::xml_document<char>& m_xml;
    std::vector<Binding> m_bindings;
    std::vector<std::size_t> m_scopeStarts; //< The size of m_bindings when each open element was entered.
};

} // namespace

void nameElementsByNamespace(rapidxml::xml_document<char>& xml, const MarkupScan& scan)
{
    if (!scan.hasCData && !scan.declaresNamespacesBelowFirst && nameTopElements(xml))
        return;
    if (!nameElementsAsWritten(xml))
        Renamer(xml).run();
}

} // namespace tesh::vms_server_plugins::analytics::qv
