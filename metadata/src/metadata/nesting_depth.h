// A linear pre-scan of XML text that bounds how deeply rapidxml would recurse into it, so that a deeply nested
// document is refused before rapidxml's descent can exhaust the stack of the host's thread.
#pragma once

#include <cstddef>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Follows the markup the way rapidxml reads it (element names, quoted attribute values, comments, CDATA sections,
 * processing instructions, other "<!" declarations) in one pass without recursion, and counts the open elements.
 * The text ends after `size` bytes or at its first zero byte, whichever comes first, as rapidxml stops at a zero.
 * @return Whether no element opens deeper than maxDepth. Also false for markup that breaks off or breaks rapidxml's
 *     rules (rapidxml rejects such text too), and for a document type declaration: rapidxml skips one by bracket
 *     rules of its own, the camera never sends one, and refusing it keeps the scan from drifting out of step.
 */
bool nestingWithin(const char* text, std::size_t size, int maxDepth);

} // namespace tesh::vms_server_plugins::analytics::qv
