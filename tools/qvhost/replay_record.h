// What a replay pushed and what came back, as the printed summary and the report page both read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace qvhost {

/** The same JSON as packet_json.h writes the packet lines with; the report reads them without the SDK. */
using Json = nlohmann::ordered_json;

/** The array under key ("objects", "events", "attributes"), or an empty one: read in place, never copied. */
inline const Json& arrayOf(const Json& item, const char* key)
{
    static const Json kEmpty = Json::array();
    const auto found = item.find(key);
    return found != item.end() && found->is_array() ? *found : kEmpty;
}

/** What became of one pushed document; every document has exactly one outcome. */
enum class DocumentOutcome
{
    converted, //< At least one object or event packet came back for it.
    /**
     * Converted, though pushed while an earlier document's packets were still coming: it waited for that pass.
     * (One pushed in the instant between a pass's last packet and its end waited too, and counts as converted.)
     */
    queued,
    refused, //< The push call reported an error, or the text is no metadata stream the plug-in reads.
    droppedWhileBusy, //< It held objects or notifications, yet nothing came back.
    nothingToConvert, //< It held neither objects nor notifications.
};

struct OutcomeLabel
{
    DocumentOutcome outcome;
    const char* label;
};

/** Every outcome under the label the summary counts it with, in the summary's order. */
constexpr OutcomeLabel kOutcomeLabels[] = {
    {DocumentOutcome::converted, "converted"},
    {DocumentOutcome::queued, "queued"},
    {DocumentOutcome::refused, "refused"},
    {DocumentOutcome::droppedWhileBusy, "dropped while busy"},
    {DocumentOutcome::nothingToConvert, "nothing to convert"},
};

/** The outcome's place in kOutcomeLabels. */
constexpr size_t outcomeIndex(DocumentOutcome outcome)
{
    size_t index = 0;
    while (index + 1 < std::size(kOutcomeLabels) && kOutcomeLabels[index].outcome != outcome)
        ++index;
    return index;
}

struct DocumentRecord
{
    int number = 0; //< 1 for the first document pushed, as qvhost's messages count them.
    int64_t passTimestampUs = 0; //< The packet time plus the calibration offset.
    DocumentOutcome outcome = DocumentOutcome::nothingToConvert;
    int64_t callUs = 0; //< How long the push call took.
    int64_t latencyUs = 0; //< From the push to its last packet; 0 unless converted.
    std::vector<Json> packets; //< The lines --output wrote for it, in arrival order.
};

struct LabelledCount
{
    std::string label;
    int64_t count = 0;
};

struct ObjectTypeCount
{
    std::string typeId;
    int64_t tracks = 0;
    int64_t observations = 0;
};

struct LabelledPercentiles
{
    std::string label;
    int64_t median = 0;
    int64_t p99 = 0;
};

/** The figures of the summary, each under the label it is printed and shown with. */
struct ReplaySummary
{
    std::vector<LabelledCount> documents;
    std::vector<LabelledCount> packetsByKind;
    std::vector<ObjectTypeCount> objectsByType;
    std::vector<LabelledCount> eventsByType;
    std::vector<LabelledPercentiles> timesUs;
};

} // namespace qvhost
