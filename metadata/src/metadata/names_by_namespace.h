// Element names as the metadata walk looks them up, whatever prefixes the writer of a document chose.
#pragma once

#include "markup_scan.h"
#include "rapidxml_forward.h"

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Renames every element of the ONVIF schema namespace to the prefix "tt:" and of the notification namespace to
 * "wsnt:", whichever prefix (or default namespace) the document declared for them, and the root spelling
 * "MetadataStream" to "MetaDataStream"; prefixes bound to no namespace keep their names, so "tt:" works undeclared.
 * An element whose text is a CDATA section gets it as its text, trimmed and condensed as rapidxml does plain text.
 * Texts are changed in place; new names live in the document's pool.
 * The scan of the text tells where no element but the first can declare a namespace and no CDATA section is found:
 * then only the top elements are looked at.
 */
void nameElementsByNamespace(rapidxml::xml_document<char>& xml, const MarkupScan& scan);

} // namespace tesh::vms_server_plugins::analytics::qv
