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

/** Whether the document holds objects or notifications: one that does yields packets unless it is dropped. */
bool hasContent(const std::string& document);

} // namespace qvhost
