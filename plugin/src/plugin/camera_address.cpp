// The camera's address as the device URL gives it.
#include "camera_address.h"

#include <optional>

#include <tesh/kit/decimal_number.h>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

constexpr int kAddressGroups = 4;
constexpr std::size_t kMaxGroupDigits = 3;

/**
 * The end of a match of groups [group, 4) starting at pos, trying the longest digit run first and backing off as
 * the pattern's greedy quantifier does. The recursion is at most four levels deep.
 */
std::optional<std::size_t> matchGroups(std::string_view url, std::size_t pos, int group)
{
    std::size_t digits = 0;
    while (digits < kMaxGroupDigits && pos + digits < url.size() && kit::isDecimalDigit(url[pos + digits]))
        ++digits;
    for (; digits > 0; --digits)
    {
        const std::size_t end = pos + digits;
        if (group == kAddressGroups - 1)
            return end;
        if (end < url.size() && url[end] == '.')
        {
            if (const auto matchEnd = matchGroups(url, end + 1, group + 1))
                return matchEnd;
        }
    }
    return std::nullopt;
}

} // namespace

std::string cameraAddressFromUrl(std::string_view url)
{
    for (std::size_t start = 0; start < url.size(); ++start)
    {
        if (const auto end = matchGroups(url, start, 0))
            return std::string(url.substr(start, *end - start));
    }
    return {};
}

} // namespace tesh::vms_server_plugins::analytics::qv
