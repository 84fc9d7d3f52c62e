// Checking the manifests: valid JSON, the settings the dialog offers, the type library's size.
#include "manifest_checks.h"

#include <functional>

#include <nlohmann/json.hpp>

namespace qvhost {
namespace {

using Json = nlohmann::json;

/** The host's settings map for one camera: the model's settings, a repeated one once per instance. */
constexpr size_t kExpectedSettings = 337;
constexpr int kRepeatedInstances = 8;

// The agent manifest's type library: what the plug-in produces and how the server groups it.
constexpr struct
{
    const char* key;
    size_t count;
} kTypeLibraryCounts[] = {{"objectTypes", 8}, {"eventTypes", 10}, {"groups", 1}, {"enumTypes", 2}, {"colorTypes", 1}};

void visit(const Json& element, const std::function<void(const Json&)>& visitor)
{
    visitor(element);
    for (const Json& child: element)
    {
        if (child.is_structured())
            visit(child, visitor);
    }
}

size_t settingCount(const Json& model)
{
    size_t count = 0;
    visit(model, [&](const Json& element) {
        if (!element.is_object() || !element.contains("name") || !element["name"].is_string())
            return;
        const bool repeated = element["name"].get<std::string>().find('#') != std::string::npos;
        count += repeated ? kRepeatedInstances : 1;
    });
    return count;
}

Json parsed(const std::string& text, const char* which, std::vector<std::string>* problems)
{
    Json json = Json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object())
        problems->push_back(std::string("the ") + which + " manifest is no JSON object");
    return json;
}

} // namespace

std::vector<std::string> manifestProblems(const Manifests& manifests)
{
    std::vector<std::string> problems;
    parsed(manifests.plugin, "plug-in", &problems);
    const Json engine = parsed(manifests.engine, "engine", &problems);
    const Json agent = parsed(manifests.deviceAgent, "device agent", &problems);
    if (engine.is_object())
    {
        const size_t settings = settingCount(engine.value("deviceAgentSettingsModel", Json::object()));
        if (settings != kExpectedSettings)
        {
            problems.push_back("the settings model has " + std::to_string(settings) + " settings instead of "
                + std::to_string(kExpectedSettings));
        }
    }
    if (agent.is_object())
    {
        const Json library = agent.value("typeLibrary", Json::object());
        for (const auto& [key, count]: kTypeLibraryCounts)
        {
            const size_t found = library.contains(key) ? library[key].size() : 0;
            if (found != count)
            {
                problems.push_back(std::string("the type library has ") + std::to_string(found) + " " + key
                    + " instead of " + std::to_string(count));
            }
        }
    }
    return problems;
}

} // namespace qvhost
