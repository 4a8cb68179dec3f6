#include "audio/FragmentNames.h"
#include "platform/File.h"
#include "split/ShredProgressState.h"
#include "split/ShredChecks.h"
#include "split/ShredValidation.h"
#include "doubles/FakeUi.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(File, ReadsWritesAndSeeksThroughItsBuffer)
{
    CTempDir dir;
    Bytes content(700001);
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<unsigned char>(i * 13 + 1);
    CFile out;
    ASSERT_TRUE(out.Open(dir / "f.wav", CFile::EMode::Create));
    out.Write(content.data(), 5);
    out.Write(content.data() + 5, 700000 - 4);
    out.Seek(0, CFile::EFrom::Begin);
    out.Write("RIFF", 4);
    out.Close();
    std::copy_n("RIFF", 4, content.begin());
    EXPECT_EQ(ReadBytes(dir / "f.wav"), content);

    CFile in;
    ASSERT_TRUE(in.Open(dir / "f.wav", CFile::EMode::Read));
    unsigned char b[4];
    in.Seek(299998, CFile::EFrom::Begin);
    ASSERT_EQ(in.Read(b, 4), 4u);
    EXPECT_EQ(b[3], content[300001]);
    EXPECT_THROW(in.Seek(-300003, CFile::EFrom::Current), CFileException);
    in.Seek(699999, CFile::EFrom::Begin);
    EXPECT_EQ(in.Read(b, 4), 2u);
}

TEST(ProgressState, FollowsTheProgressBarRules)
{
    CShredProgressState p;
    p.SetTotalFiles(65536 + 5); // 16-bit gross range
    EXPECT_EQ(p.GetGrossBar().GetMax(), 5);
    p.SetFileBytes(25000);
    p.SetFileBytes(90000); // the first nonzero one wins
    for (int i = 0; i < 3; ++i)
        p.StepFile();
    EXPECT_EQ(p.GetFileBar().GetPos(), 0) << "30000 passed the maximum: start again";
    CShredProgressState big;
    big.SetFileBytes(5ull << 30);
    EXPECT_EQ(big.GetFileBar().GetMax(), 5ll << 30) << "no wrap past 4 GiB";
}

TEST(ShredChecks, FragmentCount)
{
    CWaveShredArgs a;
    a.fmt.avgBytesPerSec = 176400;
    a.dataHeader.size = 1764000;
    for (const auto& [strText, nResult] : {std::pair{"abc", kCheckCountTooSmall}, std::pair{"10", kCheckOk},
                                           std::pair{"11", kCheckTooShort}, std::pair{"-1", kCheckTooShort}})
        EXPECT_EQ(CheckWaveFragmentCount(strText, a).nResult, nResult) << strText;
    a.fmt.avgBytesPerSec = 8000;
    a.dataHeader.size = 4000000000u;
    EXPECT_EQ(CheckWaveFragmentCount("65534", a).nResult, kCheckOk);
    EXPECT_EQ(CheckWaveFragmentCount("65535", a).nResult, kCheckTooManyFragments);
}

TEST(ShredChecks, Estimates)
{
    CWaveShredArgs a;
    a.fmt.avgBytesPerSec = 176400;
    a.fmt.blockAlign = 4;
    a.dataHeader.size = 1764002;
    EXPECT_EQ(FormatEstimateLines("song.wav", 2, 1, EstimateWave(a, 2)),
              (std::array<std::string, 6>{
                  "SONG.WAV will be split into 2 file(s). A predictive estimate is given below. However, if overlap "
                  "time is set, then the fragment size and playtime may change.",
                  "Source filename - SONG.WAV", "Number of fragments - 2", "Fragments' size - 882048 bytes",
                  "Fragments' playtime - 5.00 Second(s)", "Overlaping time - 1 Second(s)"}));
    CMp3ShredArgs m;
    m.nFileLength = 1000000;
    m.nBitrate = 128000;
    m.bNoTag = false;
    EXPECT_NEAR(EstimateMp3(m, 3).dPlaytime, 20.83, 0.005);
    m.dBytesPerSecond = 8000.0; // an information frame's average rate
    EXPECT_NEAR(EstimateMp3(m, 3).dPlaytime, 41.67, 0.005);
}

// The count checks, the overlap question (Yes: Customize, then asked again), then the Estimate window.
struct SValidationCase {
    std::string strCount;
    uint32_t nOverlap;
    std::vector<bool> yes;
    std::vector<uint32_t> customized;
    bool bConfirm;
    int nResult;
    uint32_t nOverlapAfter;
    std::vector<std::string> shown;
};

class ShredValidation : public testing::TestWithParam<SValidationCase> {};

TEST_P(ShredValidation, ChecksAsksThenShowsTheEstimate)
{
    const SValidationCase& c = GetParam();
    CWaveShredArgs a; // 10 s: fragments of 5 s, half a fragment 2 s
    a.fmt.avgBytesPerSec = 176400;
    a.fmt.blockAlign = 4;
    a.dataHeader.size = 1764000;
    a.nAudioBytes = 1764000;
    CScriptedWindows w;
    w.yes = c.yes;
    w.bConfirm = c.bConfirm;
    w.customize = [&, k = size_t{0}]() mutable { return c.customized.at(k++); };
    const CValidation v = ValidateAndEstimate(c.strCount, a, c.nOverlap, w.Windows());
    EXPECT_EQ(v.nResult, c.nResult);
    EXPECT_EQ(v.nOverlap, c.nOverlapAfter);
    EXPECT_EQ(v.nFragments, c.nResult == kCheckNoCount ? 0u : std::stoul(c.strCount));
    EXPECT_EQ(w.shown, c.shown);
}

const std::string kNotAdhered = "Information: The fragments may not adhere to the estimate that will be shown.";

INSTANTIATE_TEST_SUITE_P(
    Cases, ShredValidation,
    testing::Values(
        SValidationCase{"", 0, {}, {}, true, kCheckNoCount, 0, {"Error: Please enter the number of fragments."}},
        SValidationCase{"10", 0, {}, {}, false, kCheckEstimateCancelled, 0, {"Estimate"}},
        SValidationCase{"2", 3, {false}, {}, true, kCheckOk, 3,
                        {"Confirm: " + FormatOverlapQuestion(3, 5, 2), kNotAdhered, "Estimate"}},
        SValidationCase{"2", 3, {true, true}, {4, 2}, true, kCheckOk, 2,
                        {"Confirm: " + FormatOverlapQuestion(3, 5, 2), "Confirm: " + FormatOverlapQuestion(4, 5, 2),
                         "Estimate"}}));

TEST(FragmentNames, UpperCaseTheFileNameOnly)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> cases{
        {"", "/data/Music/song.wav", "/data/Music/SONG-2.wav"},
        {"", "/m/a.wav.wav", "/m/A-2.wav"},
        {"rel/take.Wav", "/x/y.wav", "rel/TAKE-2.wav"},
        {"", "/m/\xc3\xa9t\xc3\xa9\xff.wav", "/m/\xc3\x89T\xc3\x89\xff-2.wav"}};
    for (const char* pLocale : {"C", "C.UTF-8"}) {
        std::setlocale(LC_CTYPE, pLocale);
        for (const auto& [strBase, strSource, strExpected] : cases)
            EXPECT_EQ(FragmentPath(FragmentBase(strBase, strSource, ".WAV"), 2, ".wav"), strExpected) << pLocale;
    }
    std::setlocale(LC_CTYPE, "C");
}
