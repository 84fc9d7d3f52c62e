// The replay's report: one self-contained HTML page of what the plug-in handed the host, to open offline or
// attach to a ticket.
#pragma once

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "replay_record.h"

namespace qvhost {

struct ReportInput
{
    std::vector<std::pair<std::string, std::string>> camera; //< What the host told the plug-in, label and value.
    std::vector<std::string> inputs; //< The files and directories replayed.
    ReplaySummary summary;
    std::vector<DocumentRecord> documents; //< With their packets.
};

/** HTML that is also well-formed XML: inline CSS, SVG and one script; nothing is fetched. */
std::string reportPage(const ReportInput& input);

/** The page's file, opened at once so that a path that cannot be written ends a replay before it starts. */
class ReportFile
{
public:
    /** Throws HostError when the file cannot be written. */
    explicit ReportFile(const std::string& path);

    /** Throws HostError when the page could not be written whole. @return The page's size in bytes. */
    size_t write(const ReportInput& input);

private:
    std::string m_path;
    std::ofstream m_file;
};

} // namespace qvhost
