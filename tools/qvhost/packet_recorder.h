// The agent's handler: every packet the plug-in hands back is written as a JSON line and counted.
#pragma once

#include <cstdio>
#include <mutex>

#include <host_kit/host_object.h>
#include <tesh/sdk/analytics/i_device_agent_handler.h>

#include "replay_statistics.h"

namespace qvhost {

/** Called from the plug-in's workers; the lines of two packets never interleave. */
class PacketRecorder: public host_kit::HostObject<tesh::sdk::analytics::IDeviceAgentHandler>
{
public:
    /** Neither out nor statistics is owned; both must outlive every delivery. */
    PacketRecorder(std::FILE* out, ReplayStatistics* statistics): m_out(out), m_statistics(statistics) {}

    void handleMetadata(tesh::sdk::analytics::IMetadataPacket* metadataPacket) override
    {
        if (!metadataPacket)
            return;
        const auto arrival = Clock::now();
        const Json line = packetJson(metadataPacket);
        m_statistics->packetReceived(line, arrival);
        const std::lock_guard<std::mutex> lock(m_mutex);
        // The plug-in's texts come from the camera: a byte that is not UTF-8 is written as U+FFFD instead of
        // throwing into the plug-in's delivery, which would lose the line.
        std::fprintf(m_out, "%s\n", line.dump(-1, ' ', false, Json::error_handler_t::replace).c_str());
    }

private:
    std::FILE* const m_out;
    ReplayStatistics* const m_statistics;
    std::mutex m_mutex;
};

} // namespace qvhost
