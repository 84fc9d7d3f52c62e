// Checks that a test destroyed every library object it created.
#include "leak_check.h"

#include <host_double/host_object.h>

namespace tesh::test {

LeakCheck::LeakCheck():
    m_registry(installedRegistry()),
    m_liveAtStart(m_registry.liveCount()),
    m_unknownDestroyedAtStart(m_registry.unknownDestroyedCount()),
    m_liveHostObjectsAtStart(liveHostObjectCount())
{}

int LeakCheck::leakedCount() const
{
    return m_registry.liveCount() - m_liveAtStart;
}

testing::AssertionResult LeakCheck::noLeaks() const
{
    const int leaked = leakedCount();
    const int unknownDestroyed = m_registry.unknownDestroyedCount() - m_unknownDestroyedAtStart;
    if (leaked == 0 && unknownDestroyed == 0)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << leaked << " library object(s) left alive, " << unknownDestroyed
                                       << " destroyed without being alive";
}

testing::AssertionResult LeakCheck::noHostObjectLeaks() const
{
    const int leaked = liveHostObjectCount() - m_liveHostObjectsAtStart;
    if (leaked == 0)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << leaked << " host object(s) left alive";
}

NoLeakTest::~NoLeakTest()
{
    EXPECT_NO_LEAKS(m_leakCheck);
}

} // namespace tesh::test
