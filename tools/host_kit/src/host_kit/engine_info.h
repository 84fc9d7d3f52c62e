// The host's description of the engine it created.
#pragma once

#include <host_kit/host_object.h>
#include <host_kit/nullable_text.h>
#include <tesh/sdk/analytics/i_engine_info.h>

namespace host_kit {

class EngineInfo: public HostObject<tesh::sdk::analytics::IEngineInfo>
{
public:
    explicit EngineInfo(NullableText id = ""): m_id(std::move(id)) {}

    const char* id() const override { return m_id.get(); }

    void setId(NullableText id) { m_id = std::move(id); }

private:
    NullableText m_id;
};

} // namespace host_kit
