// The qvcam program: its announcement line, its service and its clean stop on SIGTERM.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "camera_client.h"

extern char** environ;

namespace qvcam::test {
namespace {

constexpr int kLoopbackHost = 34;

/** The program with its standard output and error on one pipe. */
class Program
{
public:
    explicit Program(std::vector<std::string> arguments)
    {
        int pipeEnds[2];
        if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
        arguments.insert(arguments.begin(), QVCAM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& argument: arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, QVCAM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
        m_output = pipeEnds[0];
    }

    ~Program()
    {
        if (m_pid > 0)
        {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_output >= 0)
            ::close(m_output);
    }

    bool running() const { return m_pid > 0; }

    /** One line of output without its line end; empty text when none comes in time. */
    std::string readLine(int timeoutMs)
    {
        std::string line;
        char c = 0;
        while (readByte(timeoutMs, &c) && c != '\n')
            line += c;
        return line;
    }

    /** Everything up to the end of the output. */
    std::string readAll(int timeoutMs)
    {
        std::string text;
        char c = 0;
        while (readByte(timeoutMs, &c))
            text += c;
        return text;
    }

    /** The exit status, or -1 when the program is still running after the time-out. */
    int waitForExit(int timeoutMs)
    {
        for (int waited = 0; waited <= timeoutMs; waited += 10)
        {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid)
            {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

    void signal(int number) { ::kill(m_pid, number); }

private:
    bool readByte(int timeoutMs, char* c)
    {
        pollfd wait{m_output, POLLIN, 0};
        return ::poll(&wait, 1, timeoutMs) > 0 && ::read(m_output, c, 1) == 1;
    }

    pid_t m_pid = -1;
    int m_output = -1;
};

TEST(QvcamProgram, helpListsEveryOption)
{
    Program program({"--help"});
    ASSERT_TRUE(program.running());
    const std::string help = program.readAll(5000);
    EXPECT_EQ(program.waitForExit(5000), 0);
    for (const char* option:
        {"--address", "--port", "--user", "--password", "--parameters", "--log", "--delay-ms", "--garbage-share",
            "--drop-share", "--never-answer", "--refuse-login", "--seed", "--answer-padding", "--write-delay-ms",
            "--nonce-lifetime-s", "--max-connections", "--surplus", "--keep-alive-requests", "--keep-alive-idle-s",
            "--status", "--write-status", "--refuse-write", "--trailing-blanks", "--multi-line"})
    {
        EXPECT_NE(help.find(option), std::string::npos) << option << " missing from:\n" << help;
    }
}

TEST(QvcamProgram, badOptionValueIsOneLineAndExitStatusTwo)
{
    struct Row
    {
        std::vector<std::string> arguments;
        const char* reason;
    };
    const Row rows[] = {
        {{"--answer-padding", "-1"}, "once wrapped to the largest size, it killed the camera at its first request"},
        {{"--answer-padding", "16777217"}, "more than the camera builds in memory"},
        {{"--delay-ms", "-5"}, "a negative delay"},
        {{"--max-connections", "1025"}, "more than the camera's HTTP library is asked to handle"},
        {{"--surplus", "drop"}, "neither reset nor close"},
        {{"--keep-alive-idle-s", "0"}, "a connection closed before it is used"},
        {{"--nonce-lifetime-s", "0"}, "every nonce stale at once"},
        {{"--trailing-blanks", "-3"}, "a negative count"},
        {{"--status", "AIX_CAR_SENSITIVTY=404"}, "a misspelt parameter"},
        {{"--status", "AIX_CAR_SENSITIVITY=200"}, "not an error status"},
        {{"--status", "AIX_CAR_SENSITIVITY"}, "no status"},
        {{"--write-status", "AIX_CAR_SENSITIVITY=5OO"}, "a status that is no number"},
        {{"--refuse-write", "AIX_NO_SUCH_PARAMETER"}, "an unknown parameter"},
        {{"--no-such-option"}, "an unknown option"},
    };
    for (const Row& row: rows)
    {
        Program program(row.arguments);
        ASSERT_TRUE(program.running());
        const std::string output = program.readAll(5000);
        EXPECT_EQ(program.waitForExit(5000), 2) << row.reason;
        EXPECT_EQ(output.rfind("qvcam: ", 0), 0U) << row.reason << ": " << output;
        EXPECT_EQ(output.find('\n'), output.size() - 1) << row.reason << ": one line, not:\n" << output;
    }
}

TEST(QvcamProgram, announcesWhereItListensServesAndStopsOnSigterm)
{
    const std::string address = loopbackAddressForTest(kLoopbackHost);
    const std::string logPath = ::testing::TempDir() + "qvcam_program_" + std::to_string(::getpid()) + ".jsonl";
    std::remove(logPath.c_str());
    Program program(
        {"--address", address, "--port", "80", "--user", kTestUser, "--password", kTestPassword, "--log", logPath});
    ASSERT_TRUE(program.running());
    const std::string announcement = program.readLine(5000);
    if (announcement.find(std::strerror(EACCES)) != std::string::npos)
        GTEST_SKIP() << "port 80 is not permitted here (run under tools/in-netns.sh): " << announcement;

    const nlohmann::json listening = nlohmann::json::parse(announcement, nullptr, false);
    ASSERT_TRUE(listening.is_object()) << announcement;
    EXPECT_EQ(listening.value("address", ""), address);
    EXPECT_EQ(listening.value("port", 0), 80);
    EXPECT_EQ(listening.value("listening", ""), "http://" + address + ":80/httpapi/");

    const HttpAnswer answer = httpGet(address, readPath("AIX_OBJECT_DETECTION_ENABLE"));
    EXPECT_EQ(answer.body, "AIX_OBJECT_DETECTION_ENABLE=1\r\n");

    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(5000), 0);
    std::ifstream log(logPath);
    std::string line;
    int lines = 0;
    while (std::getline(log, line))
        lines += nlohmann::json::parse(line, nullptr, false).is_object();
    EXPECT_EQ(lines, 2) << "the challenge and the answer";
    std::remove(logPath.c_str());
}

} // namespace
} // namespace qvcam::test
