// Running qvhost in a shell with its outputs in files of the running test.
#include "qvhost_run.h"

#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

namespace qvhost_test {

const std::string& runDirectory()
{
    static const std::string directory = [] {
        std::string pattern = testing::TempDir() + "qvhost_test.XXXXXX";
        return mkdtemp(pattern.data()) ? pattern + "/" : testing::TempDir();
    }();
    return directory;
}

std::string readText(const std::string& path)
{
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

QvhostRun runQvhost(const std::string& arguments)
{
    const std::string& dir = runDirectory();
    const std::string name = dir + testing::UnitTest::GetInstance()->current_test_info()->name();
    std::remove((name + ".jsonl").c_str());
    const std::string output = arguments.rfind("replay", 0) == 0 ? " --output " + name + ".jsonl" : "";
    const std::string command = std::string(QVHOST_PROGRAM) + " " + arguments + " --plugin-log " + name + ".log"
        + output + " > " + name + ".stdout 2> " + name + ".stderr";
    QvhostRun run;
    const int status = std::system(command.c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream lines(name + ".jsonl");
    for (std::string line; std::getline(lines, line);)
        run.packets.push_back(Json::parse(line, nullptr, false));
    run.printed = readText(name + ".stdout");
    run.messages = readText(name + ".stderr");
    return run;
}

} // namespace qvhost_test
