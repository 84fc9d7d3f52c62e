// The colours the plug-in names in object attributes and lists in the type library.
#pragma once

#include <cstdint>

namespace tesh::vms_server_plugins::analytics::qv {

struct NamedColor
{
    const char* name;
    int32_t red;
    int32_t green;
    int32_t blue;
};

/** The colours we name; in search order, the first of equally near entries wins. */
inline constexpr NamedColor kColorTable[] = {
    {"Black", 0, 0, 0},
    {"Blue", 0, 0, 255},
    {"Brown", 165, 42, 42},
    {"Cyan", 0, 255, 255},
    {"Green", 0, 128, 0},
    {"Gray", 128, 128, 128},
    {"Orange", 255, 165, 0},
    {"Pink", 255, 192, 203},
    {"Purple", 128, 0, 128},
    {"Red", 255, 0, 0},
    {"White", 255, 255, 255},
};

} // namespace tesh::vms_server_plugins::analytics::qv
