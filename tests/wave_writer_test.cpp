#include "audio/WaveFile.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"
#include "support/WaveAssert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

class WaveWriter : public ::testing::Test {
protected:
    void OpenSource(const CWavSpec& spec = CanonicalWav())
    {
        m_source = BuildWav(spec);
        WriteBytes(dir / "in.wav", m_source);
        pFile = std::make_unique<CWaveFile>(dir / "in.wav", nullptr, ui);
        ASSERT_EQ(pFile->GetError(), 0);
    }
    int32_t Shred(int32_t n, int32_t nOverlap = 0, const std::string& strBase = "")
    {
        pFile->SetOverlapTime(nOverlap);
        ui.shredAnswer = {true, n, strBase.empty() ? dir / "part" : strBase};
        return pFile->ShredEqually();
    }
    void ExpectSourceUntouched() const { EXPECT_EQ(ReadBytes(dir / "in.wav"), m_source); }
    long Count(const std::string& strEntry) const
    {
        return std::count(ui.Log().begin(), ui.Log().end(), strEntry);
    }

    CTempDir dir;
    CFakeUi ui;
    std::unique_ptr<CWaveFile> pFile;
    std::vector<unsigned char> m_source;
};

struct SSelection {
    int32_t nStart, nEnd, nSecsPerStep;
    uint32_t nDataBytes;
    uint64_t nFromAudioByte;
    const char* pSeconds;
};

class WaveSelection : public WaveWriter, public ::testing::WithParamInterface<SSelection> {};

} // namespace

TEST_P(WaveSelection, WritesTheSelectedFrames)
{
    const SSelection& s = GetParam();
    OpenSource();
    ASSERT_EQ(pFile->SaveSelection(dir / "out.wav", s.nStart, s.nEnd, s.nSecsPerStep), 0);
    const CWrittenWav w = ReadWrittenWav(dir / "out.wav");
    EXPECT_EQ(w.nDataSize, s.nDataBytes);
    EXPECT_EQ(w.nRiffSize, s.nDataBytes + 36);
    EXPECT_EQ(w.nFormatSize, 16u);
    ASSERT_EQ(w.audio.size(), s.nDataBytes);
    EXPECT_TRUE(IsSourceAudio(w.audio, s.nFromAudioByte));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].strCaption, "Fragment Saved");
    EXPECT_EQ(ui.messages[0].icon, EMsgIcon::Information);
    EXPECT_EQ(ui.messages[0].strText, std::string("This selection will last for ") + s.pSeconds + " seconds");
    ExpectSourceUntouched();
}

INSTANTIATE_TEST_SUITE_P(
    Selections, WaveSelection,
    ::testing::Values(SSelection{2, 5, 1, 529200, 352800, "3.00"},
                      // up to the very end of the audio, nothing lost to the data header
                      SSelection{8, 10, 1, 352800, 1411200, "2.00"},
                      // a reversed selection is put in order
                      SSelection{5, 2, 1, 529200, 352800, "3.00"},
                      SSelection{1, 2, 3, 529200, 529200, "3.00"},
                      // running past the end: what is there
                      SSelection{1, 5, 3, 1234800, 529200, "7.00"},
                      // starting at or past the end: a valid file without audio
                      SSelection{10, 12, 1, 0, 1764000, "0.00"},
                      SSelection{400, 401, 300, 0, 1764000, "0.00"},
                      // positions far beyond 32 bits of bytes neither wrap nor overflow
                      SSelection{0, 2147483647, 300, 1764000, 0, "10.00"},
                      SSelection{2147483647, 2147483647, 300, 0, 1764000, "0.00"}));

TEST_F(WaveWriter, SelectionDrivesTheProgressWindowInOrder)
{
    OpenSource();
    ASSERT_EQ(pFile->SaveSelection(dir / "out.wav", 0, 1, 1), 0);
    std::vector<std::string> expected{"created", "total 1", "bytes 176400", "names in.wav out.wav", "number 1"};
    expected.insert(expected.end(), 17, "step file");
    expected.insert(expected.end(), {"step gross", "destroy", "message Fragment Saved", "deleted"});
    EXPECT_EQ(ui.Log(), expected);
}

TEST_F(WaveWriter, SelectionStartsOnAWholeFrame)
{
    CWavSpec spec = CanonicalWav();
    spec.channels = 3;
    spec.blockAlign = 6;
    spec.avgBytesPerSec = 100003; // not a multiple of the frame size
    spec.dataBytes = 600000;
    OpenSource(spec);
    ASSERT_EQ(pFile->SaveSelection(dir / "out.wav", 1, 3, 1), 0);
    const CWrittenWav w = ReadWrittenWav(dir / "out.wav");
    EXPECT_EQ(w.nDataSize, 200004u);               // 200006 down to frames
    EXPECT_TRUE(IsSourceAudio(w.audio, 100008u));  // 100003 up to frames
}

