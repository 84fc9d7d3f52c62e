// The fault plan: shares honoured, sequences repeatable, faults by name before the draws, garbage that never
// passes for an answer.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <fault_plan.h>

namespace qvcam {
namespace {

TEST(FaultPlan, drawsFollowTheSharesAndRepeatWithTheSeed)
{
    constexpr int kDraws = 20000;
    FaultPlan plan(0.2, 0.1, 7);
    FaultPlan samePlan(0.2, 0.1, 7);
    FaultPlan otherSeed(0.2, 0.1, 8);
    int garbage = 0;
    int drops = 0;
    int differences = 0;
    bool sameSequence = true;
    for (int i = 0; i < kDraws; ++i)
    {
        const Fault fault = plan.draw();
        garbage += fault == Fault::garbage;
        drops += fault == Fault::drop;
        sameSequence = sameSequence && samePlan.draw() == fault;
        differences += otherSeed.draw() != fault;
    }
    // Four standard deviations of a binomial count around the share.
    EXPECT_NEAR(garbage, 0.2 * kDraws, 4 * std::sqrt(kDraws * 0.2 * 0.8));
    EXPECT_NEAR(drops, 0.1 * kDraws, 4 * std::sqrt(kDraws * 0.1 * 0.9));
    EXPECT_TRUE(sameSequence);
    EXPECT_GT(differences, 0);

    FaultPlan none(0, 0, 1);
    FaultPlan everything(1, 1, 1);
    for (int i = 0; i < 1000; ++i)
    {
        ASSERT_EQ(none.draw(), Fault::none);
        ASSERT_EQ(everything.draw(), Fault::drop) << "drops take precedence when the shares exceed 1";
    }
}

TEST(FaultPlan, faultsByNameComeFirstAndLeaveTheDrawsToTheOtherRequests)
{
    ParameterFaults byName;
    byName.statuses = {{"AIX_A", 404, false}, {"AIX_W", 500, true}};
    byName.refusedWrites = {"AIX_W", "AIX_R"};
    FaultPlan plan(0.5, 0, 9, byName);
    FaultPlan drawsOnly(0.5, 0, 9);
    struct Row
    {
        std::vector<std::string> parameters;
        bool isWrite;
        Fault fault; //< Fault::none: the next draw decides.
        int status;
        const char* reason;
    };
    const Row rows[] = {
        {{"AIX_A"}, false, Fault::status, 404, "a status for reads and writes"},
        {{"AIX_A"}, true, Fault::status, 404, "a status for reads and writes"},
        {{"AIX_W"}, false, Fault::none, 0, "a status for writes leaves reads to the draw"},
        {{"AIX_W"}, true, Fault::status, 500, "a status goes before a refusal"},
        {{"AIX_R"}, true, Fault::refusal, 0, "a refused write"},
        {{"AIX_R"}, false, Fault::none, 0, "refusals are of writes only"},
        {{"AIX_B", "AIX_A"}, false, Fault::status, 404, "any parameter named in the request"},
        {{"AIX_B"}, true, Fault::none, 0, "no fault by name"},
    };
    for (const Row& row: rows)
    {
        const FaultDecision decision = plan.decide(row.parameters, row.isWrite);
        const Fault expected = row.fault == Fault::none ? drawsOnly.draw() : row.fault;
        EXPECT_EQ(decision.fault, expected) << row.reason;
        EXPECT_EQ(decision.status, row.status) << row.reason;
    }
}

TEST(FaultPlan, garbageNeverLooksLikeAValueOrAnAcknowledgement)
{
    FaultPlan plan(1, 0, 3);
    for (int i = 0; i < 2000; ++i)
    {
        const std::string text = plan.garbage();
        ASSERT_FALSE(text.empty());
        ASSERT_EQ(text.find('='), std::string::npos) << text;
        ASSERT_EQ(text.find("Ok"), std::string::npos) << text;
    }
}

} // namespace
} // namespace qvcam
