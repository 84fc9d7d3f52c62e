// The camera's parameter interface: what it answers to an authenticated request for
// /httpapi/ReadParam or /httpapi/WriteParam.
//
// Reads answer one line "NAME=VALUE" per parameter. A live shape of a figure that is not set answers
// "Ok" (the camera's acknowledgement, with no "="), as does every accepted write. An unknown parameter,
// a value the parameter does not accept, a wrong action or a request without parameters answers
// "Error" with no "=", still with status 200, as the camera's interface does; an unknown path is 404.
// Firmware versions differ in the form of a read's answer (AnswerStyle).
#pragma once

#include <string>
#include <vector>

#include "parameter_table.h"
#include "query_string.h"

namespace qvcam {

constexpr int kHttpOk = 200;
constexpr int kHttpNotFound = 404;

struct InterfaceAnswer
{
    int status = kHttpOk;
    std::string body;
};

/** How a read's answer is laid out; the default is the form the plug-in was written against. */
struct AnswerStyle
{
    size_t trailingBlanks = 0; //< Spaces and tabs between every value and its line end.
    bool neighbourLines = false; //< Lines of the parameters named just before and after the one asked for.
};

/** The blanks a value line ends with, spaces with every third a tab: "  \t  \t". */
std::string trailingBlanks(size_t count);

bool isWritePath(const std::string& path);

/** The request's parameter fields: every field but "action". */
std::vector<QueryField> requestParameters(const std::string& query);

InterfaceAnswer answerParameterRequest(
    ParameterTable* table, const std::string& path, const std::string& query, const AnswerStyle& style = {});

} // namespace qvcam
