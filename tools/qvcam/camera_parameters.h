// The camera's parameter catalogue: every parameter the plug-in reads or writes, its factory value
// and the values the camera accepts for it.
#pragma once

#include <string>
#include <vector>

namespace qvcam {

/** What a parameter holds, which decides the values a write may carry. */
enum class ParameterKind
{
    switchValue, //< "0" or "1".
    integer, //< A decimal integer within the rule's limits.
    choice, //< One of the rule's listed texts.
    text, //< Free text up to the rule's maximum length.
    figure, //< A coordinate list "x0,y0,x1,y1,..." in thousandths, or "0" for no figure.
    objectSize, //< Eight non-negative integers in pixels: x,y,minW,minH,x,y,maxW,maxH.
    trigger, //< Momentary: a write acts, the stored value never changes.
};

struct ParameterRule
{
    ParameterKind kind = ParameterKind::text;
    int minimum = 0;
    int maximum = 0; //< Integer limit, or the maximum length of a text.
    std::vector<std::string> choices;
};

struct ParameterDefinition
{
    std::string name;
    std::string factoryValue;
    ParameterRule rule;
};

/** Repeated parameters carry the camera index 0 to 7 at the end of their names. */
constexpr int kFigureCount = 8;

/** The frame the object-size pixels refer to: the plug-in assumes 3840 x 2160 until the first video frame. */
constexpr int kFrameWidth = 3840;
constexpr int kFrameHeight = 2160;

/** Every stored parameter, repeated ones expanded for indices 0 to 7, in a fixed order. */
const std::vector<ParameterDefinition>& cameraParameters();

bool acceptsValue(const ParameterRule& rule, const std::string& value);

} // namespace qvcam
