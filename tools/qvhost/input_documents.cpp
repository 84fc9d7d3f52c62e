// Reading and splitting recordings of the camera's metadata stream.
#include "input_documents.h"

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string_view>

#include <rapidxml/rapidxml.hpp>

#include "host_error.h"

namespace qvhost {
namespace {

namespace fs = std::filesystem;

constexpr char kWhiteSpace[] = " \t\r\n";

std::string readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!file.good() && !file.eof())
        throw HostError(kBadUse, "cannot read '" + path.string() + "'");
    return text;
}

std::vector<fs::path> filesOf(const std::string& name)
{
    std::error_code error;
    const fs::path path(name);
    if (fs::is_regular_file(path, error))
        return {path};
    if (!fs::is_directory(path, error))
        throw HostError(kBadUse, "cannot read '" + name + "': no such file or directory");
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry: fs::directory_iterator(path, error))
    {
        if (entry.is_regular_file(error))
            files.push_back(entry.path());
    }
    if (error)
        throw HostError(kBadUse, "cannot read the directory '" + name + "': " + error.message());
    std::sort(files.begin(), files.end());
    return files;
}

void addPiece(const std::string& text, size_t begin, size_t end, std::vector<std::string>* documents)
{
    const size_t last = text.find_last_not_of(kWhiteSpace, end == 0 ? 0 : end - 1);
    if (last == std::string::npos || last < begin || end == begin)
        return;
    documents->push_back(text.substr(begin, last + 1 - begin));
}

std::string_view localName(const rapidxml::xml_node<char>& element)
{
    const std::string_view name(element.name(), element.name_size());
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

/** Opening tags minus closing ones at the deepest point; comments and CDATA holding '<' may fool it, harmlessly. */
std::size_t approximateNesting(const std::string& text)
{
    std::size_t depth = 0;
    std::size_t deepest = 0;
    for (std::size_t at = text.find('<'); at != std::string::npos && at + 1 < text.size(); at = text.find('<', at + 1))
    {
        const char next = text[at + 1];
        if (next == '/')
            depth -= depth > 0 ? 1 : 0;
        else if (next != '!' && next != '?')
            deepest = std::max(deepest, ++depth);
        const std::size_t end = text.find('>', at);
        if (end != std::string::npos && end > at && text[end - 1] == '/')
            depth -= depth > 0 ? 1 : 0;
    }
    return deepest;
}

/** Any object or notification below the element, walked without recursion. */
bool holdsContent(const rapidxml::xml_node<char>& root)
{
    std::vector<const rapidxml::xml_node<char>*> pending{&root};
    while (!pending.empty())
    {
        const rapidxml::xml_node<char>* element = pending.back();
        pending.pop_back();
        const std::string_view name = localName(*element);
        if (name == "Object" || name == "NotificationMessage")
            return true;
        for (const auto* child = element->first_node(); child; child = child->next_sibling())
        {
            if (child->type() == rapidxml::node_element)
                pending.push_back(child);
        }
    }
    return false;
}

} // namespace

std::vector<std::string> splitDocuments(const std::string& text)
{
    const char* const start = text.find("<?xml") != std::string::npos ? "<?xml" : "<tt:MetaDataStream";
    std::vector<std::string> documents;
    size_t begin = text.find_first_not_of(kWhiteSpace);
    if (begin == std::string::npos)
        return documents;
    for (size_t next = text.find(start, begin + 1); next != std::string::npos; next = text.find(start, begin + 1))
    {
        addPiece(text, begin, next, &documents);
        begin = next;
    }
    addPiece(text, begin, text.size(), &documents);
    return documents;
}

DocumentShape shapeOf(const std::string& document)
{
    // Deeper documents are refused by the plug-in before it parses them, and would exhaust rapidxml's recursion here.
    constexpr std::size_t kMaxNesting = 256;
    if (approximateNesting(document) > kMaxNesting)
        return {};
    std::vector<char> text(document.begin(), document.end());
    text.push_back('\0');
    const auto xml = std::make_unique<rapidxml::xml_document<char>>(); //< A 64 KiB pool: not on the stack.
    try
    {
        xml->parse<rapidxml::parse_non_destructive>(text.data());
    }
    catch (const rapidxml::parse_error&)
    {
        return {};
    }
    const rapidxml::xml_node<char>* root = xml->first_node();
    while (root && root->type() != rapidxml::node_element)
        root = root->next_sibling();
    if (!root || (localName(*root) != "MetaDataStream" && localName(*root) != "MetadataStream"))
        return {};
    return {true, holdsContent(*root)};
}

std::vector<InputDocument> readInputDocuments(const std::vector<std::string>& paths)
{
    std::vector<InputDocument> documents;
    for (const std::string& name: paths)
    {
        for (const fs::path& file: filesOf(name))
        {
            for (std::string& text: splitDocuments(readFile(file)))
                documents.push_back({file.string(), std::move(text)});
        }
    }
    if (documents.empty())
        throw HostError(kBadUse, "no camera metadata document in the input");
    return documents;
}

} // namespace qvhost
