// What every qvhost command shares: where the library is, where messages go and how a session ends.
#pragma once

#include <cstdio>
#include <string>

#include "plugin_session.h"

namespace qvhost {

struct CommonOptions
{
    std::string library = QVHOST_DEFAULT_LIBRARY;
    std::string pluginLog;
};

/** Where qvhost's own messages go: the standard error, or what it was before the plug-in's log took it. */
std::FILE* hostMessages();

/** Moves the plug-in's log aside when asked to. Throws HostError when the log file cannot be written. */
std::FILE* messageStream(const CommonOptions& options);

/** Releases what the session obtained and reports the plug-in's leaks. @return 0 or kLeaked. */
int endSession(PluginSession& session, std::FILE* messages);

} // namespace qvhost
