// One blocking HTTP GET against the camera's parameter interface, with digest authentication.
#include "camera_request.h"

#include <memory>
#include <mutex>
#include <new>
#include <utility>

#include <curl/curl.h>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

/** The status with which the camera refuses the login even after the digest exchange (RFC 9110). */
constexpr long kHttpUnauthorized = 401;

/** Success statuses are 200 to 299 (RFC 9110); everything else is an error page, whatever its body holds. */
bool isSuccessStatus(long status)
{
    return status >= 200 && status <= 299;
}

CameraRequestOutcome failedWithCurl(CameraRequestFailure failure, const std::string& call, CURLcode code)
{
    return CameraRequestOutcome::failed(failure, call + ": " + curl_easy_strerror(code));
}

/** Keeps what had arrived of the answer, and its status where one was read. */
CameraRequestOutcome failedAfterSending(CameraRequestOutcome outcome, CameraRequestFailure failure, std::string reason)
{
    outcome.failure = failure;
    outcome.reason = std::move(reason);
    return outcome;
}

CameraRequestFailure failureOf(CURLcode code)
{
    switch (code)
    {
        case CURLE_COULDNT_CONNECT:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_URL_MALFORMAT: return CameraRequestFailure::unreachable;
        case CURLE_OPERATION_TIMEDOUT: return CameraRequestFailure::timedOut;
        default: return CameraRequestFailure::noAnswer;
    }
}

/**
 * libcurl is initialised on the first request and never cleaned up. Bracketing every request with
 * curl_global_init/curl_global_cleanup, as one could, tears the library's global state down and builds it up again
 * whenever the number of requests under way drops to zero, and it is only safe from many threads where
 * curl_version_info reports CURL_VERSION_THREADSAFE (7.84.0 on). Initialising once under our own lock is safe with
 * any libcurl as far as our threads go; never cleaning up lets detached writer threads still finish their requests
 * while the process exits, and leaves the library's counter to any other user in the host process.
 */
CURLcode ensureCurlInitialised()
{
    struct GlobalState
    {
        std::mutex mutex;
        bool initialised = false;
    };
    static GlobalState* const state = new GlobalState(); //< Never destroyed, for the late threads above.

    const std::lock_guard<std::mutex> lock(state->mutex);
    if (state->initialised)
        return CURLE_OK;
    // A failure (out of memory, the TLS library) is not remembered: the next request tries again.
    const CURLcode code = curl_global_init(CURL_GLOBAL_ALL);
    state->initialised = code == CURLE_OK;
    return code;
}

struct AnswerSink
{
    std::string* body = nullptr;
    std::size_t received = 0;
    std::size_t maxBytes = 0;
    bool tooLong = false;
};

/** Appends to the outcome's body; returning less than it was given makes libcurl abort with CURLE_WRITE_ERROR. */
size_t appendAnswer(char* data, size_t size, size_t count, void* userData) noexcept
{
    auto* const sink = static_cast<AnswerSink*>(userData);
    const size_t bytes = size * count;
    if (bytes > sink->maxBytes - sink->received)
    {
        sink->tooLong = true;
        return 0;
    }
    try
    {
        sink->body->append(data, bytes);
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
    sink->received += bytes;
    return bytes;
}

template<typename Value>
bool setOption(CURL* handle, CURLoption option, const char* optionName, Value value, std::string* reason)
{
    const CURLcode code = curl_easy_setopt(handle, option, value);
    if (code == CURLE_OK)
        return true;
    *reason = std::string("curl_easy_setopt(") + optionName + "): " + curl_easy_strerror(code);
    return false;
}

bool setOptions(CURL* handle,
    const std::string& url,
    const std::string& user,
    const std::string& password,
    const CameraRequestLimits& limits,
    AnswerSink* sink,
    std::string* reason)
{
    const curl_write_callback writeCallback = &appendAnswer;
    return setOption(handle, CURLOPT_URL, "CURLOPT_URL", url.c_str(), reason)
        // The camera's interface takes digest only; offering nothing else also keeps the password from ever
        // going out in the clear as Basic authentication would send it.
        && setOption(handle, CURLOPT_HTTPAUTH, "CURLOPT_HTTPAUTH", static_cast<long>(CURLAUTH_DIGEST), reason)
        // Given apart from the URL, so that any character in them needs no escaping.
        && setOption(handle, CURLOPT_USERNAME, "CURLOPT_USERNAME", user.c_str(), reason)
        && setOption(handle, CURLOPT_PASSWORD, "CURLOPT_PASSWORD", password.c_str(), reason)
        // The answer goes to the outcome's body through the size cap.
        && setOption(handle, CURLOPT_WRITEFUNCTION, "CURLOPT_WRITEFUNCTION", writeCallback, reason)
        && setOption(handle, CURLOPT_WRITEDATA, "CURLOPT_WRITEDATA", static_cast<void*>(sink), reason)
        // Many threads send requests at once: libcurl may not use signals (its thread-safety rules), which it
        // would otherwise do to time out a name look-up.
        && setOption(handle, CURLOPT_NOSIGNAL, "CURLOPT_NOSIGNAL", 1L, reason)
        // libcurl waits 300 s for a connection and forever for an answer unless told otherwise.
        && setOption(handle, CURLOPT_CONNECTTIMEOUT_MS, "CURLOPT_CONNECTTIMEOUT_MS", limits.connectTimeoutMs, reason)
        && setOption(handle, CURLOPT_TIMEOUT_MS, "CURLOPT_TIMEOUT_MS", limits.requestTimeoutMs, reason)
        // The camera is reached directly; an empty text also keeps libcurl from taking a proxy from the host
        // process's environment, which would route the camera's login through a third machine.
        && setOption(handle, CURLOPT_PROXY, "CURLOPT_PROXY", "", reason);
}

/** A finished transfer: the answer with its status, or the failure it ran into with what had arrived of it. */
CameraRequestOutcome judgeTransfer(CURL* handle, CURLcode code, const AnswerSink& sink, CameraRequestOutcome outcome)
{
    if (sink.tooLong)
    {
        return failedAfterSending(std::move(outcome), CameraRequestFailure::answerTooLong,
            "answer longer than " + std::to_string(sink.maxBytes) + " bytes");
    }
    if (code != CURLE_OK)
    {
        return failedAfterSending(
            std::move(outcome), failureOf(code), std::string("curl_easy_perform: ") + curl_easy_strerror(code));
    }
    const CURLcode infoCode = curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &outcome.status);
    if (infoCode != CURLE_OK)
    {
        return failedAfterSending(std::move(outcome), CameraRequestFailure::notSent,
            std::string("curl_easy_getinfo(CURLINFO_RESPONSE_CODE): ") + curl_easy_strerror(infoCode));
    }
    if (outcome.status == kHttpUnauthorized)
    {
        std::string reason = "login refused: HTTP status " + std::to_string(outcome.status);
        return failedAfterSending(std::move(outcome), CameraRequestFailure::loginRefused, std::move(reason));
    }
    if (!isSuccessStatus(outcome.status))
    {
        std::string reason = "HTTP status " + std::to_string(outcome.status);
        return failedAfterSending(std::move(outcome), CameraRequestFailure::errorStatus, std::move(reason));
    }
    return outcome;
}

} // namespace

