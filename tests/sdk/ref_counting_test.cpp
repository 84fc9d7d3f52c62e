// Interface queries, reference counts, object lifetime and the smart reference.
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <host_double/counting_registry.h>
#include <host_double/leak_check.h>
#include <host_double/ref_count_of.h>
#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/ref_countable.h>
#include <tesh/sdk/helpers/settings_response.h>
#include <tesh/sdk/helpers/string.h>
#include <tesh/sdk/helpers/string_map.h>

namespace tesh::test {
namespace {

using sdk::adopt;
using sdk::IRefCountable;
using sdk::Ptr;
using sdk::share;

// A versioned family of three levels, declared the way every interface of the boundary is.
class IWidget0: public sdk::Interface<IWidget0>
{
public:
    static constexpr sdk::InterfaceId interfaceId() { return {"tesh::test::IWidget"}; }
};

class IWidget1: public sdk::Interface<IWidget1, IWidget0>
{
public:
    static constexpr sdk::InterfaceId interfaceId() { return {"tesh::test::IWidget1"}; }
};

class IWidget: public sdk::Interface<IWidget, IWidget1>
{
public:
    static constexpr sdk::InterfaceId interfaceId() { return {"tesh::test::IWidget2"}; }
};

// A level known to the host under two names, like the plug-in's.
class IGadget: public sdk::Interface<IGadget>
{
public:
    static constexpr sdk::InterfaceId interfaceId() { return {"tesh::test::IGadget", "tesh::test::IContraption"}; }
};

/** Counts its destructions, so a double delete or a missing one shows. */
class Widget: public sdk::RefCountable<IWidget>
{
public:
    explicit Widget(std::atomic<int>* destructions): m_destructions(destructions) {}

protected:
    ~Widget() override { ++*m_destructions; }

private:
    std::atomic<int>* const m_destructions;
};

class Gadget: public sdk::RefCountable<IGadget>
{
protected:
    ~Gadget() override = default;
};

class RefCountingTest: public NoLeakTest
{
protected:
    Widget* newWidget() { return new Widget(&m_destructions); }
    int destructions() const { return m_destructions.load(); }

