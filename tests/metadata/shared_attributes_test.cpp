// Attribute objects shared by the object conversions of one camera.
#include <string>

#include <gtest/gtest.h>

#include <host_double/leak_check.h>
#include <metadata/shared_attributes.h>

namespace tesh::test {
namespace {

using namespace tesh::vms_server_plugins::analytics::qv;

class SharedAttributesTest: public NoLeakTest
{
protected:
    SharedAttributes attributes;
};

TEST_F(SharedAttributesTest, equalTypeNameAndValueShareOneObjectUntilTheBoundStartsAfresh)
{
    const auto green = attributes.get(3, "tesh.sys.color", "Green");
    EXPECT_EQ(green->type(), 3);
    EXPECT_STREQ(green->name(), "tesh.sys.color");
    EXPECT_STREQ(green->value(), "Green");
    EXPECT_EQ(green->confidence(), 1.0F);

    struct Row
    {
        int type;
        std::string name;
        std::string value;
        bool shared;
        const char* reason;
    };
    const Row rows[] = {
        {3, "tesh.sys.color", "Green", true, "the same three texts"},
        {0, "tesh.sys.color", "Green", false, "another type"},
        {3, "Top Color", "Green", false, "another name"},
        {3, "tesh.sys.color", "Red", false, "another value"},
        {3, "tesh.sys.colo", "rGreen", false, "the same letters split elsewhere"},
    };
    for (const Row& row: rows)
        EXPECT_EQ(attributes.get(row.type, row.name, row.value) == green, row.shared) << row.reason;

    for (int i = 0; attributes.size() < kMaxSharedAttributes; ++i)
        attributes.get(0, "Bag", std::to_string(i));
    EXPECT_EQ(attributes.get(3, "tesh.sys.color", "Green"), green) << "full, yet not cleared";
    attributes.get(0, "Bag", "one too many");
    EXPECT_EQ(attributes.size(), 1U) << "a camera of ever new texts cannot make it grow";
    EXPECT_NE(attributes.get(3, "tesh.sys.color", "Green"), green);
}

} // namespace
} // namespace tesh::test
