// A device agent that consumes the host's data packets, in the three versions the host knows.
#pragma once

#include <tesh/sdk/analytics/i_active_setting_changed_action.h>
#include <tesh/sdk/analytics/i_data_packet.h>
#include <tesh/sdk/analytics/i_device_agent.h>
#include <tesh/sdk/result.h>

namespace tesh::sdk::analytics {

class IConsumingDeviceAgent0: public Interface<IConsumingDeviceAgent0, IDeviceAgent>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IConsumingDeviceAgent"}; }

    /** Slot 9: a video frame or a custom metadata packet, borrowed for the call. */
    virtual void doPushDataPacket(Result<void>* outResult, IDataPacket* dataPacket) = 0;
};

class IConsumingDeviceAgent1: public Interface<IConsumingDeviceAgent1, IConsumingDeviceAgent0>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IConsumingDeviceAgent1"}; }

    /** Slot 10: the host will push nothing more. */
    virtual void finalize() = 0;
};

class IConsumingDeviceAgent: public Interface<IConsumingDeviceAgent, IConsumingDeviceAgent1>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IConsumingDeviceAgent2"}; }

    /** Slot 11: the user is operating an active setting of the dialog. */
    virtual void onActiveSettingChanged(
        Result<IActiveSettingChangedResponse*>* outResult, const IActiveSettingChangedAction* action)
        = 0;
};

} // namespace tesh::sdk::analytics
