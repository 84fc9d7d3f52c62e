// A linear pre-scan of XML text that bounds how deeply rapidxml would recurse into it, so that a deeply nested
// document is refused before rapidxml's descent can exhaust the stack of the host's thread; on its way it notes what
// spares the parse work after rapidxml.
#pragma once

#include <cstddef>

namespace tesh::vms_server_plugins::analytics::qv {

struct MarkupScan
{
    /** The answer of the scan below; the other fields are only meaningful where it is true. */
    bool nestsWithin = false;
    /** A CDATA section appears, whose text the parse must take from rapidxml's CDATA nodes. */
    bool hasCData = false;
    /** A start tag after the first has an attribute whose name begins with "xmlns": it may declare a namespace. */
    bool declaresNamespacesBelowFirst = false;
};

/**
 * Follows the markup the way rapidxml reads it (element names, quoted attribute values, comments, CDATA sections,
 * processing instructions, other "<!" declarations) in one pass without recursion, and counts the levels of elements.
 * The text ends after `size` bytes or at its first zero byte, whichever comes first, as rapidxml stops at a zero.
 * @return In nestsWithin, whether no element lies deeper than maxDepth, the top one at 1, whether it closes itself or
 * not. Also false for markup that breaks off or breaks rapidxml's rules (rapidxml rejects such text too), and for a
 * document type declaration: rapidxml skips one by bracket rules of its own, the camera never sends one, and refusing
 * it keeps the scan from drifting out of step.
 */
MarkupScan scanMarkup(const char* text, std::size_t size, int maxDepth);

} // namespace tesh::vms_server_plugins::analytics::qv
