// The camera qvhost runs in its own process when no real one is named: the qvcam simulator on port 80.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <camera_simulator.h>

namespace qvhost {

/** One camera parameter a WriteParam request set, as the camera received it. */
struct WrittenParameter
{
    std::string parameter;
    std::string value;
    bool refused = false; //< The camera answered without its "Ok": it did not take the value.
};

class SimulatedCamera
{
public:
    /** Listens at once on port 80 of address. Throws HostError (bad use) when it cannot. */
    explicit SimulatedCamera(const qvcam::CameraSimulatorOptions& options);

    /** The URL a device description gives for it. */
    std::string url() const { return "http://" + m_address + "/"; }

    /** How many requests it has served so far, digest challenges included. */
    size_t requestCount() const;

    /** The parameters written by answered requests after the first mark requests, in the order they arrived. */
    std::vector<WrittenParameter> writesSince(size_t mark) const;

private:
    const std::string m_address;
    qvcam::CameraSimulator m_simulator;
};

} // namespace qvhost
