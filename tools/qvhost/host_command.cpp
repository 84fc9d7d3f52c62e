// The parts of a qvhost command that do not depend on what it drives.
#include "host_command.h"

#include "host_error.h"
#include "platform.h"

namespace qvhost {
namespace {

std::FILE* gMessages = stderr;

} // namespace

std::FILE* hostMessages()
{
    return gMessages;
}

std::FILE* messageStream(const CommonOptions& options)
{
    if (options.pluginLog.empty())
        return gMessages;
    std::string error;
    std::FILE* const stream = platform::redirectStandardError(options.pluginLog, &error);
    if (!stream)
        throw HostError(kBadUse, error);
    std::setvbuf(stream, nullptr, _IOLBF, 0);
    gMessages = stream;
    return gMessages;
}

int endSession(PluginSession& session, std::FILE* messages)
{
    session.release();
    const int leaks = session.reportLeaks(messages);
    if (leaks > 0)
    {
        std::fprintf(messages, "qvhost: %d of the plug-in's %d object(s) were never destroyed\n", leaks,
            session.createdObjectCount());
    }
    return leaks > 0 ? kLeaked : 0;
}

} // namespace qvhost
