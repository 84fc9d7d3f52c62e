// What the operating system counts for this process: processor time, threads, resident memory.
#pragma once

#include <cstdint>

namespace tesh::bench {

struct ProcessFigures
{
    double processorSeconds = 0; //< User and system time of every thread so far.
    int threads = 0;
    int64_t residentBytes = 0;
};

/** Read from the kernel's own accounts; zeros for what it would not tell. */
ProcessFigures processFigures();

} // namespace tesh::bench
