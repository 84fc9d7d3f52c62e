// Log lines, quoting of values and non-fatal assertion reports shared by the SDK layer.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tesh::kit::debug {

/** Writes the text of one statement; each module prepends its own prefix and ends the line. */
using PrintFunc = std::function<void(const std::string& text)>;

/** Writes prefix, text and an end of line to the standard error stream in one write, then flushes. */
void printLine(std::string_view prefix, std::string_view text);

/** Appends prefix, text and an end of line to a block of lines that printLines() writes. */
void appendLine(std::string* lines, std::string_view prefix, std::string_view text);

/**
 * Writes whole lines, each ended, to the standard error stream in one write, then flushes; nothing for none. For
 * lines that come in runs, such as one per packet of a pass: a write each would cost a call into the system each.
 */
void printLines(std::string_view lines);

/** Double-quoted and escaped so that any byte reads back unambiguously; null gives the letters null. */
std::string toLiteral(const char* text);
std::string toLiteral(const std::string& text);

/** The pointer as the C library's "%p" writes it; null gives the letters null. */
std::string toPointerText(const void* pointer);

/** The pointer as the standard output streams write it. */
std::string toStreamPointerText(const void* pointer);

/** "[" + base name of the source file without its extension + "] ", cached per path. */
std::string srcFilePrefix(const char* sourcePath);

/** Frees what srcFilePrefix cached, at the library's unload; a later call caches anew. */
void releasePrefixCache();

/** The source path shortened for reports: from "tesh/" of a ".../src/tesh/..." tree, else past the common root. */
std::string relativeSrcFilename(const char* sourcePath);

/** Builds the assertion report and hands it to printFunc; never aborts. */
void assertionFailed(const PrintFunc& printFunc,
    const char* conditionText,
    const std::string& message,
    const char* sourcePath,
    int line);

/**
 * Reports a failed check and lets the caller take its recovery path.
 * @return Whether the condition held.
 */
inline bool check(bool condition,
    const PrintFunc& printFunc,
    const char* conditionText,
    const std::string& message,
    const char* sourcePath,
    int line)
{
    if (!condition)
        assertionFailed(printFunc, conditionText, message, sourcePath, line);
    return condition;
}

} // namespace tesh::kit::debug

/** A non-fatal check whose report quotes the condition as written; evaluates to the condition. */
#define TESH_KIT_CHECK(PRINT_FUNC, CONDITION, MESSAGE) \
    ::tesh::kit::debug::check(static_cast<bool>(CONDITION), (PRINT_FUNC), #CONDITION, (MESSAGE), __FILE__, __LINE__)

/** The same check where the condition must be evaluated in a safer form than the text it reports. */
#define TESH_KIT_CHECK_AS(PRINT_FUNC, CONDITION, CONDITION_TEXT, MESSAGE) \
    ::tesh::kit::debug::check(                                            \
        static_cast<bool>(CONDITION), (PRINT_FUNC), (CONDITION_TEXT), (MESSAGE), __FILE__, __LINE__)
