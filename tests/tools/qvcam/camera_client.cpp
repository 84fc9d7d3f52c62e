// The test client and the start-or-skip rule.
#include "camera_client.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace qvcam::test {

namespace {

size_t appendTo(char* data, size_t size, size_t count, void* text)
{
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

bool initialiseLibcurlOnce()
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;
    return initialised;
}

} // namespace

CameraClient::CameraClient(std::string address, ClientOptions options):
    m_address(std::move(address)),
    m_options(std::move(options))
{
    if (!initialiseLibcurlOnce())
        return;
    m_handle = curl_easy_init();
    if (m_handle == nullptr)
        return;
    if (m_options.authenticate)
    {
        curl_easy_setopt(m_handle, CURLOPT_HTTPAUTH, CURLAUTH_DIGEST);
        curl_easy_setopt(m_handle, CURLOPT_USERNAME, m_options.user.c_str());
        curl_easy_setopt(m_handle, CURLOPT_PASSWORD, m_options.password.c_str());
    }
    // Threads of the concurrency test share the process; time-outs must not use signals.
    curl_easy_setopt(m_handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_handle, CURLOPT_TIMEOUT_MS, m_options.timeoutMs);
    curl_easy_setopt(m_handle, CURLOPT_CONNECTTIMEOUT_MS, m_options.timeoutMs);
    curl_easy_setopt(m_handle, CURLOPT_FORBID_REUSE, m_options.connectionPerExchange ? 1L : 0L);
    curl_easy_setopt(m_handle, CURLOPT_WRITEFUNCTION, &appendTo);
    curl_easy_setopt(m_handle, CURLOPT_HEADERFUNCTION, &appendTo);
}

CameraClient::~CameraClient()
{
    if (m_handle != nullptr)
        curl_easy_cleanup(m_handle);
}

HttpAnswer CameraClient::get(const std::string& path)
{
    HttpAnswer answer;
    if (m_handle == nullptr)
    {
        answer.code = CURLE_FAILED_INIT;
        return answer;
    }
    const std::string url = "http://" + m_address + "/httpapi/" + path;
    curl_easy_setopt(m_handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(m_handle, CURLOPT_WRITEDATA, &answer.body);
    curl_easy_setopt(m_handle, CURLOPT_HEADERDATA, &answer.headers);
    answer.code = curl_easy_perform(m_handle);
    curl_easy_getinfo(m_handle, CURLINFO_RESPONSE_CODE, &answer.status);
    return answer;
}

HttpAnswer httpGet(const std::string& address, const std::string& path, const ClientOptions& options)
{
    return CameraClient(address, options).get(path);
}

std::string readPath(const std::string& name)
{
    return "ReadParam?action=readparam&" + name + "=&";
}

std::string writePath(const std::string& name, const std::string& encodedValue)
{
    return "WriteParam?action=writeparam&" + name + "=" + encodedValue + "&";
}

std::string extractedValue(const std::string& body)
{
    const size_t equals = body.find('=');
    if (equals == std::string::npos)
        return "0";
    const size_t lineEnd = body.find_first_of("\r\n", equals);
    return body.substr(equals + 1, lineEnd == std::string::npos ? std::string::npos : lineEnd - equals - 1);
}

StartOutcome startCamera(CameraSimulator* camera, std::string* errorMessage)
{
    if (camera->start(errorMessage))
        return StartOutcome::started;
    if (errorMessage->find(std::strerror(EACCES)) != std::string::npos)
        return StartOutcome::notPermitted;
    return StartOutcome::failed;
}

CameraSimulatorOptions optionsForTest(int loopbackHost)
{
    CameraSimulatorOptions options;
    options.address = loopbackAddressForTest(loopbackHost);
    options.port = 80;
    options.user = kTestUser;
    options.password = kTestPassword;
    return options;
}

} // namespace qvcam::test
