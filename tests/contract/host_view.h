// The interfaces as a host compiled apart from the library declares them: nothing but slot order,
// argument lists and record layouts. Deliberately independent of the library's own headers, so that
// a slot moved in the library shows up as a wrong call here instead of being compiled along with it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace host_view {

struct Uuid
{
    uint8_t bytes[16];
};

struct Rect
{
    float x;
    float y;
    float width;
    float height;
};

class IString;

struct Error
{
    alignas(8) int32_t errorCode;
    alignas(8) IString* errorMessage;
};

template<typename Value>
struct Result
{
    alignas(8) Error error;
    alignas(8) Value value;
};

template<>
struct Result<void>
{
    alignas(8) Error error;
};

/** What the engine's action slot fills in: two optional texts, each with one reference. */
struct ActionResult
{
    alignas(8) IString* url;
    alignas(8) IString* message;
};

static_assert(sizeof(Uuid) == 16 && sizeof(Rect) == 16, "plain 16-byte values");
static_assert(offsetof(Error, errorMessage) == 8 && sizeof(Error) == 16, "code and message in 8-byte fields");
static_assert(offsetof(Result<IString*>, value) == 16 && sizeof(Result<IString*>) == 24, "value after the error");
static_assert(offsetof(Result<ActionResult>, value) == 16 && sizeof(Result<ActionResult>) == 32,
    "a record value also starts after the error");
static_assert(sizeof(Result<void>) == 16, "no value, no field");

// ---------------------------------------------------------------------------------------------------
// Root.

class IRefCountable
{
public:
    virtual ~IRefCountable() = default; //< Slot 0; the object's own releaseRef runs it.
    virtual IRefCountable* queryInterface(const char* id) const = 0; //< Slot 1.
    virtual int addRef() const = 0; //< Slot 2.
    virtual int releaseRef() const = 0; //< Slot 3.
};

// ---------------------------------------------------------------------------------------------------
// Value objects.

class IString: public IRefCountable
{
public:
    virtual const char* str() const = 0; //< Slot 4.
};

class IStringMap: public IRefCountable
{
public:
    virtual int count() const = 0; //< Slot 4.
    virtual const char* key(int index) const = 0; //< Slot 5.
    // Overloads: Microsoft's ABI lays them out in reverse order of declaration, Itanium in declaration order.
    virtual const char* value(int index) const = 0; //< Slot 7.
    virtual const char* value(const char* key) const = 0; //< Slot 6.
};

class ISettingsResponse: public IRefCountable
{
public:
    virtual IStringMap* values() const = 0; //< Slot 4.
    virtual IStringMap* errors() const = 0; //< Slot 5.
    virtual IString* model() const = 0; //< Slot 6.
};

class IAttribute: public IRefCountable
{
public:
    virtual int type() const = 0; //< Slot 4.
    virtual const char* name() const = 0; //< Slot 5.
    virtual const char* value() const = 0; //< Slot 6.
    virtual float confidence() const = 0; //< Slot 7.
};

// ---------------------------------------------------------------------------------------------------
// Metadata items and packets.

class IMetadata: public IRefCountable
{
public:
    virtual const char* typeId() const = 0; //< Slot 4.
    virtual float confidence() const = 0; //< Slot 5.
    virtual IAttribute* attribute(int index) const = 0; //< Slot 6.
    virtual int attributeCount() const = 0; //< Slot 7.
};

class IObjectMetadata: public IMetadata
{
public:
    virtual void getTrackId(Uuid* outValue) const = 0; //< Slot 8.
    virtual const char* auxiliaryText() const = 0; //< Slot 9.
    virtual void getBoundingBox(Rect* outValue) const = 0; //< Slot 10.
};

class IEventMetadata: public IMetadata
{
public:
    virtual const char* caption() const = 0; //< Slot 8.
    virtual const char* description() const = 0; //< Slot 9.
    virtual bool isActive() const = 0; //< Slot 10.
    virtual void getTrackId(Uuid* outValue) const = 0; //< Slot 11.
    virtual const char* auxiliaryText() const = 0; //< Slot 12.
};

