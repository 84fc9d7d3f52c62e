// The record of the requests the simulated camera served: kept in memory for tests, optionally
// appended to a file as JSON lines for integrators.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace qvcam {

/** One HTTP exchange, a digest challenge included; a request with several parameters has one per parameter. */
struct ServedRequest
{
    int64_t timeMs = 0; //< Milliseconds since the Unix epoch at the time the answer was decided.
    std::string path; //< Without the query, e.g. "/httpapi/ReadParam".
    std::string parameter; //< Decoded; empty for a request without parameters.
    std::string value; //< Decoded; empty for a read.
    int status = 0; //< The HTTP status sent; 0 when no answer was sent.
    std::string fault; //< "garbage", "drop", "never" for an injected fault, else empty.
    std::string answer; //< The body sent, without padding.
    uint64_t connection = 0; //< The connection's number, from 1 in the order the camera accepted them.
};

/** One JSON object with the keys answer, connection, fault, parameter, path, status, timeMs, value; no line end. */
std::string toJsonLine(const ServedRequest& request);

/** One JSON line per request, each ended by a line feed. */
std::string toJsonLines(const std::vector<ServedRequest>& requests);

int64_t currentTimeMs();

class RequestLog
{
public:
    RequestLog() = default;
    ~RequestLog();
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    /** Starts appending to the file as well; an empty path appends nowhere. */
    bool openFile(const std::string& path, std::string* errorMessage);
    void closeFile();

    void append(const ServedRequest& request);
    std::vector<ServedRequest> entries() const;

private:
    mutable std::mutex m_mutex;
    std::deque<ServedRequest> m_entries;
    std::FILE* m_file = nullptr;
};

} // namespace qvcam
