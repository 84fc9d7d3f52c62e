// Names the camera's colours with the nearest entry of the colour table.
#include "color_naming.h"

#include <algorithm>

#include "named_colors.h"

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

struct Rgb
{
    int64_t red;
    int64_t green;
    int64_t blue;
};

/** Clamped before the conversion: a double outside the integer's range converts to anything. */
int64_t toComponent(double value)
{
    return static_cast<int64_t>(std::clamp(value, 0.0, 255.0));
}

Rgb toRgb(const ColorValue& color)
{
    const double luma = color.x;
    const double cb = color.y - 128.0;
    const double cr = color.z - 128.0;
    return {
        toComponent(luma + 1.402 * cr),
        toComponent(luma - 0.344136 * cb - 0.714136 * cr),
        toComponent(luma + 1.772 * cb),
    };
}

int64_t squaredDistance(const Rgb& rgb, const NamedColor& entry)
{
    const int64_t dr = rgb.red - entry.red;
    const int64_t dg = rgb.green - entry.green;
    const int64_t db = rgb.blue - entry.blue;
    return db * db + dr * dr + dg * dg;
}

} // namespace

const char* nearestColorName(const ColorValue& color)
{
    const Rgb rgb = toRgb(color);
    const NamedColor* nearest = &kColorTable[0];
    int64_t nearestDistance = squaredDistance(rgb, *nearest);
    for (const NamedColor& entry: kColorTable)
    {
        const int64_t distance = squaredDistance(rgb, entry);
        if (distance < nearestDistance)
        {
            nearest = &entry;
            nearestDistance = distance;
        }
    }
    return nearest->name;
}

} // namespace tesh::vms_server_plugins::analytics::qv
