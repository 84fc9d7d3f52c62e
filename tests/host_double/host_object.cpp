// Reference counting for the objects the host double hands to the library.
#include "host_object.h"

namespace tesh::test {

namespace {

std::atomic<int>& hostObjectCount()
{
    static std::atomic<int> count{0};
    return count;
}

} // namespace

namespace detail {

void hostObjectBorn()
{
    ++hostObjectCount();
}

void hostObjectDied()
{
    --hostObjectCount();
}

} // namespace detail

int liveHostObjectCount()
{
    return hostObjectCount().load();
}

} // namespace tesh::test
