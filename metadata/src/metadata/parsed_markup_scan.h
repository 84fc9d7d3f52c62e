// What the pre-scan of a text tells, read instead from the elements rapidxml has made of it: for a parse that ran
// first, on a stack deep enough for any nesting the text can hold.
#pragma once

#include "markup_scan.h"
#include "rapidxml_forward.h"

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Walks the elements without recursion. For a document parsed without CDATA sections.
 * @return In nestsWithin, whether no element lies deeper than maxDepth, as scanMarkup counts them; in
 *     declaresNamespacesBelowFirst, whether an element after the first has an attribute whose name begins with
 *     "xmlns".
 */
MarkupScan scanParsedMarkup(const rapidxml::xml_document<char>& xml, int maxDepth);

} // namespace tesh::vms_server_plugins::analytics::qv
