// Walking the settings model as the host's dialog does, repeaters expanded to their numbered instances.
#include "model_defaults.h"

#include <cstdlib>

#include "host_error.h"
#include "setting_text.h"

namespace qvhost {
namespace {

/** The model writes the count as text holding the number; a number is taken as well. */
int repeaterCount(const OrderedJson& repeater)
{
    const OrderedJson count = repeater.value("count", OrderedJson());
    if (count.is_number_integer())
        return count.get<int>();
    return count.is_string() ? std::atoi(count.get<std::string>().c_str()) : 0;
}

void addSetting(const OrderedJson& element, int instance, SettingValues* values)
{
    std::string name = element["name"].get<std::string>();
    for (auto hash = name.find('#'); hash != std::string::npos && instance > 0; hash = name.find('#'))
        name.replace(hash, 1, std::to_string(instance));
    (*values)[name] = settingText(element.value("defaultValue", OrderedJson()));
}

void collect(const OrderedJson& element, int instance, SettingValues* values)
{
    if (element.is_object() && element.value("type", "") == "Repeater")
    {
        for (int i = 1; i <= repeaterCount(element); ++i)
            collect(element.value("template", OrderedJson()), i, values);
        return;
    }
    if (element.is_object() && element.contains("name") && element["name"].is_string())
        addSetting(element, instance, values);
    for (const OrderedJson& child: element)
    {
        if (child.is_structured())
            collect(child, instance, values);
    }
}

} // namespace

SettingValues modelDefaults(const std::string& engineManifest)
{
    const OrderedJson manifest = OrderedJson::parse(engineManifest, nullptr, false);
    if (manifest.is_discarded() || !manifest.is_object() || !manifest.contains("deviceAgentSettingsModel"))
        throw HostError(kChecksFailed, "the engine manifest carries no settings model");
    SettingValues values;
    collect(manifest["deviceAgentSettingsModel"], 0, &values);
    return values;
}

} // namespace qvhost
