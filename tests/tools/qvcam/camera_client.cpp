// The test client and the start-or-skip rule.
#include "camera_client.h"

#include <cerrno>
#include <cstring>

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

HttpAnswer httpGet(const std::string& address, const std::string& path, const ClientOptions& options)
{
    HttpAnswer answer;
    if (!initialiseLibcurlOnce())
    {
        answer.code = CURLE_FAILED_INIT;
        return answer;
    }
    CURL* handle = curl_easy_init();
    if (handle == nullptr)
    {
        answer.code = CURLE_FAILED_INIT;
        return answer;
    }
    const std::string url = "http://" + address + "/httpapi/" + path;
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    if (options.authenticate)
    {
        curl_easy_setopt(handle, CURLOPT_HTTPAUTH, CURLAUTH_DIGEST);
        curl_easy_setopt(handle, CURLOPT_USERNAME, options.user.c_str());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, options.password.c_str());
    }
    // Threads of the concurrency test share the process; time-outs must not use signals.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, options.timeoutMs);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, options.timeoutMs);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &appendTo);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &answer.body);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &appendTo);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &answer.headers);
    answer.code = curl_easy_perform(handle);
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &answer.status);
    curl_easy_cleanup(handle);
    return answer;
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
