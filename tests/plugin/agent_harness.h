// A device agent driven the way the host drives it: a device description, a handler, pushed packets.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include <host_double/custom_metadata_packet.h>
#include <host_double/device_agent_handler.h>
#include <host_double/device_info.h>
#include <plugin/device_agent.h>

namespace tesh::test {

using vms_server_plugins::analytics::qv::DeviceAgent;

inline sdk::Ptr<DeviceAgent> makeAgent(const char* url = "http://127.0.0.1:80/")
{
    const auto info = sdk::makePtr<DeviceInfo>();
    info->setId("camera-1");
    info->setUrl(url);
    info->setLogin("admin");
    info->setPassword("secret");
    return sdk::makePtr<DeviceAgent>(info.get());
}

/** Pushes one document as the host does; a null text stands for a packet without data. */
inline void pushDocument(DeviceAgent& agent, int64_t timestampUs, std::optional<std::string> text)
{
    const auto packet = sdk::makePtr<CustomMetadataPacket>(timestampUs, "", std::move(text));
    sdk::Result<void> result;
    agent.doPushDataPacket(&result, packet.get());
    EXPECT_TRUE(result.isOk());
}

/** The pass ends after its last delivery; a test that pushes next must wait for that too. */
inline bool waitUntilReady(const DeviceAgent& agent, std::chrono::milliseconds timeout = std::chrono::seconds(5))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!agent.isMetadataReady())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace tesh::test
