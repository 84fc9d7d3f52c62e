// The seeded fault draws: shares honoured, sequences repeatable, garbage that never passes for an answer.
#include <cmath>
#include <string>

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