const char* reasonOf(CameraRequestFailure failure)
{
    switch (failure)
    {
        case CameraRequestFailure::none: return "";
        case CameraRequestFailure::notSent: return "the request to the camera could not be made";
        case CameraRequestFailure::unreachable: return "the camera could not be reached";
        case CameraRequestFailure::timedOut: return "the camera did not answer in time";
        case CameraRequestFailure::loginRefused: return "the camera refused the login";
        case CameraRequestFailure::noAnswer: return "the camera broke off the connection without a whole answer";
        case CameraRequestFailure::answerTooLong: return "the camera's answer was too long";
        case CameraRequestFailure::errorStatus: return "the camera answered with an error status";
        case CameraRequestFailure::outOfTime: return "not read in time: the camera was too slow for the whole read";
    }
    return "the camera request failed";
}

CameraRequestOutcome CameraRequestOutcome::failed(CameraRequestFailure failure, std::string reason)
{
    return failedAfterSending(CameraRequestOutcome(), failure, std::move(reason));
}

std::string dialogReasonOf(const CameraRequestOutcome& outcome)
{
    std::string reason = reasonOf(outcome.failure);
    if (outcome.failure == CameraRequestFailure::errorStatus)
        reason += " (HTTP " + std::to_string(outcome.status) + ")";
    return reason;
}

CameraConnection::CameraConnection()
{
    // A failed initialisation is met again, and reported, by send().
    if (ensureCurlInitialised() == CURLE_OK)
        m_handle = curl_easy_init();
}

CameraConnection::~CameraConnection()
{
    if (m_handle)
        curl_easy_cleanup(m_handle);
}

CameraRequestOutcome CameraConnection::send(const std::string& path,
    const std::string& user,
    const std::string& password,
    const std::string& cameraAddress,
    const CameraRequestLimits& limits)
{
    constexpr CameraRequestFailure kNotSent = CameraRequestFailure::notSent;
    if (path.empty())
        return CameraRequestOutcome::failed(kNotSent, "empty request path");
    const CURLcode initCode = ensureCurlInitialised();
    if (initCode != CURLE_OK)
        return failedWithCurl(kNotSent, "curl_global_init", initCode);
    if (!m_handle)
        return CameraRequestOutcome::failed(kNotSent, "curl_easy_init failed");
    const std::string url = "http://" + cameraAddress + "/httpapi/" + path;
    CameraRequestOutcome outcome;
    AnswerSink sink;
    sink.body = &outcome.body;
    sink.maxBytes = limits.maxAnswerBytes;
    std::string reason;
    // Every option is set again for each request; the handle keeps its connection and its digest state across them.
    if (!setOptions(m_handle, url, user, password, limits, &sink, &reason))
        return CameraRequestOutcome::failed(kNotSent, std::move(reason));
    const CURLcode code = curl_easy_perform(m_handle);
    return judgeTransfer(m_handle, code, sink, std::move(outcome));
}

CameraRequestOutcome sendCameraRequest(const std::string& path,
    const std::string& user,
    const std::string& password,
    const std::string& cameraAddress,
    const CameraRequestLimits& limits)
{
    if (path.empty())
        return CameraRequestOutcome::failed(CameraRequestFailure::notSent, "empty request path");
    CameraConnection connection;
    return connection.send(path, user, password, cameraAddress, limits);
}

} // namespace tesh::vms_server_plugins::analytics::qv
