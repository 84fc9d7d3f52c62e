// The host's description of one camera.
#pragma once

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::sdk {

/** Texts are NUL-terminated and valid during the call; the plug-in copies what it keeps. */
class IDeviceInfo: public Interface<IDeviceInfo>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::IDeviceInfo"}; }

    /** Slot 4: the host's id of the device. */
    virtual const char* id() const = 0;

    /** Slot 5. */
    virtual const char* vendor() const = 0;

    /** Slot 6. */
    virtual const char* model() const = 0;

    /** Slot 7: not used by this plug-in. */
    virtual const char* firmware() const = 0;

    /** Slot 8: not used by this plug-in. */
    virtual const char* name() const = 0;

    /** Slot 9. */
    virtual const char* url() const = 0;

    /** Slot 10. */
    virtual const char* login() const = 0;

    /** Slot 11. */
    virtual const char* password() const = 0;
};

} // namespace tesh::sdk
