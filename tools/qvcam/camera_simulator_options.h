// What the simulated camera is told at start: where it listens, whom it lets in, and the ways in which it
// behaves like the less polite cameras in the field. Checked as a whole before the camera starts.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "digest_authentication.h"
#include "fault_plan.h"

namespace qvcam {

/** What a connection beyond CameraSimulatorOptions::maxConnections gets. */
enum class SurplusConnections
{
    reset, //< Reset (RST) as soon as it is accepted, before its request is read.
    close, //< Accepted, its request read, then closed without an answer (FIN).
};

const char* surplusConnectionsName(SurplusConnections mode);

/** "reset" or "close"; false for any other text. */
bool parseSurplusConnections(const std::string& text, SurplusConnections* mode);

/** A connection idle this long is closed; what the camera did before it learnt keep-alive. */
constexpr int kDefaultIdleTimeoutS = 30;

struct CameraSimulatorOptions
{
    std::string address = "127.0.0.1"; //< A loopback address (127.0.0.0/8); others are refused.
    int port = 80; //< 0 picks a free port; see CameraSimulator::port().
    std::string user = "admin";
    std::string password = "admin";
    std::string parametersFile; //< Optional JSON object NAME -> VALUE overriding the factory values.
    std::string logFile; //< Optional: JSON lines of served requests are also appended here.
    /** Before every answer, digest challenges included: a fresh digest request waits twice. */
    int answerDelayMs = 0;
    /** After answerDelayMs, before an authenticated write is stored and answered: saving to flash. */
    int writeDelayMs = 0;
    /** Share 0..1 of authenticated requests answered with garbage (status 200, no "="). */
    double garbageShare = 0;
    /**
     * Share 0..1 of authenticated requests whose connection is closed without an answer. A client that
     * reused the connection may send the request again on a new one, as libcurl does once.
     */
    double dropShare = 0;
    bool neverAnswer = false; //< Accept every request, then never answer it (until stop()).
    bool refuseLogin = false; //< Every request gets 401 with a digest challenge, whatever the credentials.
    /** Extra bytes ("x") lengthening the last line of every answer body: an over-long value. */
    size_t answerPadding = 0;
    unsigned seed = 1; //< For the fault shares, so that runs repeat.

    /** Connections served at once; 0 for no cap. Connections beyond it get surplusConnections. */
    int maxConnections = 0;
    SurplusConnections surplusConnections = SurplusConnections::reset;
    /**
     * Answers per connection, challenges included; the last one carries "Connection: close" and the
     * camera closes the connection after it. 0 keeps a connection for as many requests as the client sends.
     */
    int keepAliveRequests = 0;
    int keepAliveIdleS = kDefaultIdleTimeoutS; //< A connection without traffic this long is closed.
    /** A nonce older than this is answered 401 with stale=true and a fresh nonce. */
    int nonceLifetimeS = static_cast<int>(kDefaultNonceLifetime.count());

    /** Per parameter: an HTTP error status with an HTML page, or "Error" to every write (ParameterFaults). */
    ParameterFaults parameterFaults;
    /** Spaces and tabs between every value and its line end in read answers. */
    size_t trailingBlanks = 0;
    /** A read is answered with the lines of the parameters named just before and after it as well. */
    bool multiLineAnswers = false;
};

/** Largest answerPadding: above the plug-in's 1 MiB answer cap, small enough to build in memory at once. */
constexpr size_t kMaxAnswerPadding = 16 * 1024 * 1024;
/**
 * The connections the camera's HTTP library handles at once, one thread each: 337 for a full read with a
 * fresh connection per setting, with room for several clients on one camera.
 */
constexpr int kMaxConnections = 1024;
/** Longest delay, idle time-out and nonce lifetime: a day; a longer one is a typing mistake. */
constexpr int kMaxDelayMs = 24 * 3600 * 1000;
constexpr int kMaxSeconds = 24 * 3600;
/** Far more requests than a test or a day of a client's reads sends over one connection. */
constexpr int kMaxKeepAliveRequests = 1000 * 1000;
/** More blanks than any firmware leaves; a value line stays far below the plug-in's answer cap. */
constexpr size_t kMaxTrailingBlanks = 1024;

/** False with one line saying which option is wrong and why. */
bool validateOptions(const CameraSimulatorOptions& options, std::string* errorMessage);

/** Names the camera knows and statuses it offers; false with one line saying which is wrong. */
bool validateParameterFaults(const ParameterFaults& faults, std::string* errorMessage);

} // namespace qvcam
