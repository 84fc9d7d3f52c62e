// Reading a prepared configuration.
#include "parameters_file.h"

#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace qvcam {

namespace {

bool failWith(const std::string& reason, std::string* errorMessage)
{
    if (errorMessage != nullptr)
        *errorMessage = reason;
    return false;
}

bool toCameraText(const nlohmann::json& value, std::string* text)
{
    if (value.is_string())
        *text = value.get<std::string>();
    else if (value.is_number_integer())
        *text = value.dump();
    else if (value.is_boolean())
        *text = value.get<bool>() ? "1" : "0";
    else
        return false;
    return true;
}

} // namespace

bool loadParametersFile(const std::string& path, ParameterTable* table, std::string* errorMessage)
{
    std::ifstream file(path);
    if (!file)
        return failWith("cannot read the parameters file " + path, errorMessage);
    std::stringstream content;
    content << file.rdbuf();
    const nlohmann::json document = nlohmann::json::parse(content.str(), nullptr, false);
    if (document.is_discarded() || !document.is_object())
        return failWith(path + ": not a JSON object of parameter names and values", errorMessage);

    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& [name, value]: document.items())
    {
        if (!table->knows(name))
            return failWith(path + ": the camera has no parameter " + name, errorMessage);
        std::string text;
        if (!toCameraText(value, &text))
            return failWith(path + ": " + name + " needs a text, integer or boolean value", errorMessage);
        values.emplace_back(name, text);
    }
    for (const auto& [name, text]: values)
        table->set(name, text);
    return true;
}

} // namespace qvcam
