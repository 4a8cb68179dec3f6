#include "audio/CutPlanners.h"
#include "split/Silences.h"
#include "support/Mp3Builder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Silences = std::vector<SSilence>;
using Points = std::vector<uint64_t>;

constexpr float Q = 0.001f, L = 0.5f; // quiet and loud under a limit of 0.01 (-40 dBFS)
const float kLimit = LevelFromDb(-40.0);

Points CutPoints(const CCutPlan& plan)
{
    Points points;
    for (size_t i = 1; i < plan.pieces.size(); ++i)
        points.push_back(plan.pieces[i].nFrom);
    return points;
}

struct SFindCase {
    const char* name;
    std::vector<float> levels; // windows of 10 frames
    uint64_t nTotal;
    Silences expected; // at least 30 frames below the limit
};

const SFindCase kFindCases[] = {
    {"AtTheStart", {Q, Q, Q, L, L}, 50, {{0, 30}}},
    {"AtTheEnd", {L, L, Q, Q, Q}, 50, {{20, 50}}},
    {"LastWindowCutShortByTheEnd", {L, L, Q, Q, Q}, 45, {}},
    {"ExactlyTheMinimum", {L, Q, Q, Q, L}, 50, {{10, 40}}},
    {"OneWindowShortThenLongEnough", {L, Q, Q, L, Q, Q, Q, Q}, 80, {{40, 80}}},
    {"AtTheLimitIsNotQuiet", {L, kLimit, kLimit, kLimit, L}, 50, {}},
    {"JustBelowTheLimit", {L, std::nextafter(kLimit, 0.f), Q, Q, L}, 50, {{10, 40}}},
    {"NotAnalysedIsNotSilence", {Q, Q, Q}, 100, {{0, 30}}},
    {"NanIsNotQuiet", {Q, Q, NAN, Q, Q, Q}, 60, {{30, 60}}},
};

class FindSilencesTable : public testing::TestWithParam<SFindCase> {};

