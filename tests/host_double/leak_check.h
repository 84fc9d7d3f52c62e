// Checks that a test destroyed every library object it created.
#pragma once

#include <gtest/gtest.h>

#include <host_double/counting_registry.h>

namespace tesh::test {

/**
 * Takes the counts when constructed (installing the counting registry if needed, so construct it
 * before creating library objects) and compares them with the counts when asked.
 */
class LeakCheck
{
public:
    LeakCheck();

    /** Library objects created since construction and still alive. */
    int leakedCount() const;

    /** Fails also for a destruction of an object that was not alive: a double delete. */
    testing::AssertionResult noLeaks() const;

    /** The host double's objects, which the library must let go of as well. */
    testing::AssertionResult noHostObjectLeaks() const;

private:
    CountingRegistry& m_registry;
    const int m_liveAtStart;
    const int m_unknownDestroyedAtStart;
    const int m_liveHostObjectsAtStart;
};

/**
 * A fixture whose tests fail when they leave library objects alive. The check runs in the destructor,
 * after the members of a derived fixture are gone, so they may hold library objects.
 */
class NoLeakTest: public testing::Test
{
protected:
    ~NoLeakTest() override;

    const LeakCheck& leakCheck() const { return m_leakCheck; }

private:
    LeakCheck m_leakCheck;
};

} // namespace tesh::test

#define EXPECT_NO_LEAKS(LEAK_CHECK) EXPECT_TRUE((LEAK_CHECK).noLeaks())
