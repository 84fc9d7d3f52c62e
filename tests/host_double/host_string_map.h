// A string map built by the host (the host kit's), and the test's shorthands for making one.
#pragma once

#include <initializer_list>
#include <map>
#include <string>

#include <host_kit/host_string_map.h>
#include <tesh/sdk/helpers/ptr.h>

namespace tesh::test {

using host_kit::HostStringMap;

/** makePtr cannot forward a braced list of pairs. */
inline sdk::Ptr<HostStringMap> makeHostStringMap(std::initializer_list<HostStringMap::Pair> pairs)
{
    return sdk::adopt(new HostStringMap(pairs));
}

/** The pairs of a map built at run time, in key order. */
inline sdk::Ptr<HostStringMap> makeHostStringMap(const std::map<std::string, std::string>& pairs)
{
    return sdk::adopt(new HostStringMap(pairs));
}

} // namespace tesh::test
