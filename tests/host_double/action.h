// The host's request to run an engine action on an object track.
#pragma once

#include <cstdint>

#include <host_double/host_object.h>
#include <host_double/nullable_text.h>
#include <tesh/sdk/analytics/i_action.h>
#include <tesh/sdk/analytics/i_object_track_info.h>
#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/uuid.h>

namespace tesh::test {

/** Ids are all zero and the time 0 until set; objects are handed out with a new reference, or as null. */
class Action: public HostObject<sdk::analytics::IAction>
{
public:
    explicit Action(NullableText actionId): m_actionId(std::move(actionId)) {}

    const char* actionId() const override { return m_actionId.get(); }
    void getObjectTrackId(sdk::Uuid* outValue) const override { *outValue = m_objectTrackId; }
    void getDeviceId(sdk::Uuid* outValue) const override { *outValue = m_deviceId; }
    int64_t timestampUs() const override { return m_timestampUs; }

    sdk::analytics::IObjectTrackInfo* objectTrackInfo() const override
    {
        return sdk::share(m_objectTrackInfo.get()).releasePtr();
    }

    sdk::IStringMap* params() const override { return sdk::share(m_params.get()).releasePtr(); }

    void setObjectTrackId(const sdk::Uuid& id) { m_objectTrackId = id; }
    void setDeviceId(const sdk::Uuid& id) { m_deviceId = id; }
    void setTimestampUs(int64_t timestampUs) { m_timestampUs = timestampUs; }
    void setObjectTrackInfo(sdk::Ptr<sdk::analytics::IObjectTrackInfo> info) { m_objectTrackInfo = std::move(info); }
    void setParams(sdk::Ptr<sdk::IStringMap> params) { m_params = std::move(params); }

private:
    const NullableText m_actionId;
    sdk::Uuid m_objectTrackId;
    sdk::Uuid m_deviceId;
    int64_t m_timestampUs = 0;
    sdk::Ptr<sdk::analytics::IObjectTrackInfo> m_objectTrackInfo;
    sdk::Ptr<sdk::IStringMap> m_params;
};

} // namespace tesh::test
