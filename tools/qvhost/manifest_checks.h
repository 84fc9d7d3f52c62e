// The checks `qvhost manifest` makes on the three manifests before an integrator relies on them.
#pragma once

#include <string>
#include <vector>

namespace qvhost {

struct Manifests
{
    std::string plugin;
    std::string engine;
    std::string deviceAgent;
};

/** One line per failed check; none when all hold. */
std::vector<std::string> manifestProblems(const Manifests& manifests);

} // namespace qvhost
