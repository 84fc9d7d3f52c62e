// The host's description of a camera, as handed to the engine and to a device agent.
#pragma once

#include <host_kit/host_object.h>
#include <host_kit/nullable_text.h>
#include <tesh/sdk/i_device_info.h>

namespace host_kit {

/** Every text is empty unless set; any of them can be made null. Set up before handing it out. */
class DeviceInfo: public HostObject<tesh::sdk::IDeviceInfo>
{
public:
    DeviceInfo() = default;

    const char* id() const override { return m_id.get(); }
    const char* vendor() const override { return m_vendor.get(); }
    const char* model() const override { return m_model.get(); }
    const char* firmware() const override { return m_firmware.get(); }
    const char* name() const override { return m_name.get(); }
    const char* url() const override { return m_url.get(); }
    const char* login() const override { return m_login.get(); }
    const char* password() const override { return m_password.get(); }

    void setId(NullableText id) { m_id = std::move(id); }
    void setVendor(NullableText vendor) { m_vendor = std::move(vendor); }
    void setModel(NullableText model) { m_model = std::move(model); }
    void setFirmware(NullableText firmware) { m_firmware = std::move(firmware); }
    void setName(NullableText name) { m_name = std::move(name); }
    void setUrl(NullableText url) { m_url = std::move(url); }
    void setLogin(NullableText login) { m_login = std::move(login); }
    void setPassword(NullableText password) { m_password = std::move(password); }

private:
    NullableText m_id{""};
    NullableText m_vendor{""};
    NullableText m_model{""};
    NullableText m_firmware{""};
    NullableText m_name{""};
    NullableText m_url{""};
    NullableText m_login{""};
    NullableText m_password{""};
};

} // namespace host_kit
