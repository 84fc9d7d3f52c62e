// Reference counting for the objects a host lends to the plug-in, as the server counts its own.
#include "host_object.h"

namespace host_kit {

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

} // namespace host_kit
