#include "audio/FragmentNames.h"
#include "split/ShredChecks.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

CWaveShredArgs WaveArgs(uint32_t nDataBytes)
{
    CWaveShredArgs a;
    a.fmt.avgBytesPerSec = 176400;
    a.fmt.blockAlign = 4;
    a.dataHeader.size = nDataBytes;
    a.strSourceName = "song.wav";
    return a;
}

struct SCountCase {
    std::string strText;
    uint32_t nDataBytes;
    int nResult;
};

class FragmentCount : public ::testing::TestWithParam<SCountCase> {};

} // namespace

TEST_P(FragmentCount, IsCheckedBeforeASplit)
{
    const SCountCase& c = GetParam();
    const CCountCheck check = CheckWaveFragmentCount(c.strText, WaveArgs(c.nDataBytes));
    EXPECT_EQ(check.nResult, c.nResult);
    EXPECT_EQ(check.pMessage == nullptr, c.nResult == kCheckOk);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, FragmentCount,
    ::testing::Values(SCountCase{"", 1764000, kCheckNoCount}, SCountCase{"0", 1764000, kCheckCountTooSmall},
                      SCountCase{"1", 1764000, kCheckCountTooSmall}, SCountCase{"abc", 1764000, kCheckCountTooSmall},
                      SCountCase{"02", 1764000, kCheckOk}, SCountCase{"10", 1764000, kCheckOk},
                      SCountCase{"11", 1764000, kCheckTooShort}, SCountCase{"-1", 1764000, kCheckTooManyFragments},
                      SCountCase{"65535", 0xFFFFFFFF, kCheckTooManyFragments},
                      SCountCase{"65534", 0xFFFFFFFF, kCheckTooShort},
                      SCountCase{"99999999999", 1764000, kCheckTooManyFragments}));

TEST(FragmentCount, ParsesAsTheNumberFieldDoes)
{
    EXPECT_EQ(ParseFragmentCount("02"), 2);
    EXPECT_EQ(ParseFragmentCount("  7x"), 7);
    EXPECT_EQ(ParseFragmentCount("+5"), 5);
    EXPECT_EQ(ParseFragmentCount("-5"), -5);
    EXPECT_EQ(ParseFragmentCount("x7"), 0);
    EXPECT_EQ(ParseFragmentCount("99999999999"), INT32_MAX);
}

TEST(Estimate, WaveRoundsUpToFramesAndCountsTheHeader)
{
    CWaveShredArgs a = WaveArgs(1764002);
    CEstimate e = EstimateWave(a, 2);
    EXPECT_EQ(e.nFragmentSize, 882048u);
    EXPECT_EQ(FormatEstimateLines("song.wav", 2, 0, e)[4], "Fragments' playtime - 5.00 Second(s)");

    a.fmt.extraSize = 2;
    a.factHeader.size = 4;
    EXPECT_EQ(EstimateWave(a, 2).nFragmentSize, 882064u);
}

TEST(Estimate, Lines)
{
    const auto lines = FormatEstimateLines("song.wav", 3, 2, {588044, 3.3333});
    EXPECT_EQ(lines[0], "SONG.WAV will be split into 3 file(s). A predictive estimate is given below. However, if "
                        "overlap time is set, then the fragment size and playtime may change.");
    EXPECT_EQ(lines[1], "Source filename - SONG.WAV");
    EXPECT_EQ(lines[2], "Number of fragments - 3");
    EXPECT_EQ(lines[3], "Fragments' size - 588044 bytes");
    EXPECT_EQ(lines[4], "Fragments' playtime - 3.33 Second(s)");
    EXPECT_EQ(lines[5], "Overlaping time - 2 Second(s)");
}

namespace {

class CScriptedQuestions : public IOverlapQuestions {
public:
    std::deque<bool> answers;
    std::deque<uint32_t> customized;
    std::vector<std::string> asked;
    std::vector<std::string> informed;
    bool AskChangeOverlap(const std::string& q) override
    {
        asked.push_back(q);
        const bool b = answers.front();
        answers.pop_front();
        return b;
    }
    uint32_t CustomizeOverlap() override
    {
        const uint32_t n = customized.front();
        customized.pop_front();
        return n;
    }
    void Inform(const std::string& s) override { informed.push_back(s); }
};

} // namespace

TEST(OverlapCheck, HalfTheFragmentIsAllowedSilently)
{
    CScriptedQuestions q;
    EXPECT_EQ(CheckOverlap(4, 9.6, q), 4u);
    EXPECT_TRUE(q.asked.empty());
}

TEST(OverlapCheck, AnsweringNoKeepsTheOverlapAndSaysSoOnce)
{
    CScriptedQuestions q;
    q.answers = {false};
    EXPECT_EQ(CheckOverlap(5, 9.6, q), 5u);
    ASSERT_EQ(q.asked.size(), 1u);
    EXPECT_EQ(q.asked[0], FormatOverlapQuestion(5, 9, 4));
    EXPECT_EQ(q.asked[0], "Overlap time is 5 Second(s), which is high for the fragments of playtime 9 Second(s). "
                          "Set the overlap time about 4 Second(s). Do you wish to change the overlap time?");
    EXPECT_EQ(q.informed, std::vector<std::string>{"The fragments may not adhere to the estimate that will be shown."});
}

TEST(OverlapCheck, AnsweringYesAsksAgainUntilTheNewValueFits)
{
    CScriptedQuestions q;
    q.answers = {true, true};
    q.customized = {6, 3};
    EXPECT_EQ(CheckOverlap(5, 9.6, q), 3u);
    ASSERT_EQ(q.asked.size(), 2u);
    EXPECT_EQ(q.asked[1], FormatOverlapQuestion(6, 9, 4));
    EXPECT_TRUE(q.informed.empty());
}

struct SNameCase {
    std::string strBase, strSource, strExt;
    unsigned n;
    std::string strExpected;
};

class FragmentNames : public ::testing::TestWithParam<SNameCase> {};

TEST_P(FragmentNames, UpperCaseTheFileNameOnly)
{
    const SNameCase& c = GetParam();
    const std::string strLower = c.strExt == ".WAV" ? ".wav" : ".mp3";
    EXPECT_EQ(FragmentPath(FragmentBase(c.strBase, c.strSource, c.strExt), c.n, strLower), c.strExpected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, FragmentNames,
    ::testing::Values(SNameCase{"", "/data/Music/song.wav", ".WAV", 1, "/data/Music/SONG-1.wav"},
                      SNameCase{"", "/data/Music/song.wav", ".WAV", 2, "/data/Music/SONG-2.wav"},
                      SNameCase{"/tmp/out/part", "/x/y.wav", ".WAV", 1, "/tmp/out/PART-1.wav"},
                      SNameCase{"", "/m/a.wav.wav", ".WAV", 1, "/m/A-1.wav"},
                      SNameCase{"", "/m/x.wav files/s.wav", ".WAV", 1, "/m/x.wav files/S-1.wav"},
                      SNameCase{"", "/Music/Live.mp3", ".MP3", 1, "/Music/LIVE-1.mp3"},
                      SNameCase{"rel/take.Wav", "/x/y.wav", ".WAV", 100, "rel/TAKE-100.wav"},
                      SNameCase{"", "/m/a.mp3.wav", ".WAV", 3, "/m/A.MP3-3.wav"}));

TEST(FragmentNames, UpperCasingKeepsBytesThatAreNotUtf8)
{
    EXPECT_EQ(ToUpperUtf8(std::string("ab\xff") + "c"), std::string("AB\xff") + "C");
}