    std::atomic<int> m_destructions{0};
};

// -------------------------------------------------------------------------------------------------
// queryInterface

using QueryInterfaceTest = RefCountingTest;

TEST_F(QueryInterfaceTest, everyLevelOfTheFamilyAndTheRootAnswerWithTheObjectAndANewReference)
{
    const auto widget = adopt(newWidget());
    for (const char* id:
        {"tesh::test::IWidget2", "tesh::test::IWidget1", "tesh::test::IWidget", "tesh::sdk::IRefCountable"})
    {
        SCOPED_TRACE(id);
        const int countBefore = widget->refCount();
        const auto answer = adopt(widget->queryInterface(id));
        EXPECT_EQ(static_cast<IRefCountable*>(widget.get()), answer.get());
        EXPECT_EQ(countBefore + 1, widget->refCount());
    }
    EXPECT_EQ(1, widget->refCount());
}

TEST_F(QueryInterfaceTest, unknownForeignAndInexactIdsGiveNullAndLeaveTheCount)
{
    const auto widget = adopt(newWidget());
    const char* const refusedIds[] = {
        "tesh::test::IWidget3", // a version the object does not have
        "tesh::test::IGadget", // another family
        "tesh::test::IWidg", // a prefix
        "tesh::test::IWidget2 ", // a longer text
        "tesh::test::iwidget2", // case differs
        "tesh::sdk::IRefCountable1",
        "",
        nullptr,
    };
    for (const char* id: refusedIds)
    {
        SCOPED_TRACE(id ? id : "null");
        EXPECT_EQ(nullptr, widget->queryInterface(id));
        EXPECT_EQ(1, widget->refCount());
    }
}

TEST_F(QueryInterfaceTest, aLevelWithTwoNamesAnswersToEither)
{
    const auto gadget = adopt(new Gadget());
    for (const char* id: {"tesh::test::IGadget", "tesh::test::IContraption"})
    {
        SCOPED_TRACE(id);
        const auto answer = adopt(gadget->queryInterface(id));
        EXPECT_EQ(static_cast<IRefCountable*>(gadget.get()), answer.get());
        EXPECT_EQ(2, gadget->refCount());
    }
}

struct ValueObjectIds
{
    const char* name;
    std::function<Ptr<IRefCountable>()> create;
    std::vector<const char*> answered;
    std::vector<const char*> refused;
};

TEST_F(QueryInterfaceTest, valueObjectsAnswerTheirOwnIdsAndTheRootOnly)
{
    const ValueObjectIds table[] = {
        {
            "String",
            [] { return Ptr<IRefCountable>(adopt(new sdk::String("x"))); },
            {"tesh::sdk::IString", "tesh::sdk::IRefCountable"},
            {"tesh::sdk::IStr", "tesh::sdk::IStringMap", "tesh::sdk::IString1"},
        },
        {
            "StringMap",
            [] { return Ptr<IRefCountable>(sdk::makePtr<sdk::StringMap>()); },
            {"tesh::sdk::IStringMap", "tesh::sdk::IRefCountable"},
            {"tesh::sdk::IString", "tesh::sdk::IStringMap1"},
        },
        {
            "SettingsResponse",
            [] { return Ptr<IRefCountable>(sdk::makePtr<sdk::SettingsResponse>()); },
            {"tesh::sdk::ISettingsResponse1", "tesh::sdk::ISettingsResponse", "tesh::sdk::IRefCountable"},
            {"tesh::sdk::ISettingsResponse2", "tesh::sdk::ISettingsResponse0", "tesh::sdk::IStringMap"},
        },
    };
    for (const auto& entry: table)
    {
        SCOPED_TRACE(entry.name);
        const auto object = entry.create();
        for (const char* id: entry.answered)
        {
            SCOPED_TRACE(id);
            EXPECT_EQ(object.get(), adopt(object->queryInterface(id)).get());
        }
        for (const char* id: entry.refused)
        {
            SCOPED_TRACE(id);
            EXPECT_EQ(nullptr, object->queryInterface(id));
        }
        EXPECT_EQ(1, refCountOf(object.get()));
    }
}

TEST_F(QueryInterfaceTest, typedQueryGivesTheInterfaceWithANewReferenceOrNull)
{
    const auto widget = adopt(newWidget());

    const Ptr<IWidget1> older = sdk::queryInterface<IWidget1>(widget);
    EXPECT_EQ(static_cast<IWidget1*>(widget.get()), older.get());
    EXPECT_EQ(2, widget->refCount());

    EXPECT_FALSE(sdk::queryInterface<IGadget>(widget));
    EXPECT_FALSE(sdk::queryInterface<IGadget>(Ptr<Widget>()));
    EXPECT_EQ(2, widget->refCount());
}

// -------------------------------------------------------------------------------------------------
// addRef, releaseRef and the registry

using LifetimeTest = RefCountingTest;

TEST_F(LifetimeTest, countsReturnTheNewValueAndOnlyTheLastReleaseDeletesOnce)
{
    CountingRegistry& registry = installedRegistry();
    const int createdBefore = registry.createdCount();
    const int destroyedBefore = registry.destroyedCount();

    Widget* const widget = newWidget();
    EXPECT_EQ(createdBefore + 1, registry.createdCount());
    EXPECT_TRUE(registry.isLive(widget));

    EXPECT_EQ(2, widget->addRef());
    EXPECT_EQ(1, widget->releaseRef());
    EXPECT_EQ(0, destructions());
    EXPECT_TRUE(registry.isLive(widget));

    EXPECT_EQ(0, widget->releaseRef());
    EXPECT_EQ(1, destructions());
    EXPECT_EQ(destroyedBefore + 1, registry.destroyedCount());
    EXPECT_FALSE(registry.isLive(widget));
}

TEST_F(LifetimeTest, concurrentAddRefAndReleaseRefDeleteExactlyOnce)
{
    constexpr int kThreads = 8;
    constexpr int kRounds = 20000;
    CountingRegistry& registry = installedRegistry();
    const int destroyedBefore = registry.destroyedCount();

    Widget* const widget = newWidget();
    std::atomic<bool> go{false};
    std::atomic<int> countsTooLow{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        widget->addRef(); // the thread's own reference, dropped when it is done
        threads.emplace_back([&]() {
            while (!go.load())
                std::this_thread::yield();
            for (int i = 0; i < kRounds; ++i)
            {
                // The thread's own reference keeps every count of its pair at 1 or above.
                if (widget->addRef() < 2 || widget->releaseRef() < 1)
                    ++countsTooLow;
            }
            widget->releaseRef();
        });
    }
    widget->releaseRef();
    go = true;
    for (auto& thread: threads)
        thread.join();

    EXPECT_EQ(0, countsTooLow.load());
    EXPECT_EQ(1, destructions());
    EXPECT_EQ(destroyedBefore + 1, registry.destroyedCount());
}

TEST_F(LifetimeTest, concurrentCopiesOfOneSharedPtrLeaveTheCountAsItWas)
{
    constexpr int kThreads = 8;
    constexpr int kRounds = 20000;
    const Ptr<Widget> shared = adopt(newWidget());
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&]() {
            for (int i = 0; i < kRounds; ++i)
                Ptr<Widget> copy(shared);
        });
    }
    for (auto& thread: threads)
        thread.join();

    EXPECT_EQ(1, shared->refCount());
    EXPECT_EQ(0, destructions());
}

