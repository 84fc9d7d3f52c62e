// JSON lines of served requests.
#include "request_log.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include <nlohmann/json.hpp>

namespace qvcam {

namespace {

/**
 * A long-running simulator keeps only the newest requests in memory (about 200 bytes each); the file,
 * when given, keeps them all. A full read of the plug-in's settings is 337 requests.
 */
constexpr size_t kMaxEntriesInMemory = 100000;

/** Camera answers are not always valid UTF-8 text; the log must still be valid JSON. */
constexpr auto kInvalidUtf8 = nlohmann::json::error_handler_t::replace;

} // namespace

std::string toJsonLine(const ServedRequest& request)
{
    const nlohmann::json line = {
        {"timeMs", request.timeMs},
        {"path", request.path},
        {"parameter", request.parameter},
        {"value", request.value},
        {"status", request.status},
        {"fault", request.fault},
        {"answer", request.answer},
        {"connection", request.connection},
    };
    return line.dump(-1, ' ', false, kInvalidUtf8);
}

std::string toJsonLines(const std::vector<ServedRequest>& requests)
{
    std::string text;
    for (const ServedRequest& request: requests)
        text += toJsonLine(request) + '\n';
    return text;
}

int64_t currentTimeMs()
{
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
}

RequestLog::~RequestLog()
{
    closeFile();
}

bool RequestLog::openFile(const std::string& path, std::string* errorMessage)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_file != nullptr || path.empty())
        return true;
    m_file = std::fopen(path.c_str(), "a");
    if (m_file == nullptr)
    {
        if (errorMessage != nullptr)
            *errorMessage = "cannot open the log file " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void RequestLog::closeFile()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_file != nullptr)
        std::fclose(m_file);
    m_file = nullptr;
}

void RequestLog::append(const ServedRequest& request)
{
    const std::string line = toJsonLine(request) + '\n';
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.push_back(request);
    if (m_entries.size() > kMaxEntriesInMemory)
        m_entries.pop_front();
    if (m_file != nullptr)
    {
        // One write per line, flushed, so that a reader following the file never sees half a line.
        std::fwrite(line.data(), 1, line.size(), m_file);
        std::fflush(m_file);
    }
}

std::vector<ServedRequest> RequestLog::entries() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return {m_entries.begin(), m_entries.end()};
}

} // namespace qvcam
