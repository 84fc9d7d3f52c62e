// Escaping and number formats of the report page.
#include "html_text.h"

#include <algorithm>
#include <clocale>
#include <cstdio>

namespace qvhost {
namespace {

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

/**
 * The length of the character at text[i] when it is UTF-8 that XML allows, else 0: the plug-in's texts come from
 * the camera, and one stray byte or control character would make the whole page unreadable to an XML reader.
 */
size_t allowedCharacterLength(std::string_view text, size_t i)
{
    const auto byte = [&](size_t k) { return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0; };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r' ? 1 : 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        return isContinuation(byte(1)) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF)
    {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        const bool nonCharacter = lead == 0xEF && byte(1) == 0xBF && (byte(2) == 0xBE || byte(2) == 0xBF);
        return byte(1) >= low && byte(1) <= high && isContinuation(byte(2)) && !nonCharacter ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4)
    {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        return byte(1) >= low && byte(1) <= high && isContinuation(byte(2)) && isContinuation(byte(3)) ? 4 : 0;
    }
    return 0;
}

} // namespace

std::string escaped(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size();)
    {
        const size_t length = allowedCharacterLength(text, i);
        switch (length == 0 ? '\0' : text[i])
        {
            case '\0': result += kReplacementCharacter; break;
            case '&': result += "&amp;"; break;
            case '<': result += "&lt;"; break;
            case '>': result += "&gt;"; break;
            case '"': result += "&quot;"; break;
            case '\'': result += "&#39;"; break;
            default: result.append(text.substr(i, length));
        }
        i += std::max<size_t>(length, 1);
    }
    return result;
}

std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    // The plug-in shares the process and may set a locale with a decimal comma, which SVG cannot read.
    const char point = *std::localeconv()->decimal_point;
    for (char* c = text; *c; ++c)
    {
        if (*c == point)
            *c = '.';
    }
    return text;
}

std::string durationText(int64_t microseconds)
{
    if (microseconds < 1000)
        return std::to_string(microseconds) + " us";
    if (microseconds < 1'000'000)
        return fixed(static_cast<double>(microseconds) / 1e3, microseconds < 10'000 ? 2 : 1) + " ms";
    return fixed(static_cast<double>(microseconds) / 1e6, 2) + " s";
}

std::string scriptJson(const Json& value)
{
    // These characters can stand only inside JSON strings, where the escapes mean the same.
    const std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    std::string result;
    result.reserve(text.size());
    for (const char c: text)
    {
        switch (c)
        {
            case '<': result += "\\u003c"; break;
            case '>': result += "\\u003e"; break;
            case '&': result += "\\u0026"; break;
            default: result += c;
        }
    }
    return result;
}

} // namespace qvhost
