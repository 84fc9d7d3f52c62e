// A host slot written once through runGuardedSlot: its body's outcome, or one error line and an internal error.
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <host_double/taken_error.h>
#include <tesh/sdk/helpers/boundary.h>
#include <tesh/sdk/helpers/error.h>
#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/string.h>

namespace tesh::test {
namespace {

using sdk::ErrorCode;
using sdk::IString;
using sdk::Result;

struct SlotCase
{
    const char* reason;
    std::function<void(Result<IString*>*)> body;
    ErrorSeen error;
    std::string value; //< The text handed back; empty for none.
    std::vector<std::string> lines;
};

TEST(GuardedSlot, handsBackTheBodysOutcomeOrOneErrorLineAndAnInternalErrorWithNoValue)
{
    const ErrorSeen internalError{ErrorCode::internalError, "getText() failed inside the plug-in"};
    const SlotCase cases[] = {
        {"a body that finishes hands back what it filled in",
            [](Result<IString*>* out) { out->value = new sdk::String("text"); }, kSuccess, "text", {}},
        {"a body's own error stands",
            [](Result<IString*>* out) { out->error = sdk::error(ErrorCode::otherError, "no"); },
            {ErrorCode::otherError, "no"}, "", {}},
        {"a standard exception is named in the line", [](Result<IString*>*) { throw std::runtime_error("boom"); },
            internalError, "", {"ERROR: getText(): caught exception: boom"}},
        {"any other exception too", [](Result<IString*>*) { throw 7; }, internalError, "",
            {"ERROR: getText(): caught exception: unknown exception"}},
    };
    for (const SlotCase& c: cases)
    {
        SCOPED_TRACE(c.reason);
        std::vector<std::string> lines;
        Result<IString*> result;
        sdk::runGuardedSlot(
            [&](const std::string& line) { lines.push_back(line); }, "getText", &result, [&] { c.body(&result); });
        EXPECT_EQ(takeError(&result.error), c.error);
        const auto value = sdk::adopt(result.value);
        EXPECT_EQ(value ? value->str() : "", c.value);
        EXPECT_EQ(lines, c.lines);
    }

    Result<void> pushed; //< A slot with no value fails the same way.
    sdk::runGuardedSlot([](const std::string&) {}, "push", &pushed, [] { throw std::bad_alloc(); });
    EXPECT_EQ(takeError(&pushed.error), ErrorSeen(ErrorCode::internalError, "push() failed inside the plug-in"));
}

TEST(GuardedSlot, runsNoBodyWhereTheHostGaveNoPlaceForTheOutcome)
{
    bool ran = false;
    sdk::runGuardedSlot([](const std::string&) {}, "push", static_cast<Result<void>*>(nullptr), [&] { ran = true; });
    EXPECT_FALSE(ran);
}

} // namespace
} // namespace tesh::test
