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

/** The number after "Name:" on a line of /proc/self/status (kB for memory), if the line is that field's. */
bool readField(const std::string& line, const std::string& name, int64_t* value)
{
    if (line.compare(0, name.size() + 1, name + ":") != 0)
        return false;
    *value = std::stoll(line.substr(name.size() + 1));
    return true;
}

} // namespace

ProcessFigures processFigures()
{
    ProcessFigures figures;
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) == 0)
        figures.processorSeconds = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
    // One read of the status file for both fields, so that they describe the same moment.
    std::ifstream status("/proc/self/status");
    int64_t threads = 0;
    int64_t residentKiB = 0;
    for (std::string line; std::getline(status, line);)
    {
        if (!readField(line, "Threads", &threads))
            readField(line, "VmRSS", &residentKiB);
    }
    figures.threads = static_cast<int>(threads);
    figures.residentBytes = residentKiB * 1024;
    return figures;
}

} // namespace tesh::bench
