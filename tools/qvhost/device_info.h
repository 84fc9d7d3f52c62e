// The server's description of the camera under test.
#pragma once

#include <string>

#include <tesh/sdk/i_device_info.h>

#include "host_object.h"

namespace qvhost {

struct DeviceDescription
{
    std::string id = "qvhost-camera-1";
    std::string vendor;
    std::string model;
    std::string url;
    std::string login;
    std::string password;
};

class DeviceInfo: public HostObject<tesh::sdk::IDeviceInfo>
{
public:
    explicit DeviceInfo(DeviceDescription description): m_description(std::move(description)) {}

    const char* id() const override { return m_description.id.c_str(); }
    const char* vendor() const override { return m_description.vendor.c_str(); }
    const char* model() const override { return m_description.model.c_str(); }
    const char* firmware() const override { return ""; }
    const char* name() const override { return m_description.model.c_str(); }
    const char* url() const override { return m_description.url.c_str(); }
    const char* login() const override { return m_description.login.c_str(); }
    const char* password() const override { return m_description.password.c_str(); }

private:
    const DeviceDescription m_description;
};

} // namespace qvhost
