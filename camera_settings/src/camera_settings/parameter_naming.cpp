// How the host's setting names become the camera's parameter names and query values.
#include "parameter_naming.h"

#include <tesh/kit/decimal_number.h>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

bool isUnreserved(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || kit::isDecimalDigit(static_cast<char>(c)) || c == '-'
        || c == '.' || c == '_' || c == '~';
}

} // namespace

bool isSafeSettingName(std::string_view name)
{
    if (name.empty())
        return false;
    for (const char c: name)
    {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || kit::isDecimalDigit(c) || c == '_'))
            return false;
    }
    return true;
}

std::string toCameraIndex(std::string_view name)
{
    std::string cameraName(name);
    if (!cameraName.empty() && cameraName.back() >= '1' && cameraName.back() <= '9')
        --cameraName.back();
    return cameraName;
}

std::string indexDigit(std::string_view name)
{
    for (auto c = name.rbegin(); c != name.rend(); ++c)
    {
        if (kit::isDecimalDigit(*c))
            return std::string(1, *c);
    }
    return {};
}

std::string toCurrentPositionPath(std::string_view path)
{
    static constexpr std::string_view kFrom = "POSITION";
    static constexpr std::string_view kTo = "CURRENT_POSITION";

    // Copying the text between occurrences keeps the search from ever seeing the inserted "POSITION" again.
    std::string result;
    std::size_t copied = 0;
    for (std::size_t found = path.find(kFrom); found != std::string_view::npos; found = path.find(kFrom, copied))
    {
        result.append(path.substr(copied, found - copied));
        result.append(kTo);
        copied = found + kFrom.size();
    }
    result.append(path.substr(copied));
    return result;
}

std::string urlEncode(std::string_view value)
{
    static constexpr char kHexDigits[] = "0123456789abcdef";

    std::string encoded;
    encoded.reserve(value.size());
    for (const char c: value)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (isUnreserved(byte))
        {
            encoded += c;
        }
        else
        {
            encoded += '%';
            encoded += kHexDigits[byte >> 4];
            encoded += kHexDigits[byte & 0x0F];
        }
    }
    return encoded;
}

} // namespace tesh::vms_server_plugins::analytics::qv
