// The simulated camera's HTTP server on libmicrohttpd: one thread per connection, so that a request
// held by a delay or by neverAnswer blocks only its own client.
#include "camera_simulator.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>

#include <microhttpd.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include "digest_authentication.h"
#include "fault_plan.h"
#include "listen_socket.h"
#include "parameter_interface.h"
#include "parameter_table.h"
#include "parameters_file.h"

namespace qvcam {

namespace {

const char* const kRealm = "qvcam";
const char* const kTextContent = "text/plain";
const std::string kUnauthorizedAnswer = "401 Unauthorized\r\n";
const std::string kMethodNotAllowedAnswer = "Error\r\n";
constexpr int kHttpUnauthorized = 401;
constexpr int kHttpMethodNotAllowed = 405;
constexpr char kPaddingByte = 'x';

/** Connections whose client went quiet are closed after this long, freeing their threads. */
constexpr unsigned int kIdleTimeoutS = 30;
/** One thread per connection: 337 for a full read, with room for several agents on one camera. */
constexpr unsigned int kConnectionLimit = 1024;

struct Request
{
    std::string target; //< As received: the digest covers it.
    std::string path;
    std::string query;
};

Request splitUri(const char* uri)
{
    const std::string text = uri != nullptr ? uri : "";
    const size_t question = text.find('?');
    if (question == std::string::npos)
        return {text, text, {}};
    return {text, text.substr(0, question), text.substr(question + 1)};
}

/** The padding lengthens the last line, so that the client sees one over-long value. */
std::string padded(const std::string& body, size_t padding)
{
    if (padding == 0)
        return body;
    const std::string lineEnd = "\r\n";
    const bool endsWithLineEnd
        = body.size() >= lineEnd.size() && body.compare(body.size() - lineEnd.size(), lineEnd.size(), lineEnd) == 0;
    const size_t insertAt = endsWithLineEnd ? body.size() - lineEnd.size() : body.size();
    std::string result = body;
    result.insert(insertAt, padding, kPaddingByte);
    return result;
}

} // namespace

class CameraSimulator::Server
{
public:
    explicit Server(CameraSimulatorOptions options):
        m_options(std::move(options)),
        m_authenticator(kRealm, m_options.user, m_options.password),
        m_faults(m_options.garbageShare, m_options.dropShare, m_options.seed)
    {}

    ~Server() { stop(); }

    bool start(std::string* errorMessage);
    void stop();

    int port() const { return m_port; }
    ParameterTable& table() { return m_table; }
    const RequestLog& log() const { return m_log; }

private:
    using Verdict = DigestAuthenticator::Verdict;

    static void* onRequestStarted(void* self, const char* uri, MHD_Connection* connection);
    static MHD_Result onRequest(void* self,
        MHD_Connection* connection,
        const char* url,
        const char* method,
        const char* version,
        const char* uploadData,
        size_t* uploadDataSize,
        void** requestContext);
    static void onRequestCompleted(
        void* self, MHD_Connection* connection, void** requestContext, MHD_RequestTerminationCode code);
    static void onConnection(
        void* self, MHD_Connection* connection, void** socketContext, MHD_ConnectionNotificationCode code);
    static void onLibraryMessage(void* self, const char* format, va_list arguments);

    MHD_Result serve(MHD_Connection* connection, const Request& request, const std::string& method);
    MHD_Result serveAuthenticated(MHD_Connection* connection, const Request& request);
    Verdict authenticate(MHD_Connection* connection, const Request& request, const std::string& method);

    /** False when stop() came first. */
    bool waitUnlessStopping(std::chrono::milliseconds duration);
    MHD_Result closeWithoutAnswer(const Request& request, const char* fault);
    MHD_Result sendAnswer(MHD_Connection* connection, int status, const std::string& body);
    MHD_Result sendChallenge(MHD_Connection* connection, bool staleNonce);
    MHD_Response* makeResponse(const std::string& body) const;
    void record(const Request& request, int status, const std::string& fault, const std::string& answer);

    const CameraSimulatorOptions m_options;
    DigestAuthenticator m_authenticator;
    ParameterTable m_table;
    RequestLog m_log;
    FaultPlan m_faults;
    bool m_parametersLoaded = false;
    MHD_Daemon* m_daemon = nullptr;
    int m_port = -1;

    std::mutex m_stopMutex;
    std::condition_variable m_stopCondition;
    bool m_stopping = false;

