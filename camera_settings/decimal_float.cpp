// Decimal floats through std::from_chars, which ignores the locale that the host may have set for its own texts.
#include "decimal_float.h"

#include <charconv>
#include <cmath>

#include <plugin/decimal_integer.h>

namespace tesh::vms_server_plugins::analytics::qv {

std::optional<float> parseDecimalFloat(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && isCSpace(text[start]))
        ++start;
    if (start + 1 < text.size() && text[start] == '+' && text[start + 1] != '-')
        ++start;
    float value = 0;
    const char* const first = text.data() + start;
    const std::from_chars_result result = std::from_chars(first, text.data() + text.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace tesh::vms_server_plugins::analytics::qv
