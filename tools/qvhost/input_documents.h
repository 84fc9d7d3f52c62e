// The camera metadata documents a replay pushes, read from files and directories.
#pragma once

#include <string>
#include <vector>

namespace qvhost {

struct InputDocument
{
    std::string source; //< The file it came from, for messages.
    std::string text;
};

/**
 * Every file named, and every regular file of every directory named, in name order; each file split into its
 * documents. Throws HostError for a path that cannot be read or input without any document.
 */
std::vector<InputDocument> readInputDocuments(const std::vector<std::string>& paths);

/**
 * A recording holds its documents one after another: each starts at an XML declaration, or, when there is none,
 * at the root element "tt:MetaDataStream". White space between documents belongs to none.
 */
std::vector<std::string> splitDocuments(const std::string& text);

struct DocumentShape
{
    /** Well-formed XML whose root is a metadata stream (either spelling, any prefix): the plug-in parses it. */
    bool readable = false;
    /** It holds objects or notifications: a readable one yields packets unless it is dropped. */
    bool hasContent = false;
};

/** Judged by the elements' names without their prefixes, as a host that does not know the plug-in sees it. */
DocumentShape shapeOf(const std::string& document);

} // namespace qvhost