    std::mutex m_messageMutex;
    std::string m_lastLibraryMessage;
};

bool CameraSimulator::Server::start(std::string* errorMessage)
{
    if (m_daemon != nullptr)
        return true;
    if (!m_parametersLoaded && !m_options.parametersFile.empty()
        && !loadParametersFile(m_options.parametersFile, &m_table, errorMessage))
    {
        return false;
    }
    m_parametersLoaded = true;
    if (!m_log.openFile(m_options.logFile, errorMessage))
        return false;
    const int listener = openListenSocket(m_options.address, m_options.port, errorMessage);
    if (listener < 0)
        return false;
    {
        const std::lock_guard<std::mutex> lock(m_stopMutex);
        m_stopping = false;
    }
    m_daemon = MHD_start_daemon(
        MHD_USE_AUTO | MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_THREAD_PER_CONNECTION | MHD_USE_ERROR_LOG, 0, nullptr,
        nullptr, &Server::onRequest, this, MHD_OPTION_EXTERNAL_LOGGER, &Server::onLibraryMessage, this,
        MHD_OPTION_LISTEN_SOCKET, static_cast<MHD_socket>(listener), MHD_OPTION_URI_LOG_CALLBACK,
        &Server::onRequestStarted, this, MHD_OPTION_NOTIFY_COMPLETED, &Server::onRequestCompleted, this,
        MHD_OPTION_NOTIFY_CONNECTION, &Server::onConnection, this, MHD_OPTION_CONNECTION_TIMEOUT, kIdleTimeoutS,
        MHD_OPTION_CONNECTION_LIMIT, kConnectionLimit, MHD_OPTION_END);
    if (m_daemon == nullptr)
    {
        ::close(listener);
        const std::lock_guard<std::mutex> lock(m_messageMutex);
        if (errorMessage != nullptr)
            *errorMessage = "the HTTP server did not start: " + m_lastLibraryMessage;
        return false;
    }
    m_port = boundPort(listener);
    return true;
}

void CameraSimulator::Server::stop()
{
    {
        const std::lock_guard<std::mutex> lock(m_stopMutex);
        m_stopping = true;
    }
    // Requests waiting in a delay or in neverAnswer return first, so that the daemon can join them.
    m_stopCondition.notify_all();
    if (m_daemon != nullptr)
        MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
    m_log.closeFile();
}

void* CameraSimulator::Server::onRequestStarted(void* /*self*/, const char* uri, MHD_Connection* /*connection*/)
{
    // Parsing takes the query off the URL, and with it the camera's parameters in their order.
    return new Request(splitUri(uri));
}

void CameraSimulator::Server::onRequestCompleted(
    void* /*self*/, MHD_Connection* /*connection*/, void** requestContext, MHD_RequestTerminationCode /*code*/)
{
    delete static_cast<Request*>(*requestContext);
    *requestContext = nullptr;
}

void CameraSimulator::Server::onConnection(
    void* /*self*/, MHD_Connection* connection, void** /*socketContext*/, MHD_ConnectionNotificationCode code)
{
    if (code != MHD_CONNECTION_NOTIFY_STARTED)
        return;
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    if (info == nullptr)
        return;
    // Without it, Nagle's algorithm and the client's delayed ACK hold a split answer back for ~40 ms.
    const int on = 1;
    ::setsockopt(info->connect_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
}

void CameraSimulator::Server::onLibraryMessage(void* self, const char* format, va_list arguments)
{
    std::array<char, 512> text{};
    std::vsnprintf(text.data(), text.size(), format, arguments);
    auto* server = static_cast<Server*>(self);
    const std::lock_guard<std::mutex> lock(server->m_messageMutex);
    server->m_lastLibraryMessage = text.data();
}

MHD_Result CameraSimulator::Server::onRequest(void* self,
    MHD_Connection* connection,
    const char* /*url*/,
    const char* method,
    const char* /*version*/,
    const char* /*uploadData*/,
    size_t* /*uploadDataSize*/,
    void** requestContext)
{
    const auto* request = static_cast<const Request*>(*requestContext);
    if (request == nullptr)
        return MHD_NO;
    return static_cast<Server*>(self)->serve(connection, *request, method != nullptr ? method : "");
}

MHD_Result CameraSimulator::Server::serve(MHD_Connection* connection, const Request& request, const std::string& method)
{
    if (m_options.neverAnswer)
    {
        // Recorded at once: the test that holds the client waiting wants to see that the request came.
        record(request, 0, "never", {});
        waitUnlessStopping(std::chrono::milliseconds::max());
        return MHD_NO;
    }
    if (m_options.answerDelayMs > 0 && !waitUnlessStopping(std::chrono::milliseconds(m_options.answerDelayMs)))
        return closeWithoutAnswer(request, "");
    if (method != MHD_HTTP_METHOD_GET)
    {
        record(request, kHttpMethodNotAllowed, {}, kMethodNotAllowedAnswer);
        return sendAnswer(connection, kHttpMethodNotAllowed, kMethodNotAllowedAnswer);
    }
    const Verdict verdict = authenticate(connection, request, method);
    if (verdict != Verdict::granted)
    {
        record(request, kHttpUnauthorized, {}, kUnauthorizedAnswer);
        return sendChallenge(connection, verdict == Verdict::staleNonce);
    }
    return serveAuthenticated(connection, request);
}

MHD_Result CameraSimulator::Server::serveAuthenticated(MHD_Connection* connection, const Request& request)
{
    const Fault fault = m_faults.draw();
    if (fault == Fault::drop)
        return closeWithoutAnswer(request, faultName(fault));
    if (fault == Fault::garbage)
    {
        const std::string garbage = m_faults.garbage();
        record(request, kHttpOk, faultName(fault), garbage);
        return sendAnswer(connection, kHttpOk, garbage);
    }
    const InterfaceAnswer answer = answerParameterRequest(&m_table, request.path, request.query);
    record(request, answer.status, {}, answer.body);
    return sendAnswer(connection, answer.status, answer.body);
}

CameraSimulator::Server::Verdict CameraSimulator::Server::authenticate(
    MHD_Connection* connection, const Request& request, const std::string& method)
{
    if (m_options.refuseLogin)
        return Verdict::refused;
    const char* authorization = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_AUTHORIZATION);
    return m_authenticator.check(authorization != nullptr ? authorization : "", method, request.target);
}

bool CameraSimulator::Server::waitUnlessStopping(std::chrono::milliseconds duration)
{
    std::unique_lock<std::mutex> lock(m_stopMutex);
    const auto stopping = [this]() { return m_stopping; };
    if (duration == std::chrono::milliseconds::max())
        m_stopCondition.wait(lock, stopping);
    else
        m_stopCondition.wait_for(lock, duration, stopping);
    return !m_stopping;
}

MHD_Result CameraSimulator::Server::closeWithoutAnswer(const Request& request, const char* fault)
{
    record(request, 0, fault, {});
    // Refusing the request makes the library close the connection without a word.
    return MHD_NO;
}

MHD_Result CameraSimulator::Server::sendAnswer(MHD_Connection* connection, int status, const std::string& body)
{
    MHD_Response* response = makeResponse(body);
    if (response == nullptr)
        return MHD_NO;
    const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned int>(status), response);
    MHD_destroy_response(response);
    return queued;
}

