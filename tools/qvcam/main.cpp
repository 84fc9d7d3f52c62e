// qvcam: runs a simulated camera parameter interface until SIGINT or SIGTERM.
#include <pthread.h>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "camera_simulator.h"

namespace {

/** A command line the program cannot run with: one line on the standard error. */
constexpr int kExitBadUse = 2;

/** The options given as texts (per parameter, or a mode), taken apart once the command line is read. */
struct OptionTexts
{
    std::vector<std::string> statuses;
    std::vector<std::string> writeStatuses;
    std::vector<std::string> refusedWrites;
    std::string surplus = qvcam::surplusConnectionsName(qvcam::SurplusConnections::reset);
};

/** Non-negative and at most the maximum, checked on the text so that "-1" never wraps to a huge size. */
CLI::Validator upTo(long long maximum)
{
    return CLI::Range(0LL, maximum);
}

void addServiceOptions(CLI::App* app, qvcam::CameraSimulatorOptions* options)
{
    app->add_option("--address", options->address, "IPv4 loopback address (127.0.0.0/8) to listen on")
        ->capture_default_str();
    app->add_option("--port", options->port, "TCP port; 0 picks a free one")
        ->capture_default_str()
        ->check(CLI::Range(0, 65535));
    app->add_option("--user", options->user, "digest user name")->capture_default_str();
    app->add_option("--password", options->password, "digest password")->capture_default_str();
    app->add_option("--parameters", options->parametersFile, "JSON object NAME -> VALUE overriding the factory values")
        ->check(CLI::ExistingFile);
    app->add_option("--log", options->logFile,
        "append one JSON line per HTTP exchange (challenges included) to this file, with its status and the number "
        "of its connection");
    app->add_option("--delay-ms", options->answerDelayMs, "wait this long before every answer, challenges included")
        ->capture_default_str()
        ->check(upTo(qvcam::kMaxDelayMs));
    app->add_option("--write-delay-ms", options->writeDelayMs,
           "wait this long more before storing and answering an authenticated write (saving to flash)")
        ->capture_default_str()
        ->check(upTo(qvcam::kMaxDelayMs));
    app->add_option("--nonce-lifetime-s", options->nonceLifetimeS,
           "answer a digest nonce older than this with 401 and stale=true (a fresh nonce)")
        ->capture_default_str()
        ->check(CLI::Range(1, qvcam::kMaxSeconds));
}

void addConnectionOptions(CLI::App* app, qvcam::CameraSimulatorOptions* options, OptionTexts* texts)
{
    app->add_option("--max-connections", options->maxConnections,
           "serve at most this many connections at once, the others as --surplus says; 0: no cap")
        ->capture_default_str()
        ->check(upTo(qvcam::kMaxConnections));
    app->add_option("--surplus", texts->surplus,
           "a connection beyond --max-connections: reset (RST as soon as it is accepted) or close (closed without an "
           "answer once its request is read)")
        ->capture_default_str()
        ->check(CLI::IsMember({"reset", "close"}));
    app->add_option("--keep-alive-requests", options->keepAliveRequests,
           "close a connection after this many answers, challenges included, the last one saying Connection: close; "
           "0: never")
        ->capture_default_str()
        ->check(upTo(qvcam::kMaxKeepAliveRequests));
    app->add_option("--keep-alive-idle-s", options->keepAliveIdleS, "close a connection idle for this many seconds")
        ->capture_default_str()
        ->check(CLI::Range(1, qvcam::kMaxSeconds));
}

void addFaultOptions(CLI::App* app, qvcam::CameraSimulatorOptions* options, OptionTexts* texts)
{
    const std::string statuses = qvcam::offeredErrorStatuses();
    app->add_option("--status", texts->statuses,
        "NAME=CODE: answer every request for parameter NAME with HTTP status CODE (" + statuses
            + ") and an HTML error page; repeatable");
    app->add_option("--write-status", texts->writeStatuses,
        "NAME=CODE: the same for writes of NAME only, its reads answered as usual; repeatable");
    app->add_option("--refuse-write", texts->refusedWrites,
        "NAME: answer every write of parameter NAME with Error and keep its value; repeatable");
    app->add_option("--garbage-share", options->garbageShare, "share of authenticated requests answered with garbage")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 1.0));
    app->add_option("--drop-share", options->dropShare, "share of authenticated requests closed without an answer")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 1.0));
    app->add_option("--seed", options->seed, "seed of the fault draws")->capture_default_str();
    app->add_option("--answer-padding", options->answerPadding, "bytes added to the last line of every answer")
        ->capture_default_str()
        ->check(upTo(static_cast<long long>(qvcam::kMaxAnswerPadding)));
    app->add_option("--trailing-blanks", options->trailingBlanks,
           "end every NAME=VALUE line with this many spaces and tabs before its line end")
        ->capture_default_str()
        ->check(upTo(static_cast<long long>(qvcam::kMaxTrailingBlanks)));
    app->add_flag("--multi-line", options->multiLineAnswers,
        "answer a read with the NAME=VALUE lines of the parameters named just before and after it as well");
    app->add_flag("--never-answer", options->neverAnswer, "accept requests and never answer them");
    app->add_flag("--refuse-login", options->refuseLogin, "answer every request with 401");
}

