// The configuration memory and the effects of a write.
#include "parameter_table.h"

#include <iterator>
#include <limits>

#include "live_shape.h"

namespace qvcam {

namespace {

const std::string kClearMark = "_CLEAR";
const std::string kFigureMark = "_POSITION";

/** A name added by set() holds any text. */
const ParameterRule kAnyText{ParameterKind::text, 0, std::numeric_limits<int>::max(), {}};

/** AIX_LINE_CLEAR2 removes AIX_LINE_POSITION2. */
std::string figureNameOfClear(const std::string& clearName)
{
    const size_t mark = clearName.find(kClearMark);
    return clearName.substr(0, mark) + kFigureMark + clearName.substr(mark + kClearMark.size());
}

} // namespace

ParameterTable::ParameterTable()
{
    for (const ParameterDefinition& definition: cameraParameters())
    {
        Entry entry{{}, definition.rule};
        storeLocked(definition.name, &entry, definition.factoryValue);
        m_parameters.emplace(definition.name, std::move(entry));
    }
}

ParameterTable::ReadResult ParameterTable::read(const std::string& name) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto shape = m_liveShapes.find(name);
    if (shape != m_liveShapes.end())
    {
        if (shape->second.empty())
            return {ReadOutcome::noLiveShape, {}};
        return {ReadOutcome::value, shape->second};
    }
    const auto parameter = m_parameters.find(name);
    if (parameter == m_parameters.end())
        return {ReadOutcome::unknown, {}};
    return {ReadOutcome::value, parameter->second.value};
}

ParameterTable::WriteOutcome ParameterTable::write(const std::string& name, const std::string& value)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_liveShapes.count(name) != 0)
        return WriteOutcome::rejected;
    const auto parameter = m_parameters.find(name);
    if (parameter == m_parameters.end())
        return WriteOutcome::unknown;
    Entry& entry = parameter->second;
    if (!acceptsValue(entry.rule, value))
        return WriteOutcome::rejected;
    if (entry.rule.kind == ParameterKind::trigger)
    {
        // The plug-in clears with the value 0, so any accepted value acts. Line counts are not
        // simulated, so a count reset has nothing to act on.
        if (name.find(kClearMark) != std::string::npos)
            clearFigureLocked(name);
        return WriteOutcome::done;
    }
    storeLocked(name, &entry, value);
    return WriteOutcome::done;
}

std::string ParameterTable::value(const std::string& name) const
{
    const ReadResult result = read(name);
    return result.value;
}

void ParameterTable::set(const std::string& name, const std::string& value)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (isLiveShapeName(name))
    {
        m_liveShapes[name] = value;
        return;
    }
    const auto inserted = m_parameters.emplace(name, Entry{{}, kAnyText});
    storeLocked(name, &inserted.first->second, value);
}

bool ParameterTable::knows(const std::string& name) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_parameters.count(name) != 0 || m_liveShapes.count(name) != 0;
}

ParameterTable::Neighbours ParameterTable::namesAround(const std::string& name) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    Neighbours neighbours;
    const auto before = m_parameters.lower_bound(name);
    if (before != m_parameters.begin())
        neighbours.before = std::prev(before)->first;
    const auto after = m_parameters.upper_bound(name);
    if (after != m_parameters.end())
        neighbours.after = after->first;
    return neighbours;
}

void ParameterTable::storeLocked(const std::string& name, Entry* entry, const std::string& value)
{
    entry->value = value;
    if (entry->rule.kind == ParameterKind::figure)
        m_liveShapes[liveShapeName(name)] = liveShapeOf(value);
}

void ParameterTable::clearFigureLocked(const std::string& clearName)
{
    const std::string figureName = figureNameOfClear(clearName);
    const auto figure = m_parameters.find(figureName);
    if (figure != m_parameters.end())
        storeLocked(figureName, &figure->second, "0");
}

} // namespace qvcam
