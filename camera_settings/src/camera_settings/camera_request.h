// One blocking HTTP GET against the camera's parameter interface, with digest authentication.
#pragma once

#include <cstddef>
#include <string>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * A camera on the local network accepts a connection within milliseconds; 3 s still lets a lost SYN be sent again
 * once (initial retransmission time-out 1 s, RFC 6298) before the camera counts as unreachable.
 */
constexpr long kCameraConnectTimeoutMs = 3000;

/**
 * A full read blocks the host's settings dialog until every reader returns, so one request may not hang: 5 s covers
 * the two exchanges of a digest request to a busy camera many times over, and matches the write hold-off.
 */
constexpr long kCameraRequestTimeoutMs = 5000;

/**
 * The longest answer the plug-in reads is a figure of a few dozen points, well under 1 KiB; a thousandfold margin,
 * and one full read (one request per setting at once) still holds a bounded amount of memory.
 */
constexpr std::size_t kMaxCameraAnswerBytes = 1024 * 1024;

/**
 * Requests one agent has under way at once while it reads the camera's configuration. Embedded cameras serve a
 * handful of connections at a time and refuse the rest, so a read of every setting at once would lose settings;
 * eight keeps a slow camera's read within a few round trips per setting.
 */
constexpr int kMaxCameraRequestsInFlight = 8;

struct CameraRequestLimits
{
    long connectTimeoutMs = kCameraConnectTimeoutMs;
    long requestTimeoutMs = kCameraRequestTimeoutMs; //< The whole request, digest challenge included.
    std::size_t maxAnswerBytes = kMaxCameraAnswerBytes; //< Of this answer's body; a longer one fails the request.
};

/** Why a request failed, as far as the settings dialog needs to know. */
enum class CameraRequestFailure
{
    none,
    notSent, //< Empty path, or libcurl could not be set up.
    unreachable, //< No connection could be made.
    timedOut, //< No connection or no whole answer within the limits.
    loginRefused, //< 401 after the digest exchange.
    noAnswer, //< The camera closed or reset the connection, or the transfer broke off.
    answerTooLong,
    errorStatus, //< An answer with a status other than 2xx: an error page, never a value.
    outOfTime, //< Not sent: the read it belonged to had run out of time.
};

/** One line in plain words for the host's settings dialog; it never holds the login or a digest field. */
const char* reasonOf(CameraRequestFailure failure);

/**
 * What one request came to: the camera's answer, or the kind of failure and its cause. Must be looked at: a
 * dropped outcome is a failure nobody hears of.
 */
struct [[nodiscard]] CameraRequestOutcome
{
    CameraRequestFailure failure = CameraRequestFailure::none;

    /** The cause of a failure in words, libcurl's where it has one, for a log; the dialog shows reasonOf(failure). */
    std::string reason;

    /** The HTTP status of the answer; 0 where the request failed before one was read. */
    long status = 0;

    /** The answer; after a failure, the part of it that had arrived, never more than the cap. */
    std::string body;

    /** Whether an answer arrived; which statuses count as one is the rule of sendCameraRequest(). */
    bool answered() const { return failure == CameraRequestFailure::none; }

    static CameraRequestOutcome failed(CameraRequestFailure failure, std::string reason);
};

/** reasonOf() the failure, with the HTTP status where the camera answered with an error status. */
std::string dialogReasonOf(const CameraRequestOutcome& outcome);

/**
 * One libcurl handle kept for many requests, so that its TCP connection and its digest nonce serve them all: after
 * the first challenge a request costs one exchange. Used by one thread at a time.
 */
class CameraConnection
{
public:
    CameraConnection();
    ~CameraConnection();
    CameraConnection(const CameraConnection&) = delete;
    CameraConnection& operator=(const CameraConnection&) = delete;

    /** As sendCameraRequest(), over this handle's connection where the camera kept it open. */
    CameraRequestOutcome send(const std::string& path,
        const std::string& user,
        const std::string& password,
        const std::string& cameraAddress,
        const CameraRequestLimits& limits);

private:
    void* m_handle = nullptr; //< A CURL easy handle; null where libcurl could not give one.
};

/**
 * GET "http://" + cameraAddress + "/httpapi/" + path with digest authentication, within the limits, over a handle of
 * its own; the path is sent as it is, so the caller encodes the values in it. Safe to call from many threads at once.
 * @return An answer when one arrived, within the limits, with a 2xx status. 401 is a refused login, any other
 *     status an error status (the body is the camera's error page). An empty path fails without any request.
 */
CameraRequestOutcome sendCameraRequest(const std::string& path,
    const std::string& user,
    const std::string& password,
    const std::string& cameraAddress,
    const CameraRequestLimits& limits = {});

} // namespace tesh::vms_server_plugins::analytics::qv
