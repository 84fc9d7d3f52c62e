// The model's defaults, read off the model itself so that the two never disagree.
#include "settings_defaults.h"

#include "settings_model.h"

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

using Json = nlohmann::ordered_json;
using Values = std::map<std::string, std::string>;

std::string textOf(const Json& value)
{
    if (value.is_string())
        return value.get<std::string>();
    if (value.is_null())
        return {};
    return value.dump();
}

void addSetting(const Json& item, int instance, Values* values)
{
    std::string name = item.at("name").get<std::string>();
    const std::string::size_type hash = name.find('#');
    if (hash != std::string::npos && instance > 0)
        name.replace(hash, 1, std::to_string(instance));
    (*values)[name] = textOf(item.value("defaultValue", Json()));
}

void collect(const Json& node, int instance, Values* values)
{
    if (node.is_array())
    {
        for (const Json& child: node)
            collect(child, instance, values);
        return;
    }
    if (!node.is_object())
        return;
    if (node.value("type", "") == "Repeater")
    {
        for (int i = 1; i <= kMaxFigureCount; ++i)
            collect(node.at("template"), i, values);
        return;
    }
    if (node.contains("name"))
        addSetting(node, instance, values);
    for (const char* key: {"items", "sections"})
    {
        if (node.contains(key))
            collect(node.at(key), instance, values);
    }
}

} // namespace

std::map<std::string, std::string> settingsDefaults()
{
    Values values;
    collect(settingsModel(), 0, &values);
    return values;
}

} // namespace tesh::vms_server_plugins::analytics::qv