// -------------------------------------------------------------------------------------------------
// Ptr

using PtrTest = RefCountingTest;

TEST_F(PtrTest, adoptTakesOverTheReferenceAndShareAddsOne)
{
    Widget* const widget = newWidget();
    {
        const auto adopted = adopt(widget);
        EXPECT_EQ(1, widget->refCount());
        {
            const auto shared = share(widget);
            EXPECT_EQ(2, widget->refCount());
        }
        EXPECT_EQ(1, widget->refCount());
        EXPECT_EQ(0, destructions());
    }
    EXPECT_EQ(1, destructions());
    EXPECT_FALSE(share<Widget>(nullptr));
}

TEST_F(PtrTest, copyAddsAReferenceAndMoveHandsItOver)
{
    auto original = adopt(newWidget());
    Widget* const widget = original.get();

    Ptr<Widget> copy(original);
    EXPECT_EQ(2, widget->refCount());

    Ptr<Widget> moved(std::move(copy));
    EXPECT_FALSE(copy);
    EXPECT_EQ(widget, moved.get());
    EXPECT_EQ(2, widget->refCount());

    Ptr<IWidget0> base(original); // the converting copy counts like the plain one
    EXPECT_EQ(3, widget->refCount());
    EXPECT_TRUE(base == original);
    Ptr<IWidget0> movedBase(std::move(moved));
    EXPECT_FALSE(moved);
    EXPECT_EQ(3, widget->refCount());

    original.reset();
    base = nullptr;
    EXPECT_EQ(1, widget->refCount());
    movedBase.reset();
    EXPECT_EQ(1, destructions());
}

TEST_F(PtrTest, assignmentTakesTheNewObjectAndReleasesTheOld)
{
    std::atomic<int> otherDestructions{0};
    auto target = adopt(newWidget());
    const auto source = adopt(new Widget(&otherDestructions));

    target = source;
    EXPECT_EQ(1, destructions());
    EXPECT_EQ(source.get(), target.get());
    EXPECT_EQ(2, source->refCount());

    auto temporary = adopt(newWidget());
    target = std::move(temporary);
    EXPECT_FALSE(temporary);
    EXPECT_EQ(1, source->refCount());
    EXPECT_EQ(0, otherDestructions.load());
    EXPECT_EQ(1, target->refCount());
}

