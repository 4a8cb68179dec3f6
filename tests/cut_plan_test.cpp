// Times as typed, and the planners that turn them into pieces of sample frames.
#include "audio/CutPlanners.h"
#include "audio/CutTime.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

struct STimeCase {
    const char* pText;
    std::optional<CCutTime> expected; // nothing: refused
    uint64_t nFramesAt44100 = 0;
};
void PrintTo(const STimeCase& c, std::ostream* pOut) { *pOut << c.pText; }

const STimeCase kTimes[] = {
    {"0", CCutTime::Seconds(0), 0},
    {"1:23:45", CCutTime::Seconds(5025), 5025 * 44100ull},
    {"1:23:45.5", CCutTime{false, 50255, 10}, 221624550},
    {"0.00001", CCutTime{false, 1, 100000}, 0},     // 0.441 frames: the nearest is 0
    {"0.0000114", CCutTime{false, 114, 10000000}, 1}, // 0.50274 frames: rounds up
    {"2:05.123456789", CCutTime{false, 125123456789, 1000000000}, 5517944},
    {"441s", CCutTime::Frames(441), 441},
    {"0s", CCutTime::Frames(0), 0},
    {"1:60", std::nullopt},
    {"1.", std::nullopt},
    {".5", std::nullopt},
    {"1.5.5", std::nullopt},
    {"1.1234567890", std::nullopt}, // ten fraction digits
    {"s", std::nullopt},
    {"-1", std::nullopt},
    {"12x", std::nullopt},
    {"1:2:3:4", std::nullopt},
    {"99999999999", std::nullopt},    // beyond the seconds a time may hold
    {"999999999999999999s", std::nullopt},
};

class CutTimeParse : public testing::TestWithParam<STimeCase> {};

TEST_P(CutTimeParse, ReadsExactlyWhatWasTyped)
{
    const STimeCase& c = GetParam();
    std::string strError;
    const std::optional<CCutTime> time = ParseCutTime(c.pText, strError);
    ASSERT_EQ(time.has_value(), c.expected.has_value()) << strError;
    if (!time) {
        EXPECT_FALSE(strError.empty());
        return;
    }
    EXPECT_EQ(*time, *c.expected);
    EXPECT_EQ(time->ToFrames(44100), c.nFramesAt44100);
}

INSTANTIATE_TEST_SUITE_P(Table, CutTimeParse, testing::ValuesIn(kTimes));

TEST(CutTime, OnlyFractionsAndSampleCountsNeedExactCuts)
{
    EXPECT_FALSE((CCutTime{false, 20, 10}.NeedsExact())); // "2.0" is a whole second
    EXPECT_TRUE((CCutTime{false, 25, 10}.NeedsExact()));
    EXPECT_TRUE(CCutTime::Frames(44100).NeedsExact());
    EXPECT_EQ(FormatCutTime(3725.5), "1:02:05.500");
    EXPECT_EQ(FormatCutTime(65.0004), "1:05.000");
}

// Pieces cover the audio without gap or overlap of their own frames, whatever the count.
TEST(CutPlanners, EqualPiecesSpreadTheRemainderOneFrameEach)
{
    for (const auto& [nTotal, n] : {std::pair<uint64_t, unsigned>{10, 3}, {441000, 7}, {5, 5}, {2, 3}}) {
        const CCutPlan plan = PlanEqual(ECutRule::Exact, nTotal, n, 100);
        ASSERT_EQ(plan.pieces.size(), n);
        uint64_t nNext = 0;
        for (unsigned i = 0; i < n; ++i) {
            const CPiece& p = plan.pieces[i];
            EXPECT_EQ(p.nFrom, nNext);
            EXPECT_EQ(p.nTo - p.nFrom, nTotal / n + (i < nTotal % n ? 1 : 0));
            EXPECT_EQ(p.nLeadIn, i == 0 ? 0u : 100u);
            EXPECT_EQ(p.tags.nTrack, i + 1);
            EXPECT_EQ(p.tags.nTracks, n);
            nNext = p.nTo;
        }
        EXPECT_EQ(nNext, nTotal);
    }
}

TEST(CutPlanners, PointsAndStartsBoundThePieces)
{
    const CCutPlan at = PlanAtPoints(ECutRule::WholeSeconds, 1000, {100, 400}, 5);
    ASSERT_EQ(at.pieces.size(), 3u);
    EXPECT_EQ(at.pieces[0].nFrom, 0u);
    EXPECT_EQ(at.pieces[1].nFrom, 100u);
    EXPECT_EQ(at.pieces[2].nTo, 1000u);
    EXPECT_EQ(at.pieces[2].nLeadIn, 5u);
    // A sheet whose first track starts late leaves what comes before it out.
    const CCutPlan cue = PlanFromStarts(ECutRule::Exact, 1000, {30, 500}, 0);
    ASSERT_EQ(cue.pieces.size(), 2u);
    EXPECT_EQ(cue.pieces[0].nFrom, 30u);
    EXPECT_EQ(cue.pieces[0].nTo, 500u);
    EXPECT_EQ(cue.pieces[1].nTo, 1000u);
    const CCutPlan one = PlanSelection(ECutRule::Exact, 70, 20, "x");
    EXPECT_EQ(one.pieces[0].nFrom, 20u);
    EXPECT_EQ(one.pieces[0].nTo, 70u);
}

TEST(CutPlanners, PointsMustAscendInsideTheAudio)
{
    EXPECT_EQ(CheckCutPoints(1000, {1, 999}).nIndex, -1);
    EXPECT_EQ(CheckCutPoints(1000, {0}).nIndex, 0);
    EXPECT_EQ(CheckCutPoints(1000, {10, 1000}).nIndex, 1);
    EXPECT_EQ(CheckCutPoints(1000, {10, 20, 20}).nIndex, 2);
    EXPECT_EQ(CheckCutPoints(1000, {30, 20}).nIndex, 1);
}

} // namespace
