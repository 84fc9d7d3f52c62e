// One blocking HTTP GET against the camera's parameter interface, with digest authentication.
#include "camera_request.h"

#include <memory>
#include <mutex>
#include <new>

#include <curl/curl.h>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

/** Statuses with which the camera refuses the login even after the digest exchange (RFC 9110). */
constexpr long kHttpUnauthorized = 401;
constexpr long kHttpForbidden = 403;

bool fail(std::string* errorMessage, const std::string& reason)
{
    if (errorMessage)
        *errorMessage = reason;
    return false;
}

bool failCurl(std::string* errorMessage, const std::string& call, CURLcode code)
{
    return fail(errorMessage, call + ": " + curl_easy_strerror(code));
}

CameraRequestFailure failWith(std::string* errorMessage, const std::string& reason, CameraRequestFailure failure)
{
    fail(errorMessage, reason);
    return failure;
}

CameraRequestFailure failureOf(CURLcode code)
{
    switch (code)
    {
        case CURLE_COULDNT_CONNECT:
        case CURLE_COULDNT_RESOLVE_HOST:
            return CameraRequestFailure::unreachable;
        case CURLE_OPERATION_TIMEDOUT:
            return CameraRequestFailure::timedOut;
        default:
            return CameraRequestFailure::noAnswer;
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
bool ensureCurlInitialised(std::string* errorMessage)
{
    struct GlobalState
    {
        std::mutex mutex;
        bool initialised = false;
    };
    static GlobalState* const state = new GlobalState(); //< Never destroyed, for the late threads above.

    const std::lock_guard<std::mutex> lock(state->mutex);
    if (state->initialised)
        return true;
    // A failure (out of memory, the TLS library) is not remembered: the next request tries again.
    const CURLcode code = curl_global_init(CURL_GLOBAL_ALL);
    if (code != CURLE_OK)
        return failCurl(errorMessage, "curl_global_init", code);
    state->initialised = true;
    return true;
}

struct AnswerSink
{
    std::string* body = nullptr;
    std::size_t received = 0;
    std::size_t maxBytes = 0;
    bool tooLong = false;
};

/** Appends to the caller's body; returning less than it was given makes libcurl abort with CURLE_WRITE_ERROR. */
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

struct EasyHandleDeleter
{
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyHandleDeleter>;

template<typename Value>
bool setOption(CURL* handle, CURLoption option, const char* optionName, Value value, std::string* errorMessage)
{
    const CURLcode code = curl_easy_setopt(handle, option, value);
    if (code != CURLE_OK)
        return failCurl(errorMessage, std::string("curl_easy_setopt(") + optionName + ")", code);
    return true;
}

bool setOptions(CURL* handle,
    const std::string& url,
    const std::string& user,
    const std::string& password,
    const CameraRequestLimits& limits,
    AnswerSink* sink,
    std::string* errorMessage)
{
    const curl_write_callback writeCallback = &appendAnswer;
    return setOption(handle, CURLOPT_URL, "CURLOPT_URL", url.c_str(), errorMessage)
        // The camera's interface takes digest only; offering nothing else also keeps the password from ever
        // going out in the clear as Basic authentication would send it.
        && setOption(handle, CURLOPT_HTTPAUTH, "CURLOPT_HTTPAUTH", static_cast<long>(CURLAUTH_DIGEST), errorMessage)
        // Given apart from the URL, so that any character in them needs no escaping.
        && setOption(handle, CURLOPT_USERNAME, "CURLOPT_USERNAME", user.c_str(), errorMessage)
        && setOption(handle, CURLOPT_PASSWORD, "CURLOPT_PASSWORD", password.c_str(), errorMessage)
        // The answer goes to the caller's body through the size cap.
        && setOption(handle, CURLOPT_WRITEFUNCTION, "CURLOPT_WRITEFUNCTION", writeCallback, errorMessage)
        && setOption(handle, CURLOPT_WRITEDATA, "CURLOPT_WRITEDATA", static_cast<void*>(sink), errorMessage)
        // Many threads send requests at once: libcurl may not use signals (its thread-safety rules), which it
        // would otherwise do to time out a name look-up.
        && setOption(handle, CURLOPT_NOSIGNAL, "CURLOPT_NOSIGNAL", 1L, errorMessage)
        // libcurl waits 300 s for a connection and forever for an answer unless told otherwise.
        && setOption(
            handle, CURLOPT_CONNECTTIMEOUT_MS, "CURLOPT_CONNECTTIMEOUT_MS", limits.connectTimeoutMs, errorMessage)
        && setOption(handle, CURLOPT_TIMEOUT_MS, "CURLOPT_TIMEOUT_MS", limits.requestTimeoutMs, errorMessage)
        // The camera is reached directly; an empty text also keeps libcurl from taking a proxy from the host
        // process's environment, which would route the camera's login through a third machine.
        && setOption(handle, CURLOPT_PROXY, "CURLOPT_PROXY", "", errorMessage);
}

} // namespace

bool sendCameraRequest(const std::string& path,
    const std::string& user,
    const std::string& password,
    const std::string& cameraAddress,
    std::string* body)
{
    return sendCameraRequest(path, user, password, cameraAddress, body, CameraRequestLimits(), nullptr);
}

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
    }
    return "the camera request failed";
}

