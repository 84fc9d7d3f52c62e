// Fractions of the frame to the camera's integers and back.
#include "pixel_conversion.h"

#include <cmath>
#include <limits>

namespace tesh::vms_server_plugins::analytics::qv {

int32_t truncatedPixels(int32_t scale, double fraction)
{
    const double product = static_cast<double>(scale) * fraction;
    if (std::isnan(product))
        return 0;
    constexpr double kLowest = std::numeric_limits<int32_t>::min();
    constexpr double kHighest = std::numeric_limits<int32_t>::max();
    if (product <= kLowest)
        return std::numeric_limits<int32_t>::min();
    if (product >= kHighest)
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(product);
}

} // namespace tesh::vms_server_plugins::analytics::qv