/** "NAME=CODE", CODE in decimal; the name and status themselves are checked with the other options. */
bool parseParameterStatus(const std::string& text, bool writesOnly, qvcam::ParameterStatus* status)
{
    const size_t equals = text.rfind('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()
        || text.find_first_not_of("0123456789", equals + 1) != std::string::npos || text.size() - equals > 4)
    {
        return false;
    }
    *status = {text.substr(0, equals), std::stoi(text.substr(equals + 1)), writesOnly};
    return true;
}

bool takeOptionTexts(const OptionTexts& texts, qvcam::CameraSimulatorOptions* options, std::string* errorMessage)
{
    const std::pair<const std::vector<std::string>*, bool> lists[]
        = {{&texts.statuses, false}, {&texts.writeStatuses, true}};
    for (const auto& [list, writesOnly]: lists)
    {
        for (const std::string& text: *list)
        {
            qvcam::ParameterStatus status;
            if (!parseParameterStatus(text, writesOnly, &status))
            {
                *errorMessage = (writesOnly ? "--write-status" : "--status") + std::string(": not NAME=CODE: ") + text;
                return false;
            }
            options->parameterFaults.statuses.push_back(status);
        }
    }
    options->parameterFaults.refusedWrites = texts.refusedWrites;
    qvcam::parseSurplusConnections(texts.surplus, &options->surplusConnections);
    return qvcam::validateOptions(*options, errorMessage);
}

/** CLI11's messages may span lines; a bad command line is told in one. */
std::string oneLine(std::string text)
{
    for (char& c: text)
    {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

/** Blocked in every thread (the server's threads inherit the mask), then taken with sigwait. */
sigset_t stopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{
        "Simulated camera parameter interface (ReadParam/WriteParam with digest authentication). "
        "Connections are kept open for further requests."};
    qvcam::CameraSimulatorOptions options;
    OptionTexts texts;
    addServiceOptions(&app, &options);
    addConnectionOptions(&app, &options, &texts);
    addFaultOptions(&app, &options, &texts);
    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::Success& success)
    {
        return app.exit(success);
    }
    catch (const CLI::ParseError& error)
    {
        std::cerr << "qvcam: " << oneLine(error.what()) << std::endl;
        return kExitBadUse;
    }
    std::string errorMessage;
    if (!takeOptionTexts(texts, &options, &errorMessage))
    {
        std::cerr << "qvcam: " << errorMessage << std::endl;
        return kExitBadUse;
    }

    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    qvcam::CameraSimulator camera(options);
    if (!camera.start(&errorMessage))
    {
        std::cerr << "qvcam: " << errorMessage << std::endl;
        return 1;
    }
    const nlohmann::json listening = {
        {"listening", "http://" + options.address + ":" + std::to_string(camera.port()) + "/httpapi/"},
        {"address", options.address},
        {"port", camera.port()},
        {"user", options.user},
    };
    std::cout << listening.dump() << std::endl;

    int signal = 0;
    sigwait(&signals, &signal);
    camera.stop();
    return 0;
}