namespace {

CameraRequestFailure perform(const std::string& path,
    const std::string& user,
    const std::string& password,
    const std::string& cameraAddress,
    std::string* body,
    const CameraRequestLimits& limits,
    std::string* errorMessage)
{
    constexpr CameraRequestFailure kNotSent = CameraRequestFailure::notSent;
    if (path.empty())
        return failWith(errorMessage, "empty request path", kNotSent);
    if (!body)
        return failWith(errorMessage, "no answer buffer", kNotSent);
    if (!ensureCurlInitialised(errorMessage))
        return kNotSent;

    const EasyHandle handle(curl_easy_init());
    if (!handle)
        return failWith(errorMessage, "curl_easy_init failed", kNotSent);
    const std::string url = "http://" + cameraAddress + "/httpapi/" + path;
    AnswerSink sink;
    sink.body = body;
    sink.maxBytes = limits.maxAnswerBytes;
    if (!setOptions(handle.get(), url, user, password, limits, &sink, errorMessage))
        return kNotSent;

    const CURLcode code = curl_easy_perform(handle.get());
    if (sink.tooLong)
    {
        const std::string reason = "answer longer than " + std::to_string(limits.maxAnswerBytes) + " bytes";
        return failWith(errorMessage, reason, CameraRequestFailure::answerTooLong);
    }
    if (code != CURLE_OK)
        return failWith(errorMessage, std::string("curl_easy_perform: ") + curl_easy_strerror(code), failureOf(code));

    long status = 0;
    const CURLcode infoCode = curl_easy_getinfo(handle.get(), CURLINFO_RESPONSE_CODE, &status);
    if (infoCode != CURLE_OK)
        {
        failCurl(errorMessage, "curl_easy_getinfo(CURLINFO_RESPONSE_CODE)", infoCode);
        return kNotSent;
    }
    if (status == kHttpUnauthorized || status == kHttpForbidden)
    {
        const std::string reason = "login refused: HTTP status " + std::to_string(status);
        return failWith(errorMessage, reason, CameraRequestFailure::loginRefused);
    }
    return CameraRequestFailure::none;
}

} // namespace

bool sendCameraRequest(const std::string& path,
    const std::string& user,
    const std::string& password,
    const std::string& cameraAddress,
    std::string* body,
    const CameraRequestLimits& limits,
    std::string* errorMessage,
    CameraRequestFailure* failure)
{
    const CameraRequestFailure outcome =
        perform(path, user, password, cameraAddress, body, limits, errorMessage);
    if (failure)
        *failure = outcome;
    return outcome == CameraRequestFailure::none;
}

} // namespace tesh::vms_server_plugins::analytics::qv
