#include "audio/FragmentNames.h"
#include "platform/File.h"
#include "split/ShredProgressState.h"
#include "split/ShredChecks.h"
#include "split/ShredValidation.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <deque>
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

TEST(File, HeldFilesAreNotShared)
{
    CTempDir dir;
    WriteBytes(dir / "src.wav", Bytes(5000, 7));
    std::filesystem::create_hard_link(dir / "src.wav", dir / "hard.wav");
    std::filesystem::create_symlink(dir / "src.wav", dir / "soft.wav");
    {
        CFile source, out1, out2, reader;
        ASSERT_TRUE(source.Open(dir / "src.wav", CFile::EMode::Read));
        EXPECT_FALSE(out1.Open(dir / "hard.wav", CFile::EMode::Create));
        EXPECT_FALSE(out2.Open(dir / "soft.wav", CFile::EMode::Create));
        EXPECT_TRUE(reader.Open(dir / "hard.wav", CFile::EMode::Read)) << "readers share";
    }
    EXPECT_EQ(ReadBytes(dir / "src.wav"), Bytes(5000, 7));
    CFile out, reader;
    ASSERT_TRUE(out.Open(dir / "hard.wav", CFile::EMode::Create));
    EXPECT_FALSE(reader.Open(dir / "src.wav", CFile::EMode::Read));
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

namespace {

// Yes or No to each question, the overlap Customize leaves, whether the estimate is confirmed.
struct CScriptedWindows : IMessageBoxes, IShredDialogOwner, IEstimateWindow {
    std::deque<bool> yes;
    std::deque<uint32_t> customized;
    bool bConfirm = true;
    uint32_t nOverlap = 0;
    std::vector<std::string> shown;
    EMsgAnswer MessageBox(CWnd*, const std::string& strText, const std::string& strCaption, EMsgIcon,
                          EMsgButtons buttons) override
    {
        shown.push_back(strCaption + ": " + strText);
        if (buttons == EMsgButtons::Ok)
            return EMsgAnswer::Ok;
        const bool b = yes.front();
        yes.pop_front();
        return b ? EMsgAnswer::Yes : EMsgAnswer::No;
    }
    void Customize() override { nOverlap = customized.front(), customized.pop_front(); }
    uint32_t GetOverlapTime() const override { return nOverlap; }
    bool Show(const std::array<std::string, 6>&) override { return shown.push_back("Estimate"), bConfirm; }
    CShredWindows Windows() { return {*this, nullptr, *this, *this}; }
};

} // namespace

TEST(ShredValidation, OverlapAboveHalfAFragmentIsQuestioned)
{
    CScriptedWindows w;
    w.yes = {false};
    EXPECT_EQ(CheckOverlap(5, 9.6, w.Windows()), 5u);
    EXPECT_EQ(w.shown, (std::vector<std::string>{
                           "Confirm: " + FormatOverlapQuestion(5, 9, 4),
                           "Information: The fragments may not adhere to the estimate that will be shown."}));
    w.yes = {true, true};
    w.customized = {6, 3};
    EXPECT_EQ(CheckOverlap(5, 9.6, w.Windows()), 3u);
    EXPECT_EQ(w.shown.back(), "Confirm: " + FormatOverlapQuestion(6, 9, 4));
}

TEST(ShredValidation, ChecksThenEstimate)
{
    CWaveShredArgs a;
    a.fmt.avgBytesPerSec = 176400;
    a.fmt.blockAlign = 4;
    a.dataHeader.size = 1764000;
    a.nAudioBytes = 1764000;
    struct { std::string strCount; bool bConfirm; int nResult; std::string strShown; } const cases[] = {
        {"", true, kCheckNoCount, "Error: Please enter the number of fragments."},
        {"10", false, kCheckEstimateCancelled, "Estimate"}};
    for (const auto& c : cases) {
        CScriptedWindows w;
        w.bConfirm = c.bConfirm;
        EXPECT_EQ(ValidateAndEstimate(c.strCount, a, 0, w.Windows()).nResult, c.nResult) << c.strCount;
        EXPECT_EQ(w.shown, std::vector<std::string>{c.strShown}) << c.strCount;
    }
    CScriptedWindows w; // 5 s fragments, 3 s of overlap: changed to 2 in Customize
    w.yes = {true};
    w.customized = {2};
    const CValidation v = ValidateAndEstimate("2", a, 3, w.Windows());
    EXPECT_EQ(v.nResult, kCheckOk);
    EXPECT_EQ(v.nFragments, 2u);
    EXPECT_EQ(v.nOverlap, 2u);
    EXPECT_EQ(w.shown.back(), "Estimate");
}

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
