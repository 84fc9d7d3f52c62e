// Makes real library objects for the contract test and hands them out untyped, the way the host
// receives them: as addresses to be read through its own view of the interfaces. Nothing here names a
// library type, so the test never sees the library's declarations.
#pragma once

#include <cstdint>

namespace contract_factory {

struct TrackId
{
    unsigned char bytes[16];
};

struct Box
{
    float x;
    float y;
    float width;
    float height;
};

struct Pair
{
    const char* key;
    const char* value;
};

struct AttributeFields
{
    int type;
    const char* name;
    const char* value;
    float confidence;
};

/** What the plug-in, its engine and its device agents answer with. */
struct PluginSetup
{
    const char* pluginManifest;
    const char* engineManifest;
    const char* deviceAgentManifest;
    const char* compatibleVendor; //< The engine accepts a device exactly when its vendor equals this.
};

// Each function returns a new object with one reference for the caller.

void* newString(const char* text);
void* newStringMap(const Pair* pairs, int count);
void* newSettingsResponse(const Pair* values, int count);
void* newAttribute(const AttributeFields& attribute);

void* newObjectMetadata(
    const char* typeId, const TrackId& trackId, const Box& box, const AttributeFields* attributes, int attributeCount);

void* newEventMetadata(
    const char* typeId, const char* caption, const char* description, bool isActive, const TrackId& trackId);

/** The packet takes references of its own to the items (made by the functions above); the caller keeps its. */
void* newObjectMetadataPacket(int64_t timestampUs, int64_t durationUs, void* const* objectItems, int count);
void* newEventMetadataPacket(int64_t timestampUs, int64_t durationUs, void* const* eventItems, int count);

void* newBestShotPacket(const TrackId& trackId, int64_t timestampUs, const Box& box, const char* imageUrl);

/**
 * The engine's settings answer echoes its merged settings, and its action answer carries the action id
 * as url and "<track id hex> <device id hex> <time> <with|without> track info <key=value;...>" as message.
 * A device agent echoes its merged settings too; it reads its device's vendor, model, url, login and
 * password, each compressed frame's size and each active setting's name and current values, and
 * answers the plug-in side settings request with them (keys "vendor", "model", "url", "login",
 * "password", "frameWidth", "frameHeight", "activeSetting", "activeValues" as "key=value;..."). Each
 * custom metadata packet becomes one object packet, delivered at once, stamped with the custom
 * packet's time and a duration of 1, holding one object whose type id is the custom packet's bytes.
 */
void* newPlugin(const PluginSetup& setup);

/** The library's context: not reference-counted, never to be deleted by the caller. */
void* libContext();

} // namespace contract_factory
