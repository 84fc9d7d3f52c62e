// The factory configuration of the simulated camera. The factory values are the plug-in's own
// defaults in camera form, so that a first read shows the dialog as the host would lay it out.
#include "camera_parameters.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace qvcam {

namespace {

/** An OSD line of the camera; the plug-in's default "%L1%" is five characters. */
constexpr int kOsdTextMaxLength = 64;

/** A figure has at most 8 points (the dialog's maxPoints) and at least the 2 of a line. */
constexpr int kFigureMinimumPoints = 2;
constexpr int kFigureMaximumPoints = 8;

/** Coordinates are thousandths of the frame. */
constexpr int kCoordinateMaximum = 1000;

constexpr int kObjectSizeFieldCount = 8;

/**
 * The object-size limits of the dialog's default (minimum 0.006 x 0.01, maximum 1 x 1) in pixels of the
 * 3840 x 2160 frame, truncated as the plug-in truncates when it writes them.
 */
const char* const kFactoryObjectSize = "0,0,23,21,0,0,3840,2160";

ParameterRule switchRule()
{
    return {ParameterKind::switchValue, 0, 1, {}};
}

ParameterRule integerRule(int minimum, int maximum)
{
    return {ParameterKind::integer, minimum, maximum, {}};
}

ParameterRule choiceRule(std::vector<std::string> choices)
{
    return {ParameterKind::choice, 0, 0, std::move(choices)};
}

ParameterRule triggerRule()
{
    return {ParameterKind::trigger, 0, 1, {}};
}

class Catalogue
{
public:
    void add(const std::string& name, const std::string& factoryValue, ParameterRule rule)
    {
        m_parameters.push_back({name, factoryValue, std::move(rule)});
    }

    /** One parameter per camera index, the index appended to the name. */
    void addRepeated(const std::string& baseName, const std::string& factoryValue, const ParameterRule& rule)
    {
        for (int index = 0; index < kFigureCount; ++index)
            add(baseName + std::to_string(index), factoryValue, rule);
    }

    std::vector<ParameterDefinition> take() { return std::move(m_parameters); }

private:
    std::vector<ParameterDefinition> m_parameters;
};

void addObjectDetection(Catalogue* catalogue)
{
    catalogue->add("AIX_OBJECT_DETECTION_ENABLE", "1", switchRule());
    for (const char* objectClass: {"PERSON", "BICYCLE", "CAR"})
    {
        const std::string prefix = std::string("AIX_") + objectClass;
        catalogue->add(prefix + "_DETECTION_ENABLE", "1", switchRule());
        catalogue->add(prefix + "_DISPLAY_TYPE", "1", switchRule());
        catalogue->add(prefix + "_SENSITIVITY", "0", choiceRule({"0", "1", "2", "3"}));
        catalogue->add(prefix + "_SMARTOBJECT_ENABLE", "1", switchRule());
    }
    catalogue->add("AIX_OBJECT_DETECTION_SIZE", kFactoryObjectSize, {ParameterKind::objectSize, 0, 0, {}});
}

/** The parameters every figure kind has: the figure, its switches and its clear trigger. */
void addFigureParameters(Catalogue* catalogue, const std::string& prefix)
{
    catalogue->addRepeated(prefix + "ENABLE", "0", switchRule());
    catalogue->addRepeated(prefix + "POSITION", "0", {ParameterKind::figure, 0, 0, {}});
    catalogue->addRepeated(prefix + "DISPLAY_ENABLE", "0", switchRule());
    catalogue->addRepeated(prefix + "CLEAR", "0", triggerRule());
}

void addExcludeRegions(Catalogue* catalogue)
{
    addFigureParameters(catalogue, "AIX_EXCLUDE_REGION_");
    // 0 is an area, 1 a spot.
    catalogue->addRepeated("AIX_EXCLUDE_REGION_TYPE", "0", switchRule());
    for (const char* objectClass: {"PERSON", "BICYCLE", "CAR"})
        catalogue->addRepeated(std::string("AIX_EXCLUDE_REGION_") + objectClass + "_ENABLE", "0", switchRule());
}

void addRegions(Catalogue* catalogue)
{
    addFigureParameters(catalogue, "AIX_REGION_");
    for (const char* event: {"APPEAR", "STAY", "DIRECTION", "ENTER", "EXIT"})
    {
        for (const char* objectClass: {"PERSON", "BICYCLE", "CAR"})
        {
            catalogue->addRepeated(std::string("AIX_REGION_EVENT_") + objectClass + "_" + event, "0", switchRule());
        }
    }
    // Only people loiter.
    catalogue->addRepeated("AIX_REGION_EVENT_PERSON_LOITERING", "0", switchRule());
    // Seconds, as the dialog's spin boxes allow.
    catalogue->addRepeated("AIX_REGION_EVENT_STAYDURATION", "1", integerRule(1, 600));
    catalogue->addRepeated("AIX_REGION_EVENT_LOITERINGDURATION", "1", integerRule(1, 600));
}

void addLines(Catalogue* catalogue)
{
    addFigureParameters(catalogue, "AIX_LINE_");
    // 1 counts crossings to the left, 0 to the right.
    catalogue->addRepeated("AIX_LINE_DIRECTION", "0", switchRule());
    for (const char* objectClass: {"PERSON", "BICYCLE", "CAR"})
        catalogue->addRepeated(std::string("AIX_LINE_") + objectClass + "_ENABLE", "0", switchRule());
    catalogue->addRepeated("AIX_LINE_COUNT_ENABLE", "0", switchRule());
    catalogue->addRepeated("AIX_LINE_COUNT_RESET", "0", triggerRule());
}

void addLineCountDisplay(Catalogue* catalogue)
{
    catalogue->add("AIX_LINE_DAILYRESET_ENABLE", "0", switchRule());
    catalogue->add("AIX_LINE_DAILYRESET_HOUR", "0", integerRule(0, 23));
    catalogue->add("AIX_LINE_DAILYRESET_MIN", "0", integerRule(0, 59));
    catalogue->add("AIX_LINE_COUNTOSD_DISPLAY_TIME", "1", choiceRule({"1", "5", "10", "30", "60"}));
    catalogue->add("AIX_LINE_COUNTOSD_DISPLAY_ALLWAYS", "0", switchRule());

    catalogue->addRepeated("AIX_LINE_COUNTOSD_DISPLAY_ENABLE", "0", switchRule());
    catalogue->addRepeated("AIX_LINE_COUNTOSD_DISPLAY_EVENT_TYPE", "0", switchRule());
    // The dialog numbers lines from 1, so line index 0 shows "%L1%" out of the box.
    for (int index = 0; index < kFigureCount; ++index)
    {
        catalogue->add("AIX_LINE_COUNTOSD_STRING" + std::to_string(index), "%L" + std::to_string(index + 1) + "%",
            {ParameterKind::text, 0, kOsdTextMaxLength, {}});
    }
    // Thousandths of the frame, point size and the OSD's ten colours.
    catalogue->addRepeated("AIX_LINE_COUNTOSD_X", "0", integerRule(0, kCoordinateMaximum));
    catalogue->addRepeated("AIX_LINE_COUNTOSD_Y", "0", integerRule(0, kCoordinateMaximum));
    catalogue->addRepeated("AIX_LINE_COUNTOSD_FONTSIZE", "50", integerRule(12, 84));
    catalogue->addRepeated("AIX_LINE_COUNTOSD_COLOR", "0", integerRule(0, 9));
}

void addTampering(Catalogue* catalogue)
{
    catalogue->add("AIX_TAMPERING_ENABLE", "1", switchRule());
    catalogue->add("AIX_TAMPERING_SENSITIVITY", "1", choiceRule({"0", "1", "2"}));
    catalogue->add("AIX_TAMPERING_DURATION", "3", choiceRule({"1", "3", "5", "10"}));
}

std::vector<ParameterDefinition> buildCatalogue()
{
    Catalogue catalogue;
    addObjectDetection(&catalogue);
    addExcludeRegions(&catalogue);
    addRegions(&catalogue);
    addLines(&catalogue);
    addLineCountDisplay(&catalogue);
    addTampering(&catalogue);
    return catalogue.take();
}

/** Decimal digits with an optional minus sign, nothing else: the camera's parser is strict. */
bool parseInteger(const std::string& text, long* value)
{
    if (text.empty() || text.size() > 10)
        return false;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const bool sign = i == 0 && text[i] == '-' && text.size() > 1;
        if (!sign && (text[i] < '0' || text[i] > '9'))
            return false;
    }
    errno = 0;
    *value = std::strtol(text.c_str(), nullptr, 10);
    return errno == 0;
}

