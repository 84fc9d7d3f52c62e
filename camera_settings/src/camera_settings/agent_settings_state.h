// The fields of one camera that its settings decide and its metadata passes read.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "frame_size.h"
#include "write_hold_off.h"

namespace tesh::vms_server_plugins::analytics::qv {

/** Written by the host's calls and the camera readers and writers, read by the metadata passes: all atomic. */
struct AgentSettingsState
{
    std::atomic<int32_t> timestampCalibration{0}; //< Microseconds added to every packet's time.
    std::atomic<int32_t> highlightSeconds{0}; //< 0 turns highlighting off.
    AtomicFrameSize frameSize{FrameSize{3840, 2160}};
    /** 1 shows the boxes of that object class, 0 hides them. */
    std::atomic<int32_t> personDisplayType{1};
    std::atomic<int32_t> bicycleDisplayType{1};
    std::atomic<int32_t> carDisplayType{1};
    /** The camera's configuration must be read again at the next settings request. */
    std::atomic<bool> refreshPending{false};
    WriteHoldOff writeHoldOff;
};

/**
 * The display flag of the class a "..._DISPLAY_TYPE" setting names: the first of "PERSON", "BICYCLE", "CAR" in the
 * name; null for any other name.
 */
std::atomic<int32_t>* displayTypeFlagOf(AgentSettingsState* state, std::string_view name);

} // namespace tesh::vms_server_plugins::analytics::qv
