// Reading one document of the camera's metadata stream into the fields that the object and event conversions use.
#pragma once

#include <cstddef>
#include <memory>

#include "metadata_document.h"
#include "rapidxml_forward.h"

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Real documents nest about 12 levels. rapidxml recurses once per level at about 140 B of stack, so 256 levels
 * take some 36 KiB, far below the stack of any thread the host parses on.
 */
constexpr int kMaxDocumentNesting = 256;

/** What the thread that parses has of a stack. */
enum class ParseStack
{
    unknown, //< The host's thread, of whatever stack the host gave it.
    deep, //< kDeepParseStackBytes or more.
};

/**
 * The largest text that a thread of ParseStack::deep lets rapidxml parse before the nesting is known. A text opens
 * at most one level per three bytes ("<a>"): 44k levels take some 6 MiB of stack at rapidxml's 140 B a level, and
 * kDeepParseStackBytes leaves five times that for builds that spend more a level (sanitizers, other compilers).
 */
constexpr std::size_t kUnscannedTextBytes = 128 * 1024;
constexpr std::size_t kDeepParseStackBytes = 32 * 1024 * 1024;

/**
 * Parses the zero-terminated text in place (it is modified), with rapidxml's white-space trimming and
 * normalisation of element text. Numbers read the way atoi and atof read them, but whatever the process's locale
 * is, and a decimal that is not finite as a 32-bit float reads as 0. Texts held in fixed-size fields are cut to
 * their limit without splitting a UTF-8 sequence.
 * Elements are known by namespace (see nameElementsByNamespace); objects and notifications beyond
 * kMaxObjectsPerDocument and kMaxEventsPerDocument are counted, not read.
 * @return Nothing for text that is not well-formed XML, that nests deeper than kMaxDocumentNesting, or whose top
 *     element is not the metadata stream, and for any failure on the way; never throws, logs nothing.
 */
std::unique_ptr<MetadataDocument> parseMetadataStream(char* text);

/**
 * The same for `length` bytes of text followed by a zero byte (a zero byte earlier ends the text there), with a
 * rapidxml document that the caller keeps across calls so that its node pool is reused. The document is cleared
 * before the parse and again after it, so it keeps no node that points into the text.
 * On a deep stack, a text of up to kUnscannedTextBytes without "<!" constructs (comments, CDATA, declarations) is
 * parsed at once and its nesting checked on the parsed elements: the pre-scan costs half a parse. Either way the
 * outcome is the same.
 */
std::unique_ptr<MetadataDocument> parseMetadataStream(
    char* text, std::size_t length, rapidxml::xml_document<char>& xml, ParseStack stack = ParseStack::unknown);

} // namespace tesh::vms_server_plugins::analytics::qv
