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

std::string readLine(const ParameterTable& table, const std::string& name)
{
    const ParameterTable::ReadResult result = table.read(name);
    switch (result.outcome)
    {
        case ParameterTable::ReadOutcome::value: return name + "=" + result.value + kLineEnd;
        case ParameterTable::ReadOutcome::noLiveShape: return kOkAnswer;
        case ParameterTable::ReadOutcome::unknown: break;
    }
    return kErrorAnswer;
}

InterfaceAnswer answerRead(const ParameterTable& table, const std::vector<QueryField>& parameters)
{
    std::string body;
    for (const QueryField& parameter: parameters)
        body += readLine(table, parameter.name);
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

std::vector<QueryField> requestParameters(const std::string& query)
{
    return withoutAction(parseQuery(query));
}

InterfaceAnswer answerParameterRequest(ParameterTable* table, const std::string& path, const std::string& query)
{
    const bool isRead = path == kReadPath;
    if (!isRead && path != kWritePath)
        return {kHttpNotFound, kErrorAnswer};
    const std::vector<QueryField> fields = parseQuery(query);
    const std::vector<QueryField> parameters = withoutAction(fields);
    if (parameters.empty() || actionOf(fields) != (isRead ? kReadAction : kWriteAction))
        return {kHttpOk, kErrorAnswer};
    return isRead ? answerRead(*table, parameters) : answerWrite(table, parameters);
}

} // namespace qvcam
