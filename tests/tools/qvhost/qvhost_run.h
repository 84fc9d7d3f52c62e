// qvhost run as an integrator runs it, for the tests of its commands: exit status, packet lines, printed text.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace qvhost_test {

using Json = nlohmann::json;

struct QvhostRun
{
    int status = -1;
    std::vector<Json> packets;
    std::string printed;
    std::string messages;
};

/** A directory of this process's own, so that runs by other users or at the same time never share files. */
const std::string& runDirectory();

std::string readText(const std::string& path);

/**
 * A replay writes its packets to a file, the rest goes to the standard output; messages come from the standard
 * error; the plug-in's log goes to a file of its own. The files are named after the running test.
 */
QvhostRun runQvhost(const std::string& arguments);

} // namespace qvhost_test
