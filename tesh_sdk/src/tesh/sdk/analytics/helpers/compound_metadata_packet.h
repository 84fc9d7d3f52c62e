// What object and event packets share: a time span and an ordered list of items.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/ref_countable.h>

namespace tesh::sdk::analytics {

template<class PacketInterface, class ItemInterface>
class CompoundMetadataPacket: public RefCountable<PacketInterface>
{
public:
    int64_t timestampUs() const override { return m_timestampUs; }
    int64_t durationUs() const override { return m_durationUs; }
    int count() const override { return static_cast<int>(m_items.size()); }

    const ItemInterface* at(int index) const override { return shareAt(m_items, index); }

    int auxiliaryValue() const override { return 0; }

    void setTimestampUs(int64_t timestampUs) { m_timestampUs = timestampUs; }
    void setDurationUs(int64_t durationUs) { m_durationUs = durationUs; }

    /** Room for this many items, so that adding them one by one does not move the list each time. */
    void reserveItems(std::size_t count) { m_items.reserve(count); }

protected:
    ~CompoundMetadataPacket() override = default;

    /** The packet takes a reference of its own; the caller keeps its one. */
    void appendItem(const ItemInterface* item) { m_items.push_back(share(item)); }

private:
    int64_t m_timestampUs = -1;
    int64_t m_durationUs = -1;
    std::vector<Ptr<const ItemInterface>> m_items;
};

} // namespace tesh::sdk::analytics
