// A host process that ends while the plug-in is busy, run again and again: it must always exit cleanly.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

constexpr int kRuns = 40;

std::string tail(const std::string& path, std::size_t bytes)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    const std::string all = text.str();
    return all.size() > bytes ? all.substr(all.size() - bytes) : all;
}

TEST(BusyExit, hostReturningFromMainWhileAThreadPushesToHeldAgentsExitsCleanly)
{
    // Of this process alone: other users and other builds run the same test on the same machine.
    const std::string log = testing::TempDir() + "busy_exit_host." + std::to_string(getpid()) + ".log";
    for (int run = 0; run < kRuns; ++run)
    {
        // The held agents are never freed, on purpose: leak checking would count them.
        const std::string command = std::string("ASAN_OPTIONS=detect_leaks=0 ") + QV_BUSY_EXIT_HOST + " "
            + std::to_string(run % 20) + " > /dev/null 2> " + log;
        const int status = std::system(command.c_str());
        ASSERT_EQ(status, 0) << "run " << run << " (" << run % 20 << " ms), end of its error output:\n"
                             << tail(log, 2000);
    }
    std::remove(log.c_str());
}

} // namespace
