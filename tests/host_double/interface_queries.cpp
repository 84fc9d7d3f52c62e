// Tables of interface queries: which ids an object answers to, and what each query does to its count.
#include "interface_queries.h"

#include <string>

#include <gtest/gtest.h>

#include <host_double/ref_count_of.h>
#include <tesh/sdk/helpers/ptr.h>

namespace tesh::test {

void expectInterfaceQueries(const std::vector<InterfaceQuery>& rows)
{
    for (const InterfaceQuery& row: rows)
    {
        SCOPED_TRACE(std::string(row.objectName) + " asked for \"" + row.id + "\"");
        const int countBefore = refCountOf(row.object);
        const auto answer = sdk::adopt(row.object->queryInterface(row.id));
        if (row.answers)
        {
            EXPECT_EQ(answer.get(), row.object);
            EXPECT_EQ(refCountOf(row.object), countBefore + 1);
        }
        else
        {
            EXPECT_EQ(answer.get(), nullptr);
            EXPECT_EQ(refCountOf(row.object), countBefore);
        }
    }
}

} // namespace tesh::test
