// Log lines, quoting of values and non-fatal assertion reports shared by the SDK layer.
#include "debug.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>

#include <tesh/kit/immortal.h>
#include <tesh/kit/platform.h>

namespace tesh::kit::debug {

namespace {

std::ostream& outputStream()
{
    static std::ostream* const stream = &std::cerr;
    return *stream;
}

/** Lives to the end of the process: objects may still log from static destructors and late threads. */
struct PrefixCache
{
    std::mutex mutex;
    std::map<std::string, std::string> prefixes;
};

PrefixCache& prefixCache()
{
    static Immortal<PrefixCache> cache;
    return cache.get();
}

void appendEscaped(std::string* out, unsigned char c)
{
    switch (c)
    {
        case '\t': *out += "\\t"; return;
        case '\n': *out += "\\n"; return;
        case '\r': *out += "\\r"; return;
        case '\0': *out += "\\000"; return;
        case '"': *out += "\\\""; return;
        case '\\': *out += "\\\\"; return;
        default: break;
    }
    if (c >= 32 && c <= 126)
    {
        *out += static_cast<char>(c);
        return;
    }
    // The two quotes end the escape, so that a following hex digit is not read as part of it.
    char escape[8];
    std::snprintf(escape, sizeof(escape), "\\x%02X\"\"", c);
    *out += escape;
}

std::string::size_type lastSeparator(const std::string& path)
{
    return path.find_last_of(platform::kPathSeparators);
}

} // namespace

void printLine(std::string_view prefix, std::string_view text)
{
    // One write per line keeps lines of different threads apart. Most lines fit the stack: a line logged per
    // delivered packet should not cost an allocation.
    constexpr std::size_t kStackLineSize = 256;
    const std::size_t size = prefix.size() + text.size() + 1;
    std::array<char, kStackLineSize> stackLine;
    std::string heapLine;
    char* line = stackLine.data();
    if (size > stackLine.size())
    {
        heapLine.resize(size);
        line = heapLine.data();
    }
    std::copy(prefix.begin(), prefix.end(), line);
    std::copy(text.begin(), text.end(), line + prefix.size());
    line[size - 1] = '\n';
    outputStream().write(line, static_cast<std::streamsize>(size)).flush();
}

void appendLine(std::string* lines, std::string_view prefix, std::string_view text)
{
    lines->append(prefix).append(text).push_back('\n');
}

void printLines(std::string_view lines)
{
    if (!lines.empty())
        outputStream().write(lines.data(), static_cast<std::streamsize>(lines.size())).flush();
}

std::string toLiteral(const std::string& text)
{
    std::string result = "\"";
    for (const char c: text)
        appendEscaped(&result, static_cast<unsigned char>(c));
    result += '"';
    return result;
}

std::string toLiteral(const char* text)
{
    if (text == nullptr)
        return "null";
    return toLiteral(std::string(text));
}

std::string toPointerText(const void* pointer)
{
    if (pointer == nullptr)
        return "null";
    char text[32];
    std::snprintf(text, sizeof(text), "%p", pointer);
    return text;
}

std::string toStreamPointerText(const void* pointer)
{
    std::ostringstream text;
    text << pointer;
    return text.str();
}

std::string srcFilePrefix(const char* sourcePath)
{
    const std::string path = sourcePath ? sourcePath : "";
    PrefixCache& cache = prefixCache();
    const std::lock_guard<std::mutex> lock(cache.mutex);
    const auto found = cache.prefixes.find(path);
    if (found != cache.prefixes.end())
        return found->second;

    const auto separator = lastSeparator(path);
    std::string baseName = separator == std::string::npos ? path : path.substr(separator + 1);
    const auto dot = baseName.rfind('.');
    if (dot != std::string::npos)
        baseName.resize(dot);
    return cache.prefixes[path] = "[" + baseName + "] ";
}

void releasePrefixCache()
{
    PrefixCache& cache = prefixCache();
    const std::lock_guard<std::mutex> lock(cache.mutex);
    cache.prefixes.clear();
}

std::string relativeSrcFilename(const char* sourcePath)
{
    const std::string path = sourcePath ? sourcePath : "";
    const std::string marker = platform::kSrcTeshMarker;
    const auto markerPosition = path.find(marker);
    if (markerPosition != std::string::npos)
    {
        // Keep "tesh/...": drop everything up to and including the separator + "src" + separator.
        const auto srcDirLength = marker.size() - std::string("tesh").size() - 1;
        return path.substr(markerPosition + srcDirLength);
    }

    const std::string ownPath = __FILE__;
    std::string::size_type common = 0;
    while (common < path.size() && common < ownPath.size() && path[common] == ownPath[common])
        ++common;
    return path.substr(common);
}

void assertionFailed(
    const PrintFunc& printFunc, const char* conditionText, const std::string& message, const char* sourcePath, int line)
{
    printFunc("\n>>> ASSERTION FAILED: " + relativeSrcFilename(sourcePath) + ":" + std::to_string(line) + " ("
        + (conditionText ? conditionText : "") + ") " + message);
}

} // namespace tesh::kit::debug
