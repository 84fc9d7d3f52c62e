// A settings cycle: the host's values delivered, the camera's configuration read back, the changes delivered and
// written.
#include "settings_command.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "host_error.h"
#include "model_defaults.h"
#include "settings_input.h"
#include "settings_report.h"
#include "simulated_camera.h"

namespace qvhost {
namespace {

/** What the command delivers: the host's values before and the changes after the camera was read. */
struct HostValues
{
    SettingValues initial;
    SettingValues changes;
};

/** Checks every name given before anything talks to a camera. */
HostValues hostValues(const SettingsOptions& options, const SettingValues& defaults)
{
    HostValues values;
    if (!options.valuesFile.empty())
    {
        const SettingValues given = readSettingsFile(options.valuesFile);
        requireKnownNames(given, defaults, options.valuesFile);
        values.initial = overridden(defaults, given);
    }
    else
    {
        values.initial = defaults;
    }
    if (!options.changesFile.empty())
    {
        values.changes = readSettingsFile(options.changesFile);
        requireKnownNames(values.changes, defaults, options.changesFile);
    }
    const SettingValues assigned = parseAssignments(options.assignments);
    requireKnownNames(assigned, defaults, "--set");
    values.changes = overridden(values.changes, assigned);
    return values;
}

std::unique_ptr<SimulatedCamera> startCamera(const SettingsOptions& options)
{
    qvcam::CameraSimulatorOptions camera;
    camera.address = options.cameraAddress;
    camera.user = options.device.login;
    camera.password = options.device.password;
    camera.parametersFile = options.cameraParameters;
    return std::make_unique<SimulatedCamera>(camera);
}

void reportCallError(const SettingsReply& reply)
{
    if (!reply.error.empty())
        std::fprintf(hostMessages(), "qvhost: the agent reported on the settings: %s\n", reply.error.c_str());
}

/** What reached the camera since the mark; only the simulated camera keeps a log qvhost can read. */
void reportWrites(const SimulatedCamera* camera, size_t mark, const std::string& heading, SettingsReport* report)
{
    if (!camera)
    {
        report->writes(heading, nullptr);
        return;
    }
    const std::vector<WrittenParameter> written = camera->writesSince(mark);
    report->writes(heading, &written);
}

/** The first delivery, answered by the camera's configuration; the read returns only once it is complete. */
SettingsReply readCamera(
    PluginSession& session, const SimulatedCamera* camera, const SettingValues& initial, SettingsReport* report)
{
    const size_t mark = camera ? camera->requestCount() : 0;
    SettingsReply reply = session.deliverSettings(initial);
    reportCallError(reply);
    report->reply("The camera's configuration as the plug-in read it", reply, initial);
    // Only the display-off switch of a drawn but disabled figure is written while reading.
    if (camera)
        reportWrites(camera, mark, "Written to the camera while it was read", report);
    report->endStep();
    return reply;
}

/**
 * The second delivery: what the host holds after the read, with the changes; then what reached the camera. The
 * agent is released right after it, as a server does when the camera is removed: its release finishes the writes it
 * accepted, so they are all on the camera once it returns.
 */
void deliverChanges(PluginSession& session,
    const SimulatedCamera* camera,
    const SettingValues& held,
    const SettingValues& changes,
    SettingsReport* report)
{
    const SettingValues delivered = overridden(held, changes);
    const size_t mark = camera ? camera->requestCount() : 0;
    const SettingsReply reply = session.deliverSettings(delivered);
    reportCallError(reply);
    report->reply("The plug-in's answer to " + counted(changes.size(), "change"), reply, delivered);
    session.release();
    reportWrites(camera, mark, "Written to the camera before the agent's release returned", report);
    report->endStep();
}

/** Four dot-separated decimal numbers of 0 to 255: what the plug-in takes the camera's address from. */
bool isIpv4Address(const std::string& text)
{
    constexpr int kGroups = 4;
    constexpr int kMaxGroup = 255;
    constexpr size_t kMaxDigits = 3;
    size_t position = 0;
    for (int group = 0; group < kGroups; ++group)
    {
        if (group > 0 && (position >= text.size() || text[position++] != '.'))
            return false;
        const size_t start = position;
        int value = 0;
        while (position < text.size() && position - start < kMaxDigits
            && std::isdigit(static_cast<unsigned char>(text[position])))
            value = value * 10 + (text[position++] - '0');
        if (position == start || value > kMaxGroup)
            return false;
    }
    return position == text.size();
}

/** The host of "scheme://[user@]host[:port]/...", which must be a camera's IPv4 address. */
void requireCameraAddress(const std::string& url)
{
    const size_t scheme = url.find("://");
    const size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    const size_t end = std::min(url.find_first_of("/?#", start), url.size());
    std::string host = url.substr(start, end - start);
    host = host.substr(host.find('@') == std::string::npos ? 0 : host.find('@') + 1);
    host = host.substr(0, host.find(':'));
    if (!isIpv4Address(host))
        throw HostError(kBadUse, "--url '" + url + "' names no camera: its host must be an IPv4 address");
}

} // namespace

int runSettings(const CommonOptions& common, const SettingsOptions& options)
{
    std::FILE* const messages = messageStream(common);
    SettingsReport report(stdout, options.json, options.differencesOnly);
    std::unique_ptr<SimulatedCamera> camera; //< Outlives the session: the agent's writers may still be talking to it.
    PluginSession session(common.library);
    const HostValues values = hostValues(options, modelDefaults(session.engineManifest()));
    DeviceDescription device = options.device;
    if (device.url.empty())
    {
        camera = startCamera(options);
        device.url = camera->url();
    }
    else
    {
        requireCameraAddress(device.url);
    }
    session.obtainAgent(device, nullptr);
    const SettingsReply first = readCamera(session, camera.get(), values.initial, &report);
    if (!values.changes.empty())
        deliverChanges(session, camera.get(), overridden(values.initial, first.values), values.changes, &report);
    return endSession(session, messages);
}

} // namespace qvhost
