// One document of the camera's metadata stream, reduced to what the conversions use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tesh::vms_server_plugins::analytics::qv {

/** A colour as the camera writes it: luma and the two colour differences, each -1 until read. */
struct ColorValue
{
    int32_t x = -1;
    int32_t y = -1;
    int32_t z = -1;
};

/** Which optional groups of an object were present in the document. */
enum ObjectPresence : uint8_t
{
    kFaceRead = 0x01,
    kTopColorRead = 0x02,
    kBottomColorRead = 0x04,
    kVehicleColorRead = 0x08,
    kBagRead = 0x80,
};

struct MetadataObject
{
    int32_t objectId = 0;
    // In the camera's pixel coordinates; 0 where the document has no bounding box value.
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;
    std::string classType; //< At most kShortTextLength characters.
    std::string vehicleType; //< At most kShortTextLength characters.
    ColorValue vehicleColor;
    std::optional<std::string> imageRef;
    std::string gender; //< At most kGenderLength characters.
    bool eyewear = false;
    bool mask = false;
    bool hat = false;
    bool helmet = false;
    ColorValue topColor;
    ColorValue bottomColor;
    std::string bagCategory; //< At most kShortTextLength characters.
    uint8_t presence = 0; //< ObjectPresence flags.
};

struct SimpleItem
{
    std::string name;
    std::string value;
};

struct MetadataEvent
{
    std::optional<std::string> topic;
    std::vector<SimpleItem> sourceItems; //< At most kMaxSimpleItems.
    std::vector<SimpleItem> dataItems; //< At most kMaxSimpleItems.
};

struct MetadataDocument
{
    // Attributes "x" and "y" of tt:Scale; 0 where the document has none, which leaves the frame's spans unknown.
    float scaleX = 0;
    float scaleY = 0;
    std::vector<MetadataObject> objects; //< At most kMaxObjectsPerDocument.
    std::vector<MetadataEvent> events; //< At most kMaxEventsPerDocument.
    std::size_t objectsLeftOut = 0; //< Objects of the last frame beyond the cap.
    std::size_t eventsLeftOut = 0;
};

/**
 * Four times the track ids we keep (kMaxTrackedObjects), which is itself far above the few dozen objects a camera's
 * analytics follows in one frame; it bounds what one document can make a pass hold and hand to the pool.
 */
inline constexpr std::size_t kMaxObjectsPerDocument = 1024;

/**
 * A camera has at most 8 lines, 8 regions with 6 behaviours each, tampering and its settings report: about 60
 * notifications if every rule fired in the same instant. Four times that bounds one document.
 */
inline constexpr std::size_t kMaxEventsPerDocument = 256;

/** The camera's texts of class, vehicle type and bag fit fixed 32-byte fields with their terminator. */
inline constexpr std::size_t kShortTextLength = 31;
inline constexpr std::size_t kGenderLength = 11;

/** The camera's notifications carry a few items; this bounds what one notification can make us hold. */
inline constexpr std::size_t kMaxSimpleItems = 12;

} // namespace tesh::vms_server_plugins::analytics::qv
