// The simulated camera's HTTP server on libmicrohttpd: one thread per connection, so that a request
// held by a delay or by neverAnswer blocks only its own client.
#include "camera_simulator.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>

#include <microhttpd.h>
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
const char* const kHtmlContent = "text/html";
const std::string kUnauthorizedAnswer = "401 Unauthorized\r\n";
/** The camera's one word for every request it will not carry out. */
const std::string kErrorAnswer = "Error\r\n";
constexpr int kHttpUnauthorized = 401;
constexpr int kHttpMethodNotAllowed = 405;
constexpr char kPaddingByte = 'x';
const char* const kSurplusFault = "surplus";

struct Request
{
    std::string target; //< As received: the digest covers it.
    std::string path;
    std::string query;
    uint64_t connection = 0;
    /** The headers are in; the answer waits for the whole request, else the library closes the connection. */
    bool headersReceived = false;
};

Request splitUri(const char* uri, uint64_t connection)
{
    const std::string text = uri != nullptr ? uri : "";
    const size_t question = text.find('?');
    if (question == std::string::npos)
        return {text, text, {}, connection, false};
    return {text, text.substr(0, question), text.substr(question + 1), connection, false};
}

/** Set when the library took the connection on, until it is closed. */
ServedConnection* servedConnection(MHD_Connection* connection)
{
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return info != nullptr ? static_cast<ServedConnection*>(info->socket_context) : nullptr;
}

