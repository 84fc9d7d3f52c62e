// What `qvhost settings` prints of each step: the plug-in's answer and what reached the camera, for people as an
// aligned table, for machines as one JSON line per step.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "setting_text.h"
#include "settings_reply.h"
#include "simulated_camera.h"

namespace qvhost {

class SettingsReport
{
public:
    /** differencesOnly leaves out the values the plug-in reported as they were delivered. */
    SettingsReport(std::FILE* out, bool json, bool differencesOnly);

    /** A table at once, or the start of the step's JSON line. */
    void reply(const std::string& heading, const SettingsReply& reply, const SettingValues& delivered);

    /** The parameters written, in arrival order; null when the camera keeps no log qvhost can read. */
    void writes(const std::string& heading, const std::vector<WrittenParameter>* written);

    /** Ends the step: its JSON line goes out. */
    void endStep();

private:
    std::FILE* const m_out;
    const bool m_json;
    const bool m_differencesOnly;
    OrderedJson m_step = OrderedJson::object();
};

/** "1 change", "6 changes": a count with its noun. */
std::string counted(size_t count, const std::string& noun);

/**
 * Whether the plug-in reported a value as the host holds it: the same text or the same JSON; an empty figure counts
 * as the empty text the host holds for a figure never drawn.
 */
bool sameSetting(const std::string& delivered, const std::string& reported);

} // namespace qvhost