MHD_Result CameraSimulator::Server::sendChallenge(MHD_Connection* connection, bool staleNonce)
{
    MHD_Response* response = makeResponse(kUnauthorizedAnswer);
    if (response == nullptr)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_WWW_AUTHENTICATE, m_authenticator.challenge(staleNonce).c_str());
    const MHD_Result queued = MHD_queue_response(connection, kHttpUnauthorized, response);
    MHD_destroy_response(response);
    return queued;
}

MHD_Response* CameraSimulator::Server::makeResponse(const std::string& body) const
{
    std::string text = padded(body, m_options.answerPadding);
    MHD_Response* response = MHD_create_response_from_buffer(text.size(), text.data(), MHD_RESPMEM_MUST_COPY);
    if (response == nullptr)
        return nullptr;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, kTextContent);
    return response;
}

void CameraSimulator::Server::record(
    const Request& request, int status, const std::string& fault, const std::string& answer)
{
    const std::vector<QueryField> parameters = requestParameters(request.query);
    const int64_t now = currentTimeMs();
    if (parameters.empty())
    {
        m_log.append({now, request.path, {}, {}, status, fault, answer});
        return;
    }
    // The plug-in sends one parameter per request; a request with several gets one line for each.
    for (const QueryField& parameter: parameters)
        m_log.append({now, request.path, parameter.name, parameter.value, status, fault, answer});
}

CameraSimulator::CameraSimulator(CameraSimulatorOptions options): m_server(std::make_unique<Server>(std::move(options)))
{}

CameraSimulator::~CameraSimulator() = default;

bool CameraSimulator::start(std::string* errorMessage)
{
    return m_server->start(errorMessage);
}

void CameraSimulator::stop()
{
    m_server->stop();
}

int CameraSimulator::port() const
{
    return m_server->port();
}

std::vector<ServedRequest> CameraSimulator::servedRequests() const
{
    return m_server->log().entries();
}

std::string CameraSimulator::parameter(const std::string& name) const
{
    return m_server->table().value(name);
}

void CameraSimulator::setParameter(const std::string& name, const std::string& value)
{
    m_server->table().set(name, value);
}

std::string loopbackAddressForTest(int n)
{
    return "127.0.0." + std::to_string(n);
}

} // namespace qvcam
