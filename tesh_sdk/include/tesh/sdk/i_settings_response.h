// The answer to a settings request: values, per-setting errors and an optional model.
#pragma once

#include <tesh/sdk/i_ref_countable.h>
#include <tesh/sdk/i_string.h>
#include <tesh/sdk/i_string_map.h>

namespace tesh::sdk {

class ISettingsResponse0: public Interface<ISettingsResponse0>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::ISettingsResponse"}; }

    /** Slot 4. @return The values with a new reference, or null. */
    virtual IStringMap* values() const = 0;

    /** Slot 5. @return The errors with a new reference, or null. */
    virtual IStringMap* errors() const = 0;
};

class ISettingsResponse: public Interface<ISettingsResponse, ISettingsResponse0>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::ISettingsResponse1"}; }

    /** Slot 6. @return The model with a new reference, or null. */
    virtual IString* model() const = 0;
};

} // namespace tesh::sdk