class IDataPacket: public IRefCountable
{
public:
    virtual int64_t timestampUs() const = 0; //< Slot 4.
};

class IMetadataPacket: public IDataPacket
{};

class ICompoundMetadataPacket: public IMetadataPacket
{
public:
    virtual int64_t durationUs() const = 0; //< Slot 5.
    virtual int count() const = 0; //< Slot 6.
    virtual IMetadata* at(int index) const = 0; //< Slot 7.
};

class IObjectMetadataPacket: public ICompoundMetadataPacket
{
public:
    virtual int auxiliaryValue() const = 0; //< Slot 8.
};

class IEventMetadataPacket: public ICompoundMetadataPacket
{
public:
    virtual int auxiliaryValue() const = 0; //< Slot 8.
};

class IObjectTrackBestShotPacket: public IMetadataPacket
{
public:
    virtual void getTrackId(Uuid* outValue) const = 0; //< Slot 5.
    virtual void getBoundingBox(Rect* outValue) const = 0; //< Slot 6.
    virtual const char* imageUrl() const = 0; //< Slot 7.
    virtual const char* imageData() const = 0; //< Slot 8.
    virtual int imageDataSize() const = 0; //< Slot 9.
    virtual const char* imageDataFormat() const = 0; //< Slot 10.
    virtual IAttribute* attribute(int index) const = 0; //< Slot 11.
    virtual int attributeCount() const = 0; //< Slot 12.
    virtual int auxiliaryValue() const = 0; //< Slot 13.
};

// ---------------------------------------------------------------------------------------------------
// Objects that only the host implements.

class ICustomMetadataPacket: public IDataPacket
{
public:
    virtual const char* codec() const = 0; //< Slot 5.
    virtual const char* data() const = 0; //< Slot 6.
    virtual int dataSize() const = 0; //< Slot 7.
};

class ICompressedVideoPacket: public IDataPacket
{
public:
    virtual const char* codec() const = 0; //< Slot 5.
    virtual const char* data() const = 0; //< Slot 6.
    virtual int dataSize() const = 0; //< Slot 7.
    virtual const IRefCountable* context() const = 0; //< Slot 8.
    virtual int flags() const = 0; //< Slot 9.
    virtual int width() const = 0; //< Slot 10.
    virtual int height() const = 0; //< Slot 11.
};

class IDeviceInfo: public IRefCountable
{
public:
    virtual const char* id() const = 0; //< Slot 4.
    virtual const char* vendor() const = 0; //< Slot 5.
    virtual const char* model() const = 0; //< Slot 6.
    virtual const char* firmware() const = 0; //< Slot 7.
    virtual const char* name() const = 0; //< Slot 8.
    virtual const char* url() const = 0; //< Slot 9.
    virtual const char* login() const = 0; //< Slot 10.
    virtual const char* password() const = 0; //< Slot 11.
};

class IEngineInfo: public IRefCountable
{
public:
    virtual const char* id() const = 0; //< Slot 4.
};

class IDeviceAgentHandler: public IRefCountable
{
public:
    virtual void handleMetadata(IMetadataPacket* metadataPacket) = 0; //< Slot 4.
};

/** The engine handler, the utility provider, the needed metadata types and object track info are
 * only held or passed through by the library: no slots of their own are called. */
class IOpaqueHostObject: public IRefCountable
{};

class IAction: public IRefCountable
{
public:
    virtual const char* actionId() const = 0; //< Slot 4.
    virtual void getObjectTrackId(Uuid* outValue) const = 0; //< Slot 5.
    virtual void getDeviceId(Uuid* outValue) const = 0; //< Slot 6.
    virtual IRefCountable* objectTrackInfo() const = 0; //< Slot 7.
    virtual int64_t timestampUs() const = 0; //< Slot 8.
    virtual IStringMap* params() const = 0; //< Slot 9.
};

