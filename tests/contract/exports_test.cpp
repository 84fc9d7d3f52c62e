// Loads the built shared library as the host does, by path, and reaches it only through the names it
// exports and the host's view of the objects behind them.
#include <dlfcn.h>

#include <atomic>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "host_side.h"
#include "host_view.h"

#ifndef QV_PLUGIN_LIBRARY
#    error "QV_PLUGIN_LIBRARY must name the built shared library"
#endif

namespace {

using namespace host_view;

using LibContextFunction = ILibContext* (*)();
using SdkVersionFunction = const char* (*)();
using SetUnitTestOptionsFunction = void (*)(const IStringMap*);

/** A fresh load of the library per test, so that no test sees a context another test has named. */
class ExportedLibrary: public testing::Test
{
protected:
    void SetUp() override
    {
        m_handle = dlopen(QV_PLUGIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(nullptr, m_handle) << dlerror();
        m_libContext = resolve<LibContextFunction>("teshLibContext");
        m_sdkVersion = resolve<SdkVersionFunction>("teshSdkVersion");
        m_setUnitTestOptions = resolve<SetUnitTestOptionsFunction>("teshSetUnitTestOptions");
        ASSERT_NE(nullptr, m_libContext);
        ASSERT_NE(nullptr, m_sdkVersion);
        ASSERT_NE(nullptr, m_setUnitTestOptions);
    }

    void TearDown() override { unload(); }

    template<typename Function>
    Function resolve(const char* name) const
    {
        return reinterpret_cast<Function>(dlsym(m_handle, name));
    }

    /** @return Whether the library is gone from the process afterwards. */
    bool unload()
    {
        if (!m_handle)
            return true;
        EXPECT_EQ(0, dlclose(m_handle)) << dlerror();
        m_handle = nullptr;
        void* const stillLoaded = dlopen(QV_PLUGIN_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
        if (!stillLoaded)
            return true;
        dlclose(stillLoaded);
        return false;
    }

protected:
    void* m_handle = nullptr;
    LibContextFunction m_libContext = nullptr;
    SdkVersionFunction m_sdkVersion = nullptr;
    SetUnitTestOptionsFunction m_setUnitTestOptions = nullptr;
};

TEST_F(ExportedLibrary, SdkVersionIsTheFixedText)
{
    EXPECT_STREQ("5.1.4 R1", m_sdkVersion());
    EXPECT_STREQ("5.1.4 R1", m_sdkVersion());
}

TEST_F(ExportedLibrary, ContextIsOneObjectThatKeepsItsFirstName)
{
    ILibContext* const context = m_libContext();
    ASSERT_NE(nullptr, context);
    EXPECT_EQ(context, m_libContext());

    testing::internal::CaptureStderr();
    context->setName("exports_host");
    context->setName("exports_host");
    EXPECT_EQ("", testing::internal::GetCapturedStderr()) << "naming twice alike is no change";

    testing::internal::CaptureStderr();
    context->setName("renamed");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, log.find("[tesh::sdk::LibContext] ")) << log;
    EXPECT_NE(std::string::npos, log.find(R"(Attempt to change LibContext name from "exports_host" to "renamed".)"))
        << log;
}

TEST_F(ExportedLibrary, ContextTakesOnlyTheFirstRegistryAndDeletesItAtUnload)
{
    std::atomic<int> firstDestroyed{0};
    std::atomic<int> secondDestroyed{0};
    auto* const first = new host_side::CountingRegistry(&firstDestroyed);
    auto* const second = new host_side::CountingRegistry(&secondDestroyed);
    ILibContext* const context = m_libContext();
    context->setRefCountableRegistry(first);

    testing::internal::CaptureStderr();
    context->setRefCountableRegistry(second);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, log.find("LibContext refCountableRegistry has already been set.")) << log;
    delete second; //< Refused, so still the host's.

    EXPECT_EQ(0, first->created());
    EXPECT_EQ(0, first->misfits());
    ASSERT_TRUE(unload()) << "the library stayed loaded, so its unload step cannot be observed";
    EXPECT_EQ(1, firstDestroyed.load()) << "the context deletes the registry it owns when the library goes";
    EXPECT_EQ(1, secondDestroyed.load());
}

TEST_F(ExportedLibrary, UnitTestOptionsAreReadThroughTheStringMapSlots)
{
    m_setUnitTestOptions(nullptr);

    auto* const options = new host_side::HostStringMap({{"alpha", "1"}, {"beta", "2"}, {"gamma", "3"}});
    m_setUnitTestOptions(options);
    EXPECT_GE(options->calls("count"), 1);
    EXPECT_EQ(3, options->calls("key"));
    EXPECT_EQ(3, options->calls("value(index)"));
    EXPECT_EQ(0, options->calls("value(key)"));
    EXPECT_EQ(2, options->addRef()) << "the map is only borrowed";
    EXPECT_EQ(1, options->releaseRef());
    EXPECT_EQ(0, options->releaseRef());
}

} // namespace
