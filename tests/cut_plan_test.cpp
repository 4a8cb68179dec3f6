#include "audio/CutPlanners.h"
#include "audio/CutTime.h"

#include <gtest/gtest.h>
namespace {

struct STimeCase {
    const char* pText;
    std::optional<CCutTime> expected; // nothing: refused
    uint64_t nFramesAt44100 = 0;
};
void PrintTo(const STimeCase& c, std::ostream* pOut) { *pOut << c.pText; }
class CutTimeParse : public testing::TestWithParam<STimeCase> {};

TEST_P(CutTimeParse, ReadsExactlyWhatWasTyped)
{
    std::string strError;
    const std::optional<CCutTime> time = ParseCutTime(GetParam().pText, strError);
    ASSERT_EQ(time.has_value(), GetParam().expected.has_value()) << strError;
    EXPECT_EQ(strError.empty(), time.has_value());
    EXPECT_TRUE(!time || (*time == *GetParam().expected && time->ToFrames(44100) == GetParam().nFramesAt44100));
}

INSTANTIATE_TEST_SUITE_P(
    Table, CutTimeParse,
    testing::Values(STimeCase{"1:23:45.5", CCutTime{false, 50255, 10}, 221624550},
                    STimeCase{"0.00001", CCutTime{false, 1, 100000}, 0},       // 0.441 frames: down
                    STimeCase{"0.0000114", CCutTime{false, 114, 10000000}, 1}, // 0.50274 frames: up
                    STimeCase{"2:05.123456789", CCutTime{false, 125123456789, 1000000000}, 5517944},
                    STimeCase{"441s", CCutTime::Frames(441), 441}, STimeCase{"1:60"}, STimeCase{"1."}, STimeCase{".5"},
                    STimeCase{"1.1234567890"}, STimeCase{"-1"}, STimeCase{"12x"}, STimeCase{"1:2:3:4"},
                    STimeCase{"99999999999"}, STimeCase{"999999999999999999s"}));

TEST(CutPlanners, EqualPiecesSpreadTheRemainderOneFrameEach)
{
    for (const auto& [nTotal, n] : {std::pair<uint64_t, unsigned>{10, 3}, {441000, 7}, {2, 3}}) {
        const CCutPlan plan = PlanEqual(ECutRule::Exact, nTotal, n, 100);
        uint64_t nNext = 0;
        ASSERT_EQ(plan.pieces.size(), n);
        for (unsigned i = 0; i < n; ++i) {
            const CPiece& p = plan.pieces[i];
            EXPECT_TRUE(p.nFrom == nNext && p.nTo - p.nFrom == nTotal / n + (i < nTotal % n ? 1 : 0)) << i;
            EXPECT_TRUE(p.nLeadIn == (i == 0 ? 0u : 100u) && p.tags.nTrack == i + 1 && p.tags.nTracks == n);
            nNext = p.nTo;
        }
        EXPECT_EQ(nNext, nTotal);
    }
}
TEST(CutPlanners, PointsMustAscendAndACueStartingLateLeavesTheHeadOut)
{
    const CCutPlan cue = PlanFromStarts(ECutRule::Exact, 1000, {30, 500}, 0);
    ASSERT_EQ(cue.pieces.size(), 2u);
    EXPECT_TRUE(cue.pieces[0].nFrom == 30 && cue.pieces[0].nTo == 500 && cue.pieces[1].nTo == 1000);
    for (const auto& [points, nIndex] : std::vector<std::pair<std::vector<uint64_t>, int>>{
             {{1, 999}, -1}, {{0}, 0}, {{10, 1000}, 1}, {{10, 20, 20}, 2}, {{30, 20}, 1}})
        EXPECT_EQ(CheckCutPoints(1000, points).nIndex, nIndex);
}

} // namespace
