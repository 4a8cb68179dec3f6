#include "audio/FragmentNames.h"
#include "audio/WaveFile.h"
#include "platform/File.h"
#include "split/ShredChecks.h"
#include "split/ShredProgressState.h"
#include "doubles/FakeUi.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <clocale>

TEST(File, ReadsWritesAndSeeksThroughItsBuffer)
{
    CTempDir dir;
    Bytes content(700001);
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<unsigned char>(i * 13 + 1);
    CFile file;
    ASSERT_TRUE(file.Open(dir / "f.wav", CFile::EMode::Create));
    file.Write(content.data(), 5);
    file.Write(content.data() + 5, 700000 - 4);
    file.Seek(0, CFile::EFrom::Begin);
    file.Write("RIFF", 4);
    file.Close();
    std::copy_n("RIFF", 4, content.begin());
    EXPECT_EQ(ReadBytes(dir / "f.wav"), content);
}

// Each failure carries the system's text: an open, a seek before the start, a full device under a save.
TEST(File, FailuresCarryTheSystemsText)
{
    CTempDir dir;
    CFile file;
    EXPECT_FALSE(file.Open(dir / "none/out.wav", CFile::EMode::Create));
    EXPECT_EQ(file.GetOpenError(), "No such file or directory");
    WriteBytes(dir / "in.wav", BuildWav({}));
    ASSERT_TRUE(file.Open(dir / "in.wav", CFile::EMode::Read));
    try {
        file.Seek(-1, CFile::EFrom::Begin);
        ADD_FAILURE() << "no error";
    } catch (const CFileException& e) {
        EXPECT_STREQ(e.what(), "Invalid argument");
    }
    CFakeUi ui;
    CWaveFile wav(dir / "in.wav", nullptr, ui);
    try {
        wav.SaveSelection("/dev/full", 0, 10, 1);
        ADD_FAILURE() << "no error";
    } catch (const CFileException& e) {
        EXPECT_STREQ(e.what(), "No space left on device");
    }
    EXPECT_EQ(ui.Count("message Fragment Saved"), 0);
    EXPECT_EQ(ui.Log().back(), "deleted") << "the progress window goes";
}

// The count's limits: at least one second a fragment, and the 16-bit fragment counter.
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

// The progress bars' 16-bit gross range, the file bar starting again past its
// maximum, and no wrap past 4 GiB.
TEST(ProgressState, FollowsTheProgressBarRules)
{
    CShredProgressState p;
    p.SetTotalFiles(65536 + 5);
    EXPECT_EQ(p.GetGrossBar().GetMax(), 5);
    p.SetFileBytes(25000);
    p.SetFileBytes(90000); // the first nonzero one wins
    for (int i = 0; i < 3; ++i)
        p.StepFile();
    EXPECT_EQ(p.GetFileBar().GetPos(), 0);
    CShredProgressState big;
    big.SetFileBytes(5ull << 30);
    EXPECT_EQ(big.GetFileBar().GetMax(), 5ll << 30);
}

TEST(ShredChecks, Mp3EstimateTakesTheInformationFramesRate)
{
    CMp3ShredArgs m;
    m.nFileLength = 1000000;
    m.nBitrate = 128000;
    m.bNoTag = false;
    EXPECT_NEAR(EstimateMp3(m, 3).dPlaytime, 20.83, 0.005);
    m.dBytesPerSecond = 8000.0;
    EXPECT_NEAR(EstimateMp3(m, 3).dPlaytime, 41.67, 0.005);
}

TEST(FragmentNames, UpperCaseTheFileNameOnly)
{
    const auto name = [](const char* pBase, const char* pSource) {
        return FragmentPath(FragmentBase(pBase, pSource, ".WAV"), 2, ".wav");
    };
    for (const char* pLocale : {"C", "C.UTF-8"}) {
        std::setlocale(LC_CTYPE, pLocale);
        EXPECT_EQ(name("", "/m/a.wav.wav"), "/m/A-2.wav") << pLocale;
        EXPECT_EQ(name("rel/take.Wav", "/x/y.wav"), "rel/TAKE-2.wav") << pLocale;
        EXPECT_EQ(name("", "/m/\xc3\xa9t\xc3\xa9\xff.wav"), "/m/\xc3\x89T\xc3\x89\xff-2.wav") << pLocale;
    }
    std::setlocale(LC_CTYPE, "C");
}
