// The camera's configuration memory: current values of all parameters and the live shapes of the
// figures, with the side effects a write has on the camera. Safe to use from any thread.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "camera_parameters.h"

namespace qvcam {

class ParameterTable
{
public:
    enum class ReadOutcome
    {
        value, //< The parameter exists; the value may be empty text.
        noLiveShape, //< A live shape of a figure that is not set: the camera has nothing to show.
        unknown, //< No such parameter on this camera.
    };

    struct ReadResult
    {
        ReadOutcome outcome = ReadOutcome::unknown;
        std::string value;
    };

    enum class WriteOutcome
    {
        done,
        unknown, //< No such parameter.
        rejected, //< A value the parameter does not accept, or a read-only parameter.
    };

    /** Starts with the factory values of cameraParameters(). */
    ParameterTable();

    ReadResult read(const std::string& name) const;

    /**
     * A write as the camera's interface performs it: the value is checked, a figure also becomes the
     * live shape, a clear trigger removes its figure and a trigger keeps its stored value.
     */
    WriteOutcome write(const std::string& name, const std::string& value);

    /** The stored value, the live shape's text for a live-shape name; empty text when unknown. */
    std::string value(const std::string& name) const;

    /**
     * Stores without checks, for tests and for a prepared configuration: any name (a new one becomes a
     * text parameter), any value. A figure also sets its live shape; a live-shape name sets only the
     * live shape, so that a shape cut into several pieces can be put in place.
     */
    void set(const std::string& name, const std::string& value);

    bool knows(const std::string& name) const;

    struct Neighbours
    {
        std::string before; //< Empty at the start of the alphabet.
        std::string after; //< Empty at its end.
    };

    /** The stored parameters named just before and just after the name, in alphabetical order. */
    Neighbours namesAround(const std::string& name) const;

private:
    struct Entry
    {
        std::string value;
        ParameterRule rule;
    };

    void storeLocked(const std::string& name, Entry* entry, const std::string& value);
    void clearFigureLocked(const std::string& clearName);

    mutable std::mutex m_mutex;
    std::map<std::string, Entry> m_parameters;
    /** By live-shape name; empty text when the figure is not set. */
    std::map<std::string, std::string> m_liveShapes;
};

} // namespace qvcam
