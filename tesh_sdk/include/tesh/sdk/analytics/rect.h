// A box on the frame, in fractions of the frame's width and height.
#pragma once

namespace tesh::sdk::analytics {

struct Rect
{
    float x = -1.0F;
    float y = -1.0F;
    float width = -1.0F;
    float height = -1.0F;
};

static_assert(sizeof(Rect) == 16, "Rect is four 32-bit floats on the wire");

} // namespace tesh::sdk::analytics