TEST_F(PtrTest, selfAssignmentKeepsTheObjectAndItsCount)
{
    auto ptr = adopt(newWidget());
    Widget* const widget = ptr.get();
    auto& alias = ptr; // hides the self-assignment from the compiler's warning

    ptr = alias;
    EXPECT_EQ(widget, ptr.get());
    EXPECT_EQ(1, widget->refCount());

    ptr = std::move(alias);
    EXPECT_EQ(widget, ptr.get());
    EXPECT_EQ(1, widget->refCount());
    EXPECT_EQ(0, destructions());
}

TEST_F(PtrTest, releasePtrGivesTheReferenceUpWithoutReleasingIt)
{
    auto ptr = adopt(newWidget());
    Widget* const widget = ptr.releasePtr();
    EXPECT_FALSE(ptr);
    EXPECT_EQ(1, widget->refCount());
    EXPECT_EQ(0, destructions());
    EXPECT_EQ(0, widget->releaseRef());
    EXPECT_EQ(1, destructions());
}

TEST_F(PtrTest, nullPtrCopiesMovesAndResetsWithoutEffect)
{
    Ptr<Widget> empty;
    Ptr<Widget> copy(empty);
    Ptr<Widget> moved(std::move(copy));
    moved = empty;
    moved.reset();
    EXPECT_FALSE(empty);
    EXPECT_FALSE(moved);
    EXPECT_EQ(nullptr, moved.releasePtr());
}

// -------------------------------------------------------------------------------------------------
// RefCountHolder forwarding

using ForwardingTest = RefCountingTest;

TEST_F(ForwardingTest, countsGoToTheLastHolderOfTheChainAndOwnCountsStayUntouched)
{
    Widget* const first = newWidget();
    Widget* const middle = newWidget();
    Widget* const last = newWidget();
    first->refCountHolder().forwardTo(&middle->refCountHolder());
    middle->refCountHolder().forwardTo(&last->refCountHolder());

    EXPECT_EQ(2, first->addRef());
    EXPECT_EQ(3, middle->addRef());
    EXPECT_EQ(3, last->refCount());
    EXPECT_EQ(3, first->refCount());
    {
        const auto answer = adopt(first->queryInterface("tesh::sdk::IRefCountable"));
        EXPECT_EQ(4, last->refCount());
    }
    EXPECT_EQ(2, first->releaseRef());
    EXPECT_EQ(1, middle->releaseRef());
    EXPECT_EQ(0, destructions());

    first->refCountHolder().forwardTo(nullptr);
    middle->refCountHolder().forwardTo(nullptr);
    EXPECT_EQ(1, first->refCount());
    EXPECT_EQ(1, middle->refCount());
    first->releaseRef();
    middle->releaseRef();
    last->releaseRef();
    EXPECT_EQ(3, destructions());
}

TEST_F(ForwardingTest, lastReleaseThroughAForwardingObjectDeletesTheOwnerOfTheCount)
{
    std::atomic<int> forwarderDestructions{0};
    Widget* const forwarder = new Widget(&forwarderDestructions);
    Widget* const owner = newWidget();
    forwarder->refCountHolder().forwardTo(&owner->refCountHolder());

    EXPECT_EQ(2, forwarder->addRef());
    EXPECT_EQ(1, owner->releaseRef());
    EXPECT_EQ(0, forwarder->releaseRef());
    EXPECT_EQ(1, destructions());
    EXPECT_EQ(0, forwarderDestructions.load());

    forwarder->refCountHolder().forwardTo(nullptr);
    EXPECT_EQ(0, forwarder->releaseRef());
    EXPECT_EQ(1, forwarderDestructions.load());
}

} // namespace
} // namespace tesh::test
