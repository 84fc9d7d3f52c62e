// Reading and splitting recordings of the camera's metadata stream.
#include "input_documents.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

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

bool hasContent(const std::string& document)
{
    return document.find("<tt:Object ") != std::string::npos
        || document.find("NotificationMessage") != std::string::npos;
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