std::vector<std::string> parameterNames(const std::string& query)
{
    std::vector<std::string> names;
    for (const QueryField& field: requestParameters(query))
        names.push_back(field.name);
    return names;
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
        m_authenticator(kRealm, m_options.user, m_options.password, std::chrono::seconds(m_options.nonceLifetimeS)),
        m_faults(m_options.garbageShare, m_options.dropShare, m_options.seed, m_options.parameterFaults),
        m_connections(m_options.maxConnections, m_options.surplusConnections, m_options.keepAliveRequests),
        m_style{m_options.trailingBlanks, m_options.multiLineAnswers}
    {}

    ~Server() { stop(); }

    bool start(std::string* errorMessage);
    void stop();

    int port() const { return m_port; }
    ParameterTable& table() { return m_table; }
    const RequestLog& log() const { return m_log; }
    ConnectionCounts connectionCounts() const { return m_connections.counts(); }
    FaultPlan& faults() { return m_faults; }

private:
    using Verdict = DigestAuthenticator::Verdict;

    static MHD_Result acceptsConnection(void* self, const sockaddr* address, socklen_t addressLength);
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
    MHD_Result serveFault(MHD_Connection* connection, const Request& request, const FaultDecision& decision);
    Verdict authenticate(MHD_Connection* connection, const Request& request, const std::string& method);

    /** False when stop() came first. */
    bool waitUnlessStopping(std::chrono::milliseconds duration);
    MHD_Result closeWithoutAnswer(const Request& request, const char* fault);
    MHD_Result sendAnswer(
        MHD_Connection* connection, int status, const std::string& body, const char* contentType = kTextContent);
    MHD_Result sendChallenge(MHD_Connection* connection, bool staleNonce);
    MHD_Result queue(MHD_Connection* connection, int status, MHD_Response* response);
    MHD_Response* makeResponse(const std::string& body, const char* contentType) const;
    /** Reset mode: surplus connections are reset by the listening socket's setting, served ones end in order. */
    bool resetsSurplus() const;
    void record(const Request& request, int status, const std::string& fault, const std::string& answer);

    const CameraSimulatorOptions m_options;
    DigestAuthenticator m_authenticator;
    ParameterTable m_table;
    RequestLog m_log;
    FaultPlan m_faults;
    ConnectionPolicy m_connections;
    const AnswerStyle m_style;
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
    if (!validateOptions(m_options, errorMessage))
        return false;
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
    if (resetsSurplus() && !setResetOnClose(listener, true))
    {
        ::close(listener);
        if (errorMessage != nullptr)
            *errorMessage = "cannot make surplus connections reset on " + m_options.address;
        return false;
    }
    {
        const std::lock_guard<std::mutex> lock(m_stopMutex);
        m_stopping = false;
    }
    m_daemon = MHD_start_daemon(
        MHD_USE_AUTO | MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_THREAD_PER_CONNECTION | MHD_USE_ERROR_LOG, 0,
        &Server::acceptsConnection, this, &Server::onRequest, this, MHD_OPTION_EXTERNAL_LOGGER,
        &Server::onLibraryMessage, this, MHD_OPTION_LISTEN_SOCKET, static_cast<MHD_socket>(listener),
        MHD_OPTION_URI_LOG_CALLBACK, &Server::onRequestStarted, this, MHD_OPTION_NOTIFY_COMPLETED,
        &Server::onRequestCompleted, this, MHD_OPTION_NOTIFY_CONNECTION, &Server::onConnection, this,
        MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned int>(m_options.keepAliveIdleS), MHD_OPTION_CONNECTION_LIMIT,
        static_cast<unsigned int>(kMaxConnections), MHD_OPTION_END);
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

bool CameraSimulator::Server::resetsSurplus() const
{
    return m_options.maxConnections > 0 && m_options.surplusConnections == SurplusConnections::reset;
}

MHD_Result CameraSimulator::Server::acceptsConnection(
    void* self, const sockaddr* /*address*/, socklen_t /*addressLength*/)
{
    // Refused here, the connection is closed before its request is read; the listening socket's
    // setting makes that close a reset.
    return static_cast<Server*>(self)->m_connections.admitsAnother() ? MHD_YES : MHD_NO;
}

void* CameraSimulator::Server::onRequestStarted(void* /*self*/, const char* uri, MHD_Connection* connection)
{
    // Parsing takes the query off the URL, and with it the camera's parameters in their order.
    const ServedConnection* served = servedConnection(connection);
    return new Request(splitUri(uri, served != nullptr ? served->id : 0));
}

void CameraSimulator::Server::onRequestCompleted(
    void* /*self*/, MHD_Connection* /*connection*/, void** requestContext, MHD_RequestTerminationCode /*code*/)
{
    delete static_cast<Request*>(*requestContext);
    *requestContext = nullptr;
}

void CameraSimulator::Server::onConnection(
    void* self, MHD_Connection* connection, void** socketContext, MHD_ConnectionNotificationCode code)
{
    auto* server = static_cast<Server*>(self);
    if (code == MHD_CONNECTION_NOTIFY_CLOSED)
    {
        server->m_connections.closed(std::unique_ptr<ServedConnection>(static_cast<ServedConnection*>(*socketContext)));
        *socketContext = nullptr;
        return;
    }
    std::unique_ptr<ServedConnection> served = server->m_connections.opened();
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    if (info != nullptr)
    {
        // The library writes headers and body apart; they must not wait for the client's acknowledgement.
        setNoDelay(info->connect_fd);
        if (server->resetsSurplus() && !served->surplus)
            setResetOnClose(info->connect_fd, false);
    }
    *socketContext = served.release();
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
    size_t* uploadDataSize,
    void** requestContext)
{
    auto* request = static_cast<Request*>(*requestContext);
    if (request == nullptr)
        return MHD_NO;
    // An answer queued before the whole request is read makes the library close the connection after it.
    if (!request->headersReceived)
    {
        request->headersReceived = true;
        return MHD_YES;
    }
    if (*uploadDataSize != 0)
    {
        *uploadDataSize = 0; // The camera takes no request bodies.
        return MHD_YES;
    }
    return static_cast<Server*>(self)->serve(connection, *request, method != nullptr ? method : "");
}

MHD_Result CameraSimulator::Server::serve(MHD_Connection* connection, const Request& request, const std::string& method)
{
    const ServedConnection* served = servedConnection(connection);
    if (served != nullptr && served->surplus)
        return closeWithoutAnswer(request, kSurplusFault);
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
        record(request, kHttpMethodNotAllowed, {}, kErrorAnswer);
        return sendAnswer(connection, kHttpMethodNotAllowed, kErrorAnswer);
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
    const bool isWrite = isWritePath(request.path);
    if (isWrite && m_options.writeDelayMs > 0 && !waitUnlessStopping(std::chrono::milliseconds(m_options.writeDelayMs)))
    {
        return closeWithoutAnswer(request, "");
    }
    const FaultDecision decision = m_faults.decide(parameterNames(request.query), isWrite);
    if (decision.fault != Fault::none)
        return serveFault(connection, request, decision);
    const InterfaceAnswer answer = answerParameterRequest(&m_table, request.path, request.query, m_style);
    record(request, answer.status, {}, answer.body);
    return sendAnswer(connection, answer.status, answer.body);
}

MHD_Result CameraSimulator::Server::serveFault(
    MHD_Connection* connection, const Request& request, const FaultDecision& decision)
{
    const char* fault = faultName(decision.fault);
    switch (decision.fault)
    {
        case Fault::none:
        case Fault::drop: break;
        case Fault::garbage: {
            const std::string garbage = m_faults.garbage();
            record(request, kHttpOk, fault, garbage);
            return sendAnswer(connection, kHttpOk, garbage);
        }
        case Fault::status: {
            const std::string page = errorPage(decision.status);
            record(request, decision.status, fault, page);
            return sendAnswer(connection, decision.status, page, kHtmlContent);
        }
        case Fault::refusal:
            record(request, kHttpOk, fault, kErrorAnswer);
            return sendAnswer(connection, kHttpOk, kErrorAnswer);
    }
    return closeWithoutAnswer(request, fault);
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

MHD_Result CameraSimulator::Server::sendAnswer(
    MHD_Connection* connection, int status, const std::string& body, const char* contentType)
{
    return queue(connection, status, makeResponse(body, contentType));
}

MHD_Result CameraSimulator::Server::sendChallenge(MHD_Connection* connection, bool staleNonce)
{
    MHD_Response* response = makeResponse(kUnauthorizedAnswer, kTextContent);
    if (response != nullptr)
    {
        MHD_add_response_header(
            response, MHD_HTTP_HEADER_WWW_AUTHENTICATE, m_authenticator.challenge(staleNonce).c_str());
    }
    return queue(connection, kHttpUnauthorized, response);
}

MHD_Result CameraSimulator::Server::queue(MHD_Connection* connection, int status, MHD_Response* response)
{
    if (response == nullptr)
        return MHD_NO;
    ServedConnection* served = servedConnection(connection);
    // The library closes the connection once an answer saying so is sent.
    if (served != nullptr && m_connections.countAnswer(served))
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned int>(status), response);
    MHD_destroy_response(response);
    return queued;
}

MHD_Response* CameraSimulator::Server::makeResponse(const std::string& body, const char* contentType) const
{
    std::string text = padded(body, m_options.answerPadding);
    MHD_Response* response = MHD_create_response_from_buffer(text.size(), text.data(), MHD_RESPMEM_MUST_COPY);
    if (response == nullptr)
        return nullptr;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, contentType);
    return response;
}

void CameraSimulator::Server::record(
    const Request& request, int status, const std::string& fault, const std::string& answer)
{
    const std::vector<QueryField> parameters = requestParameters(request.query);
    const int64_t now = currentTimeMs();
    if (parameters.empty())
    {
        m_log.append({now, request.path, {}, {}, status, fault, answer, request.connection});
        return;
    }
    // The plug-in sends one parameter per request; a request with several gets one line for each.
    for (const QueryField& parameter: parameters)
        m_log.append({now, request.path, parameter.name, parameter.value, status, fault, answer, request.connection});
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

ConnectionCounts CameraSimulator::connectionCounts() const
{
    return m_server->connectionCounts();
}

std::string CameraSimulator::parameter(const std::string& name) const
{
    return m_server->table().value(name);
}

void CameraSimulator::setParameter(const std::string& name, const std::string& value)
{
    m_server->table().set(name, value);
}

bool CameraSimulator::setParameterFaults(ParameterFaults faults, std::string* errorMessage)
{
    if (!validateParameterFaults(faults, errorMessage))
        return false;
    m_server->faults().setParameterFaults(std::move(faults));
    return true;
}

std::string loopbackAddressForTest(int n)
{
    return "127.0.0." + std::to_string(n);
}

} // namespace qvcam
