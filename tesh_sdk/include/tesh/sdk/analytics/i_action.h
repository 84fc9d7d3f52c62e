// The host's request to run an engine action on an object track.
#pragma once

#include <cstdint>

#include <tesh/sdk/analytics/i_object_track_info.h>
#include <tesh/sdk/i_string.h>
#include <tesh/sdk/i_string_map.h>
#include <tesh/sdk/uuid.h>

namespace tesh::sdk::analytics {

/** What an action gives back: two optional texts, both null when empty; each holds one reference. */
struct ActionResult
{
    alignas(8) IString* url = nullptr;
    alignas(8) IString* message = nullptr;
};

class IAction: public Interface<IAction>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IAction"}; }

    /** Slot 4. */
    virtual const char* actionId() const = 0;

    /** Slot 5. */
    virtual void getObjectTrackId(Uuid* outValue) const = 0;

    /** Slot 6. */
    virtual void getDeviceId(Uuid* outValue) const = 0;

    /** Slot 7. @return With a new reference, or null. */
    virtual IObjectTrackInfo* objectTrackInfo() const = 0;

    /** Slot 8: microseconds. */
    virtual int64_t timestampUs() const = 0;

    /** Slot 9. @return With a new reference, or null. */
    virtual IStringMap* params() const = 0;
};

} // namespace tesh::sdk::analytics
