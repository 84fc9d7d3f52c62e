// A registry set after objects exist; a program of its own, since a registry once set stays.
#include <gtest/gtest.h>

#include <host_double/counting_registry.h>
#include <tesh/sdk/helpers/lib_context.h>
#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/string.h>

namespace tesh::test {
namespace {

TEST(LibContextLateRegistryTest, objectsBornBeforeTheRegistryAreNeverReportedToIt)
{
    ASSERT_EQ(nullptr, sdk::libContext().refCountableRegistry());
    auto early = sdk::makePtr<sdk::String>("early");

    CountingRegistry& registry = installedRegistry();
    auto late = sdk::makePtr<sdk::String>("late");
    EXPECT_EQ(1, registry.createdCount());
    EXPECT_FALSE(registry.isLive(early.get()));
    EXPECT_TRUE(registry.isLive(late.get()));

    early.reset();
    late.reset();
    EXPECT_EQ(1, registry.destroyedCount());
    EXPECT_EQ(0, registry.unknownDestroyedCount());
    EXPECT_EQ(0, registry.liveCount());
}

} // namespace
} // namespace tesh::test