class IActiveSettingChangedAction: public IRefCountable
{
public:
    virtual const char* activeSettingName() const = 0; //< Slot 4.
    virtual IStringMap* params() const = 0; //< Slot 5.
    virtual IStringMap* settingsValues() const = 0; //< Slot 6.
};

// ---------------------------------------------------------------------------------------------------
// The library's plug-in, engine and device agent.

class IEngine;
class IDeviceAgent;

class IPlugin: public IRefCountable
{
public:
    virtual void setUtilityProvider(IOpaqueHostObject* utilityProvider) = 0; //< Slot 4.
    virtual void getManifest(Result<IString*>* outResult) const = 0; //< Slot 5.
    virtual void obtainEngine(Result<IEngine*>* outResult) = 0; //< Slot 6.
};

class IEngine: public IRefCountable
{
public:
    virtual void setEngineInfo(const IEngineInfo* engineInfo) = 0; //< Slot 4.
    virtual void doSetSettings(Result<ISettingsResponse*>* outResult, const IStringMap* settings) = 0; //< Slot 5.
    virtual void getPluginSideSettings(Result<ISettingsResponse*>* outResult) const = 0; //< Slot 6.
    virtual void getManifest(Result<IString*>* outResult) const = 0; //< Slot 7.
    virtual bool isCompatible(const IDeviceInfo* deviceInfo) const = 0; //< Slot 8.
    virtual void obtainDeviceAgent(Result<IDeviceAgent*>* outResult, const IDeviceInfo* deviceInfo) = 0; //< Slot 9.
    virtual void doExecuteAction(Result<ActionResult>* outResult, const IAction* action) = 0; //< Slot 10.
    virtual void setHandler(IOpaqueHostObject* handler) = 0; //< Slot 11.
    virtual void onActiveSettingChanged( //< Slot 12.
        Result<IRefCountable*>* outResult,
        const IActiveSettingChangedAction* action)
        = 0;
};

/** The consuming device agent, all versions of its family in one table. */
class IDeviceAgent: public IRefCountable
{
public:
    virtual void doSetSettings(Result<ISettingsResponse*>* outResult, const IStringMap* settings) = 0; //< Slot 4.
    virtual void getPluginSideSettings(Result<ISettingsResponse*>* outResult) const = 0; //< Slot 5.
    virtual void getManifest(Result<IString*>* outResult) const = 0; //< Slot 6.
    virtual void setHandler(IDeviceAgentHandler* handler) = 0; //< Slot 7.
    virtual void neededMetadataTypes( //< Slot 8.
        Result<void>* outResult,
        const IOpaqueHostObject* neededMetadataTypes)
        = 0;
    virtual void doPushDataPacket(Result<void>* outResult, IDataPacket* dataPacket) = 0; //< Slot 9.
    virtual void finalize() = 0; //< Slot 10.
    virtual void onActiveSettingChanged( //< Slot 11.
        Result<IRefCountable*>* outResult,
        const IActiveSettingChangedAction* action)
        = 0;
};

// ---------------------------------------------------------------------------------------------------
// The library context and the registry the host gives it; neither is reference-counted.

class IRefCountableRegistry
{
public:
    virtual ~IRefCountableRegistry() = default; //< Slot 0; the context deletes the registry it owns.
    virtual void notifyCreated(const IRefCountable* object, int refCount) = 0; //< Slot 1.
    virtual void notifyDestroyed(const IRefCountable* object, int refCount) = 0; //< Slot 2.
};

class ILibContext
{
protected:
    // Declared first because the table follows declaration order; the host never deletes the context.
    virtual ~ILibContext() = default; //< Slot 0.

public:
    virtual void setName(const char* name) = 0; //< Slot 1.
    virtual void setRefCountableRegistry(IRefCountableRegistry* refCountableRegistry) = 0; //< Slot 2.
};

} // namespace host_view
