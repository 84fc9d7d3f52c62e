// What the operating system counts for this process, read from the kernel's own accounts (Linux).
#include "process_figures.h"

#include <sys/resource.h>

#include <fstream>
#include <string>

namespace tesh::bench {

namespace {

double secondsOf(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

/** A "Name:   value" line of /proc/self/status, as a number (kB for memory), or 0. */
int64_t statusField(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
    {
        if (line.compare(0, name.size() + 1, name + ":") == 0)
            return std::stoll(line.substr(name.size() + 1));
    }
    return 0;
}

} // namespace

ProcessFigures processFigures()
{
    ProcessFigures figures;
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) == 0)
        figures.processorSeconds = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
    figures.threads = static_cast<int>(statusField("Threads"));
    figures.residentBytes = statusField("VmRSS") * 1024;
    return figures;
}

} // namespace tesh::bench
