// One full read of the camera's configuration caused the way the host causes it: the first delivery of every
// setting to a new device agent.
#include "first_delivery_read.h"

#include <host_double/taken_error.h>
#include <plugin/device_agent.h>
#include <tesh/sdk/helpers/ptr.h>

namespace tesh::bench {

namespace {

using vms_server_plugins::analytics::qv::DeviceAgent;

/** A null map, which the response gives for "nothing", counts as empty. */
int countOf(const sdk::Ptr<sdk::IStringMap>& map)
{
    return map ? map->count() : 0;
}

void readResponse(sdk::Result<sdk::ISettingsResponse*>* result, FirstDeliveryOutcome* outcome)
{
    const auto response = sdk::adopt(result->value);
    result->value = nullptr;
    if (!result->isOk())
        outcome->failure = test::takeError(&result->error).second;
    if (!response)
        return;
    outcome->values = countOf(sdk::adopt(response->values()));
    outcome->errors = countOf(sdk::adopt(response->errors()));
}

} // namespace

FirstDeliveryOutcome deliverToNewAgent(const sdk::IDeviceInfo* device, const test::HostStringMap* settings)
{
    FirstDeliveryOutcome outcome;
    auto agent = sdk::makePtr<DeviceAgent>(device);
    sdk::Result<sdk::ISettingsResponse*> result;
    const auto start = std::chrono::steady_clock::now();
    agent->doSetSettings(&result, settings);
    outcome.callTime = std::chrono::steady_clock::now() - start;
    readResponse(&result, &outcome);
    agent.reset();
    return outcome;
}

} // namespace tesh::bench
