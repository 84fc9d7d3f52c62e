// The table by object id against a standard map, through a long run of random changes.
#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include <metadata/object_id_table.h>

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

/**
 * A few hundred ids drawn from the whole range, so that runs of neighbouring slots form and removals have to move
 * entries back; filters that remove most entries, so that the table grows and shrinks.
 */
TEST(ObjectIdTable, holdsWhatAStandardMapHolds)
{
    std::mt19937 random(11);
    std::vector<int32_t> pool(240);
    for (int32_t& id: pool)
        id = static_cast<int32_t>(random());
    const auto anyId = [&random, &pool]() { return pool[random() % pool.size()]; };
    ObjectIdTable<int64_t> table;
    std::map<int32_t, int64_t> expected;
    for (int step = 0; step < 200000; ++step)
    {
        const int32_t id = anyId();
        const auto value = static_cast<int64_t>(step);
        switch (random() % 8)
        {
            case 0:
                table.erase(id);
                expected.erase(id);
                break;
            case 1:
                if (step % 97 == 0)
                {
                    const int64_t below = value - 300;
                    table.eraseIf([below](int64_t kept) { return kept < below; });
                    for (auto it = expected.begin(); it != expected.end();)
                        it = it->second < below ? expected.erase(it) : std::next(it);
                }
                break;
            default: {
                const auto [entry, made] = table.tryEmplace(id, value);
                const auto [it, inserted] = expected.try_emplace(id, value);
                ASSERT_EQ(made, inserted) << "step " << step;
                ASSERT_EQ(*entry, it->second) << "step " << step;
            }
        }
        ASSERT_EQ(table.size(), expected.size()) << "step " << step;
        const int32_t probe = anyId();
        const int64_t* found = table.find(probe);
        const auto it = expected.find(probe);
        ASSERT_EQ(found != nullptr, it != expected.end()) << "step " << step;
        if (found)
        {
            ASSERT_EQ(*found, it->second) << "step " << step;
        }
    }
    std::map<int32_t, int64_t> visited;
    table.forEach([&visited](int32_t id, int64_t value) { visited.emplace(id, value); });
    EXPECT_EQ(visited, expected);
}

} // namespace
} // namespace tesh::vms_server_plugins::analytics::qv
