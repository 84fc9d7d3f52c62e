// Taking a host string map into a plain map, with the log lines of the engine and agent bases.
#include "from_string_map.h"

#include <tesh/kit/debug.h>

namespace tesh::sdk {

namespace {

using kit::debug::printLine;
using kit::debug::toLiteral;

bool hasNullText(const IStringMap* source, int count, int* nullIndex)
{
    for (int i = 0; i < count; ++i)
    {
        if (!source->key(i) || !source->value(i))
        {
            *nullIndex = i;
            return true;
        }
    }
    return false;
}

void logPairs(
    const std::string& printPrefix, const IStringMap* source, int count, const std::string& caption, int indent)
{
    const std::string linePrefix = printPrefix + std::string(static_cast<size_t>(indent), ' ');
    if (!caption.empty())
        printLine(linePrefix, caption + ":");
    printLine(linePrefix, "{");
    for (int i = 0; i < count; ++i)
    {
        printLine(linePrefix,
            "    " + toLiteral(source->key(i)) + ": " + toLiteral(source->value(i)) + (i < count - 1 ? "," : ""));
    }
    printLine(linePrefix, "}");
}

} // namespace

bool fromStringMap(bool enableOutput,
    const std::string& printPrefix,
    std::map<std::string, std::string>* target,
    const IStringMap* source,
    const std::string& caption,
    int indent)
{
    if (!source)
    {
        printLine(printPrefix, "ERROR: stringMap is null");
        return false;
    }
    const int count = source->count();
    if (count < 0)
    {
        printLine(printPrefix, "ERROR: " + caption + ": count is " + std::to_string(count));
        return false;
    }
    int nullIndex = 0;
    if (hasNullText(source, count, &nullIndex))
    {
        printLine(printPrefix, "ERROR: " + caption + ": null key or value at index " + std::to_string(nullIndex));
        return false;
    }

    if (enableOutput)
        logPairs(printPrefix, source, count, caption, indent);
    for (int i = 0; i < count; ++i)
        (*target)[source->key(i)] = source->value(i);
    return true;
}

} // namespace tesh::sdk
