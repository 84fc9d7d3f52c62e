// Feeds arbitrary bytes to a device agent as the data of one custom metadata packet and runs the whole pass; parses
// them first both ways a document is parsed, which must agree.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include <rapidxml/rapidxml.hpp>

#include <host_kit/device_info.h>
#include <host_kit/host_object.h>
#include <metadata/parse_metadata_stream.h>
#include <plugin/device_agent.h>
#include <support/deep_stack_parse.h>
#include <support/document_description.h>
#include <tesh/sdk/analytics/i_custom_metadata_packet.h>
#include <tesh/sdk/analytics/i_device_agent_handler.h>
#include <tesh/sdk/analytics/i_object_metadata.h>
#include <tesh/sdk/analytics/i_object_metadata_packet.h>

namespace qv = tesh::vms_server_plugins::analytics::qv;
using namespace tesh;

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

/** Holds exactly the fuzzer's bytes, with no terminating zero after them: a read past the end is a finding. */
class ExactPacket: public host_kit::HostObject<sdk::analytics::ICustomMetadataPacket>
{
public:
    ExactPacket(int64_t timestampUs, const uint8_t* data, std::size_t size):
        m_timestampUs(timestampUs),
        m_data(new char[size]),
        m_size(static_cast<int>(size))
    {
        std::memcpy(m_data.get(), data, size);
    }

    int64_t timestampUs() const override { return m_timestampUs; }
    const char* codec() const override { return ""; }
    const char* data() const override { return m_data.get(); }
    int dataSize() const override { return m_size; }

private:
    const int64_t m_timestampUs;
    const std::unique_ptr<char[]> m_data;
    const int m_size;
};

/** Reads every object the way a host would: a dangling item, a bad text or a non-finite box is a finding. */
class ReadingHandler: public host_kit::HostObject<sdk::analytics::IDeviceAgentHandler>
{
public:
    void handleMetadata(sdk::analytics::IMetadataPacket* packet) override
    {
        require(packet != nullptr);
        const auto objects = sdk::queryInterface<sdk::analytics::IObjectMetadataPacket>(packet);
        for (int i = 0; objects && i < objects->count(); ++i)
        {
            const auto item = sdk::queryInterface<sdk::analytics::IObjectMetadata>(sdk::adopt(objects->at(i)));
            require(item && std::strlen(item->typeId()) > 0);
            sdk::analytics::Rect box;
            item->getBoundingBox(&box);
            require(
                std::isfinite(box.x) && std::isfinite(box.y) && std::isfinite(box.width) && std::isfinite(box.height));
        }
    }
};

qv::DeviceAgent& agent()
{
    // One agent for the whole run, as a camera's agent lives across its documents; its state carries over.
    static qv::DeviceAgent* const agent = []() {
        const auto info = sdk::makePtr<host_kit::DeviceInfo>();
        info->setId("fuzzed-camera");
        info->setUrl("http://127.0.0.1/");
        auto* created = new qv::DeviceAgent(info.get());
        created->setHandler(sdk::makePtr<ReadingHandler>().get());
        created->setHighlightSeconds(10);
        return created;
    }();
    return *agent;
}

/**
 * A pass parses its copy at once on its deep stack, and checks the nesting after; the host's thread scans first. The
 * two must agree on every text.
 */
void requireBothParsesAgree(const uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    const std::string deep = qv::test::describe(qv::test::parseOnADeepStack(text).get());
    const auto xml = std::make_unique<rapidxml::xml_document<char>>(); //< Its 64 KiB pool is kept off the stack.
    require(deep == qv::test::describe(qv::parseMetadataStream(text.data(), text.size(), *xml).get()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    requireBothParsesAgree(data, size);
    static int64_t timestampUs = 0;
    const auto packet = sdk::makePtr<ExactPacket>(++timestampUs, data, size);
    sdk::Result<void> result;
    agent().doPushDataPacket(&result, packet.get());
    require(result.isOk());
    // Every input gets a whole pass of its own, conversions and deliveries included.
    while (!agent().isMetadataReady())
        std::this_thread::yield();
    return 0;
}
