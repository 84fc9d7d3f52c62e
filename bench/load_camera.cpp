// One camera of the load benchmark: its agent, made by the engine through the exported interface, and the host's
// handler that times each document from the push to its pass's last packet.
#include "load_camera.h"

#include <algorithm>
#include <utility>

#include <tesh/sdk/result.h>

#include "shared_document_packet.h"

namespace tesh::bench {

namespace {

/** The engine accepts the vendor and model of the cameras it serves; the address is never reached. */
qvhost::DeviceDescription deviceOf(int index)
{
    qvhost::DeviceDescription device;
    device.id = "load-camera-" + std::to_string(index);
    device.vendor = "QV";
    device.model = "RMTL-load";
    device.url = "http://127.0.0.1:80/";
    return device;
}

} // namespace

void PassTimer::handleMetadata(sdk::analytics::IMetadataPacket* metadataPacket)
{
    const Clock::time_point now = Clock::now();
    if (!metadataPacket)
        return;
    const int64_t offset = metadataPacket->timestampUs() - kFirstDocumentUs;
    if (offset < 0 || offset % kDocumentIntervalUs != 0)
        return;
    const int64_t sequence = offset / kDocumentIntervalUs;
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (sequence != m_current)
    {
        closeCurrent();
        m_current = sequence;
        ++m_passed;
    }
    m_currentLastArrival = now;
}

void PassTimer::pushing(int64_t sequence, Clock::time_point when)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_pushTimes[static_cast<size_t>(sequence % kRing)] = when;
}

int64_t PassTimer::passedCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_passed;
}

LatencyHistogram PassTimer::lags()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    closeCurrent();
    m_current = -1;
    return m_lags;
}

PassTimer::Clock::duration PassTimer::takeLongestLag()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_longestLag, Clock::duration{});
}

void PassTimer::closeCurrent()
{
    if (m_current < 0)
        return;
    const Clock::duration lag = m_currentLastArrival - m_pushTimes[static_cast<size_t>(m_current % kRing)];
    m_lags.add(lag);
    m_longestLag = std::max(m_longestLag, lag);
}

LoadCamera::LoadCamera(const qvhost::PluginSession& session, int index, std::shared_ptr<const std::string> document):
    m_timer(new PassTimer()),
    m_agent(session.makeAgent(deviceOf(index), m_timer.get())),
    m_document(std::move(document))
{}

LoadCamera::~LoadCamera()
{
    if (m_agent)
        m_agent->finalize();
}

std::optional<std::chrono::nanoseconds> LoadCamera::push(int64_t sequence)
{
    const qvhost::HostRef<SharedDocumentPacket> packet(
        new SharedDocumentPacket(kFirstDocumentUs + sequence * kDocumentIntervalUs, m_document));
    const PassTimer::Clock::time_point start = PassTimer::Clock::now();
    m_timer->pushing(sequence, start);
    sdk::Result<void> result;
    m_agent->doPushDataPacket(&result, packet.get());
    const std::chrono::nanoseconds took = PassTimer::Clock::now() - start;
    if (result.error.errorMessage)
        result.error.errorMessage->releaseRef();
    if (result.error.errorCode != sdk::ErrorCode::noError)
        return std::nullopt;
    return took;
}

} // namespace tesh::bench