TEST_F(WaveWriter, CarriesFactChunkAndExtraFormatBytes)
{
    CWavSpec spec = CanonicalWav();
    spec.formatTag = 2;
    spec.bWriteExtraSize = true;
    spec.formatExtra = {0xAB, 0xCD};
    spec.bWriteFact = true;
    spec.factData = {9, 8, 7, 6};
    OpenSource(spec);
    ASSERT_EQ(pFile->SaveSelection(dir / "out.wav", 0, 1, 1), 0);
    const auto bytes = ReadBytes(dir / "out.wav");
    ASSERT_EQ(bytes.size(), 60u + 176400);
    EXPECT_EQ(GetU32(bytes, 4), 176400u + 26 + 12 + 2 + 12);
    EXPECT_EQ(GetU32(bytes, 16), 20u);    // format chunk size
    EXPECT_EQ(GetU16(bytes, 20), 2u);     // format tag
    EXPECT_EQ(GetU16(bytes, 36), 2u);     // extraSize
    EXPECT_EQ(bytes[38], 0xAB);
    EXPECT_EQ(bytes[39], 0xCD);
    EXPECT_EQ(std::string(bytes.begin() + 40, bytes.begin() + 44), "fact");
    EXPECT_EQ(GetU32(bytes, 44), 4u);
    EXPECT_EQ(bytes[48], 9);
    EXPECT_EQ(std::string(bytes.begin() + 52, bytes.begin() + 56), "data");
    EXPECT_EQ(GetU32(bytes, 56), 176400u);
}

TEST_F(WaveWriter, SavingOntoTheSourceFailsAndLeavesItWhole)
{
    OpenSource();
    std::filesystem::create_directory(dir / "sub");
    std::filesystem::create_hard_link(dir / "in.wav", dir / "link.wav");
    for (const std::string& strPath : {dir / "in.wav", dir / "sub/../in.wav", dir / "link.wav"}) {
        EXPECT_EQ(pFile->SaveSelection(strPath, 0, 5, 1), 103) << strPath;
        EXPECT_EQ(pFile->GetError(), 103);
    }
    EXPECT_EQ(ui.nProgressWindows, 0);
    EXPECT_TRUE(ui.messages.empty());
    ExpectSourceUntouched();
}

TEST_F(WaveWriter, ShredIntoThreeCoversTheDataExactly)
{
    OpenSource();
    ASSERT_EQ(Shred(3), 0);
    std::vector<unsigned char> joined;
    for (int i = 1; i <= 3; ++i) {
        const CWrittenWav w = ReadWrittenWav(dir / ("PART-" + std::to_string(i) + ".wav"));
        EXPECT_EQ(w.nDataSize, 588000u);
        EXPECT_EQ(w.nRiffSize, 588036u);
        joined.insert(joined.end(), w.audio.begin(), w.audio.end());
    }
    EXPECT_EQ(joined.size(), 1764000u);
    EXPECT_TRUE(IsSourceAudio(joined, 0));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Count("step gross"), 3);
    ExpectSourceUntouched();
}

struct SOverlapCase {
    int32_t nOverlap;
    std::vector<std::pair<uint64_t, uint64_t>> ranges; // audio bytes of each fragment
};

class WaveOverlap : public WaveWriter, public ::testing::WithParamInterface<SOverlapCase> {};

TEST_P(WaveOverlap, EveryFragmentAfterTheFirstRepeatsTheOverlap)
{
    OpenSource();
    ASSERT_EQ(Shred(3, GetParam().nOverlap), 0);
    for (size_t i = 0; i < 3; ++i) {
        const auto [from, to] = GetParam().ranges[i];
        const CWrittenWav w = ReadWrittenWav(dir / ("PART-" + std::to_string(i + 1) + ".wav"));
        EXPECT_EQ(w.nDataSize, to - from) << i;
        EXPECT_EQ(w.nRiffSize, to - from + 36) << i;
        ASSERT_EQ(w.audio.size(), to - from) << i;
        EXPECT_TRUE(IsSourceAudio(w.audio, from)) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Overlaps, WaveOverlap,
    ::testing::Values(SOverlapCase{1, {{0, 588000}, {411600, 1176000}, {999600, 1764000}}},
                      // longer than the fragments: never before the first audio byte
                      SOverlapCase{5, {{0, 588000}, {0, 1176000}, {294000, 1764000}}},
                      SOverlapCase{-3, {{0, 588000}, {588000, 1176000}, {1176000, 1764000}}}));

TEST_F(WaveWriter, OverlapChangedWhileTheDialogRunsIsUsed)
{
    OpenSource();
    ui.duringShredDialog = [this] { pFile->SetOverlapTime(1); };
    ASSERT_EQ(Shred(3, 0), 0);
    EXPECT_EQ(ReadWrittenWav(dir / "PART-2.wav").nDataSize, 764400u);
    ASSERT_EQ(ui.waveShredArgs.size(), 1u);
    const CWaveShredArgs& args = ui.waveShredArgs[0];
    EXPECT_EQ(args.nOverlap, 0);
    EXPECT_EQ(args.strSourceName, "in.wav");
    EXPECT_EQ(args.strSourcePath, dir / "in.wav");
    EXPECT_EQ(args.dataHeader.size, 1764000u);
    EXPECT_EQ(args.fmt.avgBytesPerSec, 176400u);
    EXPECT_EQ(args.factHeader.size, 0u);
}

TEST_F(WaveWriter, TheRemainderOfTheDivisionIsInNoFragment)
{
    CWavSpec spec = CanonicalWav();
    spec.dataBytes = 1000003;
    OpenSource(spec);
    ASSERT_EQ(Shred(2), 0);
    EXPECT_EQ(ReadWrittenWav(dir / "PART-1.wav").nDataSize, 500000u);
    const CWrittenWav second = ReadWrittenWav(dir / "PART-2.wav");
    EXPECT_EQ(second.nDataSize, 500000u);
    EXPECT_TRUE(IsSourceAudio(second.audio, 500000));
}

TEST_F(WaveWriter, CancelOrNoFragmentsWritesNothing)
{
    OpenSource();
    ui.shredAnswer = {};
    EXPECT_EQ(pFile->ShredEqually(), 0);
    EXPECT_EQ(Shred(0), 0);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"in.wav"});
}

