// qvcam: runs a simulated camera parameter interface until SIGINT or SIGTERM.
#include <pthread.h>
#include <csignal>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "camera_simulator.h"

namespace {

void addOptions(CLI::App* app, qvcam::CameraSimulatorOptions* options)
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
    app->add_option("--log", options->logFile, "append one JSON line per served request to this file");
    app->add_option("--delay-ms", options->answerDelayMs, "wait this long before every answer")
        ->capture_default_str()
        ->check(CLI::NonNegativeNumber);
    app->add_option("--garbage-share", options->garbageShare, "share of authenticated requests answered with garbage")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 1.0));
    app->add_option("--drop-share", options->dropShare, "share of authenticated requests closed without an answer")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 1.0));
    app->add_option("--seed", options->seed, "seed of the fault draws")->capture_default_str();
    app->add_option("--answer-padding", options->answerPadding, "bytes added to the last line of every answer")
        ->capture_default_str();
    app->add_flag("--never-answer", options->neverAnswer, "accept requests and never answer them");
    app->add_flag("--refuse-login", options->refuseLogin, "answer every request with 401");
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
    CLI::App app{"Simulated camera parameter interface (ReadParam/WriteParam with digest authentication)."};
    qvcam::CameraSimulatorOptions options;
    addOptions(&app, &options);
    CLI11_PARSE(app, argc, argv);

    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    qvcam::CameraSimulator camera(options);
    std::string errorMessage;
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
