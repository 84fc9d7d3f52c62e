// Tables of interface queries: which ids an object answers to, and what each query does to its count.
#pragma once

#include <vector>

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::test {

struct InterfaceQuery
{
    const sdk::IRefCountable* object;
    const char* objectName; //< Names the row in a failure message.
    const char* id;
    bool answers;
};

/**
 * Expects every row's object to answer its id with itself and one new reference, or, where it must not
 * answer, with null and its count unchanged.
 */
void expectInterfaceQueries(const std::vector<InterfaceQuery>& rows);

} // namespace tesh::test