TEST_F(WaveWriter, TooManyFragmentsAreRefusedWithAMessage)
{
    OpenSource();
    EXPECT_EQ(Shred(65535), 0);
    EXPECT_EQ(Shred(-1), 0);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"in.wav"});
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].strCaption, "Error");
    EXPECT_EQ(ui.messages[0].strText, "The number of fragments cannot be more than 65534.");
}

TEST_F(WaveWriter, FragmentNumbersPastNinetyNine)
{
    OpenSource();
    ASSERT_EQ(Shred(100, 0, dir / "x"), 0);
    EXPECT_EQ(ReadWrittenWav(dir / "X-100.wav").nDataSize, 17640u);
    EXPECT_EQ(dir.List().size(), 101u);
}

TEST_F(WaveWriter, EmptyBaseNameUsesTheSourceNameInItsOwnFolder)
{
    OpenSource();
    ui.shredAnswer = {true, 2, ""};
    ASSERT_EQ(pFile->ShredEqually(), 0);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"IN-1.wav", "IN-2.wav", "in.wav"}));
}

TEST_F(WaveWriter, AFragmentThatCannotBeCreatedEndsTheSplitKeepingTheOthers)
{
    OpenSource();
    std::filesystem::create_directory(dir / "PART-3.wav");
    EXPECT_EQ(Shred(4), 103);
    EXPECT_EQ(pFile->GetError(), 103);
    EXPECT_EQ(ReadWrittenWav(dir / "PART-2.wav").nDataSize, 441000u);
    EXPECT_FALSE(std::filesystem::exists(dir / "PART-4.wav"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.Log().back(), "deleted");
    EXPECT_EQ(Count("destroy"), 1);
    ExpectSourceUntouched();
}

TEST_F(WaveWriter, ShredOntoTheSourceNameFailsAtOnce)
{
    OpenSource();
    std::filesystem::create_hard_link(dir / "in.wav", dir / "SRC-1.wav");
    EXPECT_EQ(Shred(2, 0, dir / "src"), 103);
    ExpectSourceUntouched();
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"SRC-1.wav", "in.wav"}));
}

// Joining the fragments of a split without overlap gives back the source's
// audio, but the remainder of the division, for any frame size.
class WaveShredJoin : public WaveWriter,
                      public ::testing::WithParamInterface<std::tuple<uint16_t, uint32_t, int32_t>> {};

TEST_P(WaveShredJoin, FragmentsJoinToTheSource)
{
    const auto [nAlign, nDataBytes, n] = GetParam();
    CWavSpec spec = CanonicalWav();
    spec.blockAlign = nAlign;
    spec.channels = 1;
    spec.bitsPerSample = static_cast<uint16_t>(8 * nAlign);
    spec.samplesPerSec = 1000;
    spec.avgBytesPerSec = 1000u * nAlign;
    spec.dataBytes = nDataBytes;
    OpenSource(spec);
    ASSERT_EQ(Shred(n), 0);
    const uint32_t nOwn = nDataBytes / static_cast<uint32_t>(n) / nAlign * nAlign;
    std::vector<unsigned char> joined;
    for (int i = 1; i <= n; ++i) {
        const CWrittenWav w = ReadWrittenWav(dir / ("PART-" + std::to_string(i) + ".wav"));
        ASSERT_EQ(w.nDataSize, nOwn);
        joined.insert(joined.end(), w.audio.begin(), w.audio.end());
    }
    EXPECT_EQ(joined.size(), uint64_t{nOwn} * static_cast<uint32_t>(n));
    EXPECT_LT(nDataBytes - joined.size(), uint64_t{nAlign} * static_cast<uint32_t>(n));
    EXPECT_TRUE(IsSourceAudio(joined, 0));
}

INSTANTIATE_TEST_SUITE_P(FrameSizes, WaveShredJoin,
                         ::testing::Combine(::testing::Values<uint16_t>(1, 2, 3, 4, 6, 8),
                                            ::testing::Values(99991u, 120000u, 30011u),
                                            ::testing::Values(2, 3, 7)));
