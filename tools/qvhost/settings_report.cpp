// Printing a settings step.
#include "settings_report.h"

#include <algorithm>

namespace qvhost {
namespace {

void printTable(std::FILE* out, const SettingValues& rows)
{
    size_t width = 0;
    for (const auto& row: rows)
        width = std::max(width, row.first.size());
    for (const auto& [name, value]: rows)
        std::fprintf(out, "  %-*s  %s\n", static_cast<int>(width), name.c_str(), value.c_str());
}

OrderedJson objectOf(const SettingValues& pairs)
{
    OrderedJson object = OrderedJson::object();
    for (const auto& [name, value]: pairs)
        object[name] = value;
    return object;
}

/** The empty figure as the plug-in reports a figure the camera does not have. */
bool isEmptyFigure(const OrderedJson& value)
{
    return value.is_object() && value.contains("figure") && value["figure"].is_null();
}

} // namespace

std::string counted(size_t count, const std::string& noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

bool sameSetting(const std::string& delivered, const std::string& reported)
{
    if (delivered == reported)
        return true;
    const OrderedJson reportedJson = OrderedJson::parse(reported, nullptr, false);
    if (delivered.empty())
        return isEmptyFigure(reportedJson);
    const OrderedJson deliveredJson = OrderedJson::parse(delivered, nullptr, false);
    return !deliveredJson.is_discarded() && !reportedJson.is_discarded()
        && nlohmann::json(deliveredJson) == nlohmann::json(reportedJson);
}

SettingsReport::SettingsReport(std::FILE* out, bool json, bool differencesOnly):
    m_out(out),
    m_json(json),
    m_differencesOnly(differencesOnly)
{}

void SettingsReport::reply(const std::string& heading, const SettingsReply& reply, const SettingValues& delivered)
{
    SettingValues shown;
    for (const auto& [name, value]: reply.values)
    {
        const auto found = delivered.find(name);
        if (!m_differencesOnly || found == delivered.end() || !sameSetting(found->second, value))
            shown[name] = value;
    }
    if (m_json)
    {
        m_step = {{"values", objectOf(shown)}, {"errors", objectOf(reply.errors)}};
        return;
    }
    std::string counts = counted(reply.values.size(), "value");
    if (m_differencesOnly)
        counts += ", " + std::to_string(shown.size()) + " not as delivered";
    const std::string errors = counted(reply.errors.size(), "error");
    std::fprintf(m_out, "%s (%s, %s):\n", heading.c_str(), counts.c_str(), errors.c_str());
    printTable(m_out, shown);
    if (!reply.errors.empty())
    {
        std::fprintf(m_out, "Errors:\n");
        printTable(m_out, reply.errors);
    }
}

void SettingsReport::writes(const std::string& heading, const std::vector<WrittenParameter>* written)
{
    if (m_json)
    {
        if (!written)
            return;
        OrderedJson list = OrderedJson::array();
        for (const WrittenParameter& write: *written)
            list.push_back({{"parameter", write.parameter}, {"value", write.value}, {"refused", write.refused}});
        m_step["written"] = std::move(list);
        return;
    }
    if (!written)
    {
        std::fprintf(m_out, "A real camera keeps no request log qvhost can read: what reached it is not listed.\n");
        return;
    }
    if (written->empty())
    {
        std::fprintf(m_out, "%s: nothing.\n", heading.c_str());
        return;
    }
    const std::string requests = counted(written->size(), "request");
    std::fprintf(m_out, "%s (%s, in order of arrival):\n", heading.c_str(), requests.c_str());
    for (const WrittenParameter& write: *written)
    {
        std::fprintf(m_out, "  %s=%s%s\n", write.parameter.c_str(), write.value.c_str(),
            write.refused ? "  (refused by the camera)" : "");
    }
}

void SettingsReport::endStep()
{
    if (m_json)
        std::fprintf(m_out, "%s\n", m_step.dump().c_str());
    std::fflush(m_out);
}

} // namespace qvhost