TEST_P(FindSilencesTable, FindsQuietStretchesOfTheMinimumLength)
{
    EXPECT_EQ(FindSilences(GetParam().levels, 10, GetParam().nTotal, kLimit, 30), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, FindSilencesTable, testing::ValuesIn(kFindCases), ByName);

struct SSplitCase {
    const char* name;
    ECutRule rule;
    uint64_t nMinPiece;
    Points expected;
    size_t nPassedOver;
};

// 1000 frames at 100 a second: silences at both ends are never cut at, and
// {350, 380} holds no whole second.
const Silences kSplitSilences{{0, 50}, {100, 200}, {300, 310}, {350, 380}, {500, 700}, {950, 1000}};
const SSplitCase kSplitCases[] = {
    {"ExactMiddles", ECutRule::Exact, 0, {150, 305, 365, 600}, 0},
    {"ShortPiecesJoinTheNext", ECutRule::Exact, 200, {305, 600}, 0},
    {"AShortLastPieceJoinsTheOneBefore", ECutRule::Exact, 420, {}, 0},
    {"WholeSecondsInsideEachSilence", ECutRule::WholeSeconds, 0, {100, 300, 600}, 1},
};

class PlanAtSilencesTable : public testing::TestWithParam<SSplitCase> {};

TEST_P(PlanAtSilencesTable, CutsInsideTheSilences)
{
    size_t nPassedOver = 0;
    const CCutPlan plan =
        PlanAtSilences(GetParam().rule, 100, 1000, kSplitSilences, GetParam().nMinPiece, 7, &nPassedOver);
    EXPECT_EQ(CutPoints(plan), GetParam().expected);
    EXPECT_EQ(nPassedOver, GetParam().nPassedOver);
    EXPECT_TRUE(plan.rule == GetParam().rule && plan.pieces.back().nTo == 1000 && plan.pieces.back().nLeadIn ==
                (plan.pieces.size() > 1 ? 7u : 0u));
}

INSTANTIATE_TEST_SUITE_P(Table, PlanAtSilencesTable, testing::ValuesIn(kSplitCases), ByName);

struct SSnapCase {
    const char* name;
    ECutRule rule;
    uint64_t nPoint; // one cut of 1000 frames at 100 a second, reach 100
    Silences silences;
    uint64_t nExpected;
    bool bMissed;
};

const SSnapCase kSnapCases[] = {
    {"IntoTheMiddle", ECutRule::Exact, 500, {{520, 560}}, 540, false},
    {"OutOfReachStays", ECutRule::Exact, 500, {{350, 380}, {620, 700}}, 500, true},
    {"OnlyThePartWithinReach", ECutRule::Exact, 500, {{450, 700}}, 525, false},
    {"TheLongestWins", ECutRule::Exact, 500, {{410, 430}, {560, 600}}, 580, false},
    {"EqualLengthsTheNearer", ECutRule::Exact, 500, {{410, 430}, {560, 580}}, 570, false},
    {"WholeSecondNeededInside", ECutRule::WholeSeconds, 500, {{520, 560}}, 500, true},
    {"WholeSecondNearestTheMiddle", ECutRule::WholeSeconds, 500, {{450, 700}}, 500, false},
    {"MissedGoesToTheNearestSecond", ECutRule::WholeSeconds, 530, {}, 500, true},
};

class SnapTable : public testing::TestWithParam<SSnapCase> {};

TEST_P(SnapTable, MovesTheCutIntoAPauseOrNamesIt)
{
    const SSnapCase& c = GetParam();
    Points missed;
    const CCutPlan plan = SnapToSilences(PlanAtPoints(c.rule, 1000, {c.nPoint}, 3), c.silences, 100, 100, &missed);
    ASSERT_EQ(plan.pieces.size(), 2u);
    EXPECT_TRUE(plan.pieces[0].nTo == c.nExpected && plan.pieces[1].nFrom == c.nExpected);
    EXPECT_EQ(plan.pieces[1].nLeadIn, 3u);
    EXPECT_EQ(missed, c.bMissed ? Points{c.nPoint} : Points{});
}

INSTANTIATE_TEST_SUITE_P(Table, SnapTable, testing::ValuesIn(kSnapCases), ByName);

// Two points reaching the same pause both land in it, in order.
TEST(Snap, NeighboursSharingAPauseStayInOrder)
{
    const CCutPlan plan = SnapToSilences(PlanAtPoints(ECutRule::Exact, 1000, {400, 500}, 0), {{410, 490}}, 100, 100);
    EXPECT_EQ(CutPoints(plan), (Points{450, 470}));
}

TEST(Trim, CutsTheSilenceAtBothEndsAndLeavesOutASilentPiece)
{
    const Silences silences{{0, 150}, {220, 580}, {790, 1000}};
    for (const auto& [rule, bounds] :
         {std::pair{ECutRule::Exact, Points{150, 220, 580, 790}}, {ECutRule::WholeSeconds, {100, 300, 500, 800}}}) {
        CCutPlan plan = PlanAtPoints(rule, 1000, {400, 800}, 0);
        plan.pieces[1].strPath = "b.wav";
        std::vector<size_t> dropped;
        const CCutPlan trimmed = TrimSilences(plan, silences, 100, &dropped);
        ASSERT_EQ(trimmed.pieces.size(), 2u);
        EXPECT_EQ((Points{trimmed.pieces[0].nFrom, trimmed.pieces[0].nTo, trimmed.pieces[1].nFrom,
                          trimmed.pieces[1].nTo}),
                  bounds);
        EXPECT_TRUE(trimmed.pieces[1].strPath == "b.wav" && trimmed.pieces[1].tags.nTrack == 2);
        EXPECT_EQ(dropped, std::vector<size_t>{2});
    }
}

} // namespace
