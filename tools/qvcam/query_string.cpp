// Percent-decoding and splitting of query strings.
#include "query_string.h"

namespace qvcam {

namespace {

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QueryField parseField(const std::string& field)
{
    const size_t equals = field.find('=');
    if (equals == std::string::npos)
        return {percentDecode(field), {}, false};
    return {percentDecode(field.substr(0, equals)), percentDecode(field.substr(equals + 1)), true};
}

} // namespace

std::string percentDecode(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '%' && i + 2 < text.size())
        {
            const int high = hexDigitValue(text[i + 1]);
            const int low = hexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0)
            {
                result += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

std::vector<QueryField> parseQuery(const std::string& query)
{
    std::vector<QueryField> fields;
    size_t start = 0;
    while (start <= query.size())
    {
        size_t end = query.find('&', start);
        if (end == std::string::npos)
            end = query.size();
        if (end > start)
            fields.push_back(parseField(query.substr(start, end - start)));
        start = end + 1;
    }
    return fields;
}

} // namespace qvcam
