// The query string of a parameter request, taken apart as the camera's interface reads it.
#pragma once

#include <string>
#include <vector>

namespace qvcam {

struct QueryField
{
    std::string name;
    std::string value;
    bool hasValue = false; //< Whether the field had an "=" (a read sends "NAME=" with an empty value).
};

/** "%2c" and "%2C" become ","; a "%" not followed by two hexadecimal digits stays as it is. */
std::string percentDecode(const std::string& text);

/** Fields in their order, names and values decoded; empty fields (as after the final "&") are skipped. */
std::vector<QueryField> parseQuery(const std::string& query);

} // namespace qvcam
