// One full read of the camera's configuration caused the way the host causes it: the first delivery of every
// setting to a new device agent.
#pragma once

#include <chrono>
#include <string>

#include <host_double/host_string_map.h>
#include <tesh/sdk/i_device_info.h>

namespace tesh::bench {

struct FirstDeliveryOutcome
{
    std::chrono::steady_clock::duration callTime{}; //< The host's doSetSettings call alone.
    int values = 0; //< Settings the response carries the camera's value of.
    int errors = 0; //< Settings the response names as not read.
    std::string failure; //< The call's error message; empty when it succeeded.
};

/**
 * Creates an agent for the device, delivers the settings to it once and releases it. Only the delivery is timed:
 * the release waits for any write the read started, so the camera's records of this read are complete on return.
 */
FirstDeliveryOutcome deliverToNewAgent(const sdk::IDeviceInfo* device, const test::HostStringMap* settings);

} // namespace tesh::bench
