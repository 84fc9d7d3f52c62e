// The parameter interface's answers to authenticated requests, and the query decoding under them.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <parameter_interface.h>
#include <parameter_table.h>
#include <query_string.h>

namespace qvcam {
namespace {

const std::string kRead = "/httpapi/ReadParam";
const std::string kWrite = "/httpapi/WriteParam";

TEST(QueryString, percentDecodingTakesOnlyCompleteEscapes)
{
    struct Row
    {
        std::string encoded;
        std::string decoded;
        std::string reason;
    };
    const std::vector<Row> rows = {
        {"%25L1%25", "%L1%", "the default OSD text of line 1"},
        {"%2c%2C", ",,", "either case of hexadecimal digit"},
        {"a%20b", "a b", "space"},
        {"100%", "100%", "a per cent sign at the end"},
        {"%2", "%2", "one digit short"},
        {"%zz1", "%zz1", "not hexadecimal"},
        {"a+b", "a+b", "the query's plus is not a space here"},
        {"%e2%82%ac", "\xe2\x82\xac", "bytes of a UTF-8 character"},
    };
    for (const Row& row: rows)
        EXPECT_EQ(percentDecode(row.encoded), row.decoded) << row.reason;
}

TEST(QueryString, fieldsKeepOrderAndTellAnEmptyValueFromNone)
{
    const std::vector<QueryField> fields = parseQuery("action=readparam&AIX_LINE_ENABLE1=&&BARE&K%3d=v%3d&");
    ASSERT_EQ(fields.size(), 4U);
    EXPECT_EQ(fields[0].name, "action");
    EXPECT_EQ(fields[0].value, "readparam");
    EXPECT_EQ(fields[1].name, "AIX_LINE_ENABLE1");
    EXPECT_TRUE(fields[1].hasValue);
    EXPECT_EQ(fields[1].value, "");
    EXPECT_EQ(fields[2].name, "BARE");
    EXPECT_FALSE(fields[2].hasValue);
    EXPECT_EQ(fields[3].name, "K=") << "the split comes before decoding";
    EXPECT_EQ(fields[3].value, "v=");
}

TEST(ParameterInterface, readAnswersNameEqualsValueLinePerParameter)
{
    ParameterTable table;
    table.set("AIX_LINE_DAILYRESET_HOUR", "7");
    const InterfaceAnswer answer = answerParameterRequest(
        &table, kRead, "action=readparam&AIX_LINE_DAILYRESET_HOUR=&AIX_LINE_COUNTOSD_STRING2=&");
    EXPECT_EQ(answer.status, kHttpOk);
    EXPECT_EQ(answer.body, "AIX_LINE_DAILYRESET_HOUR=7\r\nAIX_LINE_COUNTOSD_STRING2=%L3%\r\n");
}

TEST(ParameterInterface, missingLiveShapeAnswersOkAndASetOneAnswersItsPieces)
{
    ParameterTable table;
    const std::string query = "action=readparam&AIX_REGION_CURRENT_POSITION4=&";
    EXPECT_EQ(answerParameterRequest(&table, kRead, query).body, "Ok\r\n");

    answerParameterRequest(&table, kWrite, "action=writeparam&AIX_REGION_POSITION4=100,100,900,100,500,800&");
    EXPECT_EQ(answerParameterRequest(&table, kRead, query).body,
        "AIX_REGION_CURRENT_POSITION4=1;100,100,900,100,500,800\r\n");
}

TEST(ParameterInterface, writeStoresTheDecodedValueAndAnswersOk)
{
    ParameterTable table;
    const InterfaceAnswer answer
        = answerParameterRequest(&table, kWrite, "action=writeparam&AIX_LINE_COUNTOSD_STRING2=%25L3%25%20in&");
    EXPECT_EQ(answer.status, kHttpOk);
    EXPECT_EQ(answer.body, "Ok\r\n");
    EXPECT_EQ(table.value("AIX_LINE_COUNTOSD_STRING2"), "%L3% in");
}

TEST(ParameterInterface, refusedRequestsAnswerErrorWithoutAValueAndChangeNothing)
{
    struct Row
    {
        std::string path;
        std::string query;
        int status;
        std::string reason;
    };
    const std::vector<Row> rows = {
        {kRead, "action=readparam&AIX_NO_SUCH_PARAMETER=&", kHttpOk, "unknown parameter"},
        {kWrite, "action=writeparam&AIX_NO_SUCH_PARAMETER=1&", kHttpOk, "unknown parameter"},
        {kWrite, "action=writeparam&AIX_TAMPERING_ENABLE=true&", kHttpOk, "value in the dialog's form"},
        {kWrite, "action=writeparam&AIX_TAMPERING_ENABLE&", kHttpOk, "write without a value"},
        {kWrite, "action=readparam&AIX_TAMPERING_ENABLE=0&", kHttpOk, "read action on the write path"},
        {kRead, "AIX_TAMPERING_ENABLE=&", kHttpOk, "no action"},
        {kRead, "action=readparam&", kHttpOk, "no parameter"},
        {"/httpapi/SetParam", "action=writeparam&AIX_TAMPERING_ENABLE=0&", kHttpNotFound, "unknown path"},
    };
    for (const Row& row: rows)
    {
        ParameterTable table;
        const InterfaceAnswer answer = answerParameterRequest(&table, row.path, row.query);
        EXPECT_EQ(answer.status, row.status) << row.reason;
        EXPECT_EQ(answer.body, "Error\r\n") << row.reason;
        EXPECT_EQ(table.value("AIX_TAMPERING_ENABLE"), "1") << row.reason;
    }
}

} // namespace
} // namespace qvcam