bool isIntegerWithin(const std::string& text, long minimum, long maximum)
{
    long value = 0;
    return parseInteger(text, &value) && value >= minimum && value <= maximum;
}

std::vector<std::string> splitAtCommas(const std::string& text)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;)
    {
        const size_t comma = text.find(',', start);
        fields.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            return fields;
        start = comma + 1;
    }
}

bool acceptsFigure(const std::string& value)
{
    if (value == "0")
        return true;
    const std::vector<std::string> fields = splitAtCommas(value);
    const size_t count = fields.size();
    if (count % 2 != 0 || count < 2 * kFigureMinimumPoints || count > 2 * kFigureMaximumPoints)
        return false;
    for (const std::string& field: fields)
    {
        if (!isIntegerWithin(field, 0, kCoordinateMaximum))
            return false;
    }
    return true;
}

bool acceptsObjectSize(const std::string& value)
{
    const std::vector<std::string> fields = splitAtCommas(value);
    if (fields.size() != kObjectSizeFieldCount)
        return false;
    for (const std::string& field: fields)
    {
        if (!isIntegerWithin(field, 0, std::numeric_limits<int>::max()))
            return false;
    }
    return true;
}

} // namespace

const std::vector<ParameterDefinition>& cameraParameters()
{
    static const std::vector<ParameterDefinition> parameters = buildCatalogue();
    return parameters;
}

bool acceptsValue(const ParameterRule& rule, const std::string& value)
{
    switch (rule.kind)
    {
        case ParameterKind::switchValue:
        case ParameterKind::trigger:
        case ParameterKind::integer: return isIntegerWithin(value, rule.minimum, rule.maximum);
        case ParameterKind::choice:
            for (const std::string& choice: rule.choices)
            {
                if (value == choice)
                    return true;
            }
            return false;
        case ParameterKind::text: return value.size() <= static_cast<size_t>(rule.maximum);
        case ParameterKind::figure: return acceptsFigure(value);
        case ParameterKind::objectSize: return acceptsObjectSize(value);
    }
    return false;
}

} // namespace qvcam
