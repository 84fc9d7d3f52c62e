// Reads and writes of the parameter interface.
#include "parameter_interface.h"

namespace qvcam {

namespace {

const std::string kReadPath = "/httpapi/ReadParam";
const std::string kWritePath = "/httpapi/WriteParam";
const std::string kActionField = "action";
const std::string kReadAction = "readparam";
const std::string kWriteAction = "writeparam";

const std::string kLineEnd = "\r\n";
const std::string kOkAnswer = "Ok" + kLineEnd;
const std::string kErrorAnswer = "Error" + kLineEnd;

std::string actionOf(const std::vector<QueryField>& fields)
{
    for (const QueryField& field: fields)
    {
        if (field.name == kActionField)
            return field.value;
    }
    return {};
}

/** Spaces and tabs, as firmware that pads its values into fixed columns leaves them. */
const char* const kBlankPattern = "  \t";

std::string valueLine(const std::string& name, const std::string& value, const AnswerStyle& style)
{
    return name + "=" + value + trailingBlanks(style.trailingBlanks) + kLineEnd;
}

/** A neighbour's line; nothing where there is no neighbour or it holds no value. */
std::string neighbourLine(const ParameterTable& table, const std::string& name, const AnswerStyle& style)
{
    if (name.empty())
        return {};
    const ParameterTable::ReadResult result = table.read(name);
    return result.outcome == ParameterTable::ReadOutcome::value ? valueLine(name, result.value, style) : "";
}

std::string readLines(const ParameterTable& table, const std::string& name, const AnswerStyle& style)
{
    const ParameterTable::ReadResult result = table.read(name);
    switch (result.outcome)
    {
        case ParameterTable::ReadOutcome::value: break;
        case ParameterTable::ReadOutcome::noLiveShape: return kOkAnswer;
        case ParameterTable::ReadOutcome::unknown: return kErrorAnswer;
    }
    const std::string line = valueLine(name, result.value, style);
    if (!style.neighbourLines)
        return line;
    const ParameterTable::Neighbours neighbours = table.namesAround(name);
    return neighbourLine(table, neighbours.before, style) + line + neighbourLine(table, neighbours.after, style);
}

InterfaceAnswer answerRead(
    const ParameterTable& table, const std::vector<QueryField>& parameters, const AnswerStyle& style)
{
    std::string body;
    for (const QueryField& parameter: parameters)
        body += readLines(table, parameter.name, style);
    return {kHttpOk, body};
}

/** Every acceptable parameter is written even when another one is refused, as the camera does. */
InterfaceAnswer answerWrite(ParameterTable* table, const std::vector<QueryField>& parameters)
{
    bool allWritten = true;
    for (const QueryField& parameter: parameters)
    {
        const bool written
            = parameter.hasValue && table->write(parameter.name, parameter.value) == ParameterTable::WriteOutcome::done;
        allWritten = allWritten && written;
    }
    return {kHttpOk, allWritten ? kOkAnswer : kErrorAnswer};
}

std::vector<QueryField> withoutAction(const std::vector<QueryField>& fields)
{
    std::vector<QueryField> parameters;
    for (const QueryField& field: fields)
    {
        if (field.name != kActionField)
            parameters.push_back(field);
    }
    return parameters;
}

} // namespace

std::string trailingBlanks(size_t count)
{
    const std::string pattern = kBlankPattern;
    std::string blanks;
    for (size_t i = 0; i < count; ++i)
        blanks += pattern[i % pattern.size()];
    return blanks;
}

bool isWritePath(const std::string& path)
{
    return path == kWritePath;
}

std::vector<QueryField> requestParameters(const std::string& query)
{
    return withoutAction(parseQuery(query));
}

InterfaceAnswer answerParameterRequest(
    ParameterTable* table, const std::string& path, const std::string& query, const AnswerStyle& style)
{
    const bool isRead = path == kReadPath;
    if (!isRead && path != kWritePath)
        return {kHttpNotFound, kErrorAnswer};
    const std::vector<QueryField> fields = parseQuery(query);
    const std::vector<QueryField> parameters = withoutAction(fields);
    if (parameters.empty() || actionOf(fields) != (isRead ? kReadAction : kWriteAction))
        return {kHttpOk, kErrorAnswer};
    return isRead ? answerRead(*table, parameters, style) : answerWrite(table, parameters);
}

} // namespace qvcam
