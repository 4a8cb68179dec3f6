// Plans written by the model: exact WAV cuts fall on the nearest sample frame
// or block, exact MP3 cuts on the nearest frame boundary, and a piece with no
// audio is refused before anything is written.
#include "audio/CutPlanners.h"
#include "audio/Mp3File.h"
#include "audio/WaveFile.h"
#include "doubles/FakeUi.h"
#include "support/Mp3Builder.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

namespace {

struct ExactCut : testing::Test {
    void TearDown() override { EXPECT_EQ(ReadBytes(strSource), source) << "the source was touched"; }
    template <typename Kind>
    Kind& Open(const std::string& strName, Bytes bytes)
    {
        strSource = dir / strName;
        source = std::move(bytes);
        WriteBytes(strSource, source);
        auto pFile = std::make_unique<Kind>(strSource, nullptr, ui);
        EXPECT_EQ(pFile->GetError(), 0);
        Kind& file = *pFile;
        pOpen = std::move(pFile);
        return file;
    }
    // Names the plan's pieces p1, p2, ... in the folder.
    CCutPlan Named(CCutPlan plan, const std::string& strExt)
    {
        for (size_t i = 0; i < plan.pieces.size(); ++i)
            plan.pieces[i].strPath = dir / ("p" + std::to_string(i + 1) + strExt);
        return plan;
    }
    Bytes SourceRange(size_t nFrom, size_t nTo) const
    {
        return Bytes(source.begin() + static_cast<std::ptrdiff_t>(nFrom),
                     source.begin() + static_cast<std::ptrdiff_t>(nTo));
    }

    CTempDir dir;
    CFakeUi ui;
    std::string strSource;
    Bytes source;
    std::unique_ptr<CAudioFile> pOpen;
};

constexpr size_t kHeader = 44, kFrame = 4; // of the default WAV layout

TEST_F(ExactCut, WavSelectionHoldsExactlyTheFramesAsked)
{
    CWaveFile& file = Open<CWaveFile>("in.wav", BuildWav({}));
    ASSERT_EQ(file.SaveExactSelection(dir / "sel.wav", 66150, 66151 + 44100), 0);
    const CWrittenWav out = ReadWrittenWav(dir / "sel.wav");
    EXPECT_EQ(out.nDataSize, 44101 * kFrame);
    EXPECT_TRUE(out.IsSourceAudioFrom(66150 * kFrame));
    EXPECT_EQ(ui.messages.back().strText, "This selection will last for 1.00 seconds");
}

TEST_F(ExactCut, WavPiecesJoinIntoTheSourceData)
{
    CWaveFile& file = Open<CWaveFile>("in.wav", BuildWav({}));
    const CCutPlan plan = Named(PlanAtPoints(ECutRule::Exact, file.GetTotalFrames(), {1, 12345, 300001}, 0), ".wav");
    ASSERT_EQ(file.WritePlan(plan), 0);
    Bytes joined;
    for (const CPiece& piece : plan.pieces) {
        const CWrittenWav out = ReadWrittenWav(piece.strPath);
        EXPECT_EQ(out.nDataSize, (piece.nTo - piece.nFrom) * kFrame);
        joined = joined + out.audio;
    }
    EXPECT_EQ(joined, SourceRange(kHeader, source.size()));
}

// A lead-in of exactly its frames, shorter where the audio starts first.
TEST_F(ExactCut, WavLeadInRepeatsExactlyItsFrames)
{
    CWaveFile& file = Open<CWaveFile>("in.wav", BuildWav({}));
    const CCutPlan plan = Named(PlanEqual(ECutRule::Exact, file.GetTotalFrames(), 3, 1000), ".wav");
    ASSERT_EQ(file.WritePlan(plan), 0);
    const CWrittenWav second = ReadWrittenWav(plan.pieces[1].strPath);
    EXPECT_EQ(second.nDataSize, (147000 + 1000) * kFrame);
    EXPECT_TRUE(second.IsSourceAudioFrom((147000 - 1000) * kFrame));
}

// IMA ADPCM blocks of 1024 bytes hold 2041 frames: a cut falls on the nearest block.
TEST_F(ExactCut, WavBlockFormatsCutAtTheNearestBlock)
{
    Bytes extra(2);
    WriteU16LE(extra.data(), 2041);
    const CWavLayout adpcm{.formatTag = 0x11, .avgBytesPerSec = 22125, .blockAlign = 1024, .bitsPerSample = 4,
                           .formatExtra = extra, .dataBytes = 1024 * 40};
    CWaveFile& file = Open<CWaveFile>("in.wav", BuildWav(adpcm));
    const CCutPlan plan = Named(PlanAtPoints(ECutRule::Exact, file.GetTotalFrames(), {3000, 3100}, 0), ".wav");
    ASSERT_EQ(file.WritePlan(plan), 0);
    EXPECT_EQ(ReadWrittenWav(plan.pieces[0].strPath).nDataSize, 1024u);     // 3000 is nearer block 1
    EXPECT_EQ(ReadWrittenWav(plan.pieces[1].strPath).nDataSize, 1024u);     // 3100 nearer block 2
    EXPECT_EQ(ReadWrittenWav(plan.pieces[2].strPath).nDataSize, 1024u * 38);
}

// 200 frames at 32 kbit/s (104 bytes), then 200 at 320 kbit/s (1044 bytes), then an ID3v1 tag.
Bytes QuietThenLoud()
{
    return Stream({.bitrateIndex = 1}, 104, 200) + Stream({.bitrateIndex = 14}, 1044, 200) + Id3v1Tag("Song");
}

size_t FrameOffset(size_t k)
{
    return k <= 200 ? 104 * k : 104 * 200 + 1044 * (k - 200);
}

TEST_F(ExactCut, Mp3PiecesStartOnTheNearestFrameBoundary)
{
    CMp3File& file = Open<CMp3File>("in.mp3", QuietThenLoud());
    ASSERT_EQ(file.GetTotalFrames(), 400u * 1152);
    // 500 samples into frame 50 is nearer its start; 700 into frame 300 nearer the next.
    const CCutPlan plan =
        Named(PlanAtPoints(ECutRule::Exact, file.GetTotalFrames(), {50 * 1152 + 500, 300 * 1152 + 700}, 0), ".mp3");
    ASSERT_EQ(file.WritePlan(plan), 0);
    const Bytes tag = SourceRange(source.size() - 128, source.size());
    const size_t bounds[] = {0, FrameOffset(50), FrameOffset(301), FrameOffset(400)};
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(ReadBytes(plan.pieces[i].strPath), SourceRange(bounds[i], bounds[i + 1]) + tag) << i;
}

TEST_F(ExactCut, Mp3ExactSelectionTellsTheLengthOfItsFrames)
{
    CMp3File& file = Open<CMp3File>("in.mp3", QuietThenLoud());
    ASSERT_EQ(file.SaveExactSelection(dir / "sel.mp3", 100 * 1152, 141 * 1152 - 1), 0);
    EXPECT_EQ(ReadBytes(dir / "sel.mp3").size(), 41 * 104 + 128u);
    EXPECT_EQ(ui.messages.back().strText, "This selection will last for 1.07 seconds");
}

// Less than one block or frame: refused with its message, and no file at all.
struct SEmptyCase {
    const char* name;
    bool bMp3;
    std::function<int32_t(CAudioFile&, const std::string&)> save;
    Bytes (*pSource)() = QuietThenLoud;
};

// 385 frames of 104 bytes at 4000 bytes a second: 10.01 s, the 10th second
// starts inside the last frame.
Bytes EndsJustAfterTenSeconds()
{
    return Stream({.bitrateIndex = 1}, 104, 385);
}

class ExactCutEmpty : public ExactCut, public testing::WithParamInterface<SEmptyCase> {};

TEST_P(ExactCutEmpty, IsRefusedAndWritesNothing)
{
    const SEmptyCase& c = GetParam();
    CAudioFile& file = c.bMp3 ? static_cast<CAudioFile&>(Open<CMp3File>("in.mp3", c.pSource()))
                              : static_cast<CAudioFile&>(Open<CWaveFile>("in.wav", BuildWav({})));
    const std::string strOut = dir / (c.bMp3 ? "out.mp3" : "out.wav");
    EXPECT_EQ(c.save(file, strOut), kStatusNoAudio);
    EXPECT_EQ(file.GetFailedOutput(), strOut);
    EXPECT_EQ(dir.List().size(), 1u) << "only the source";
    EXPECT_EQ(ui.Count("message Fragment Saved"), 0);
}

const SEmptyCase kEmpty[] = {
    {"WavSameFrame", false, [](CAudioFile& f, const std::string& p) { return f.SaveExactSelection(p, 10, 10); }},
    {"WavWholeSecondsPastTheEnd", false, [](CAudioFile& f, const std::string& p) { return f.SaveSelection(p, 10, 11, 1); }},
    {"Mp3WithinOneFrame", true, [](CAudioFile& f, const std::string& p) { return f.SaveExactSelection(p, 1200, 1300); }},
    {"Mp3WholeSecondsInTheLastFrame", true,
     [](CAudioFile& f, const std::string& p) { return f.SaveSelection(p, 10, 11, 1); }, EndsJustAfterTenSeconds},
    {"Mp3WholeSecondsPastTheEnd", true, [](CAudioFile& f, const std::string& p) { return f.SaveSelection(p, 58, 59, 1); }},
    {"Mp3PlanWithOneEmptyPiece", true,
     [](CAudioFile& f, const std::string& p) {
         CCutPlan plan = PlanAtPoints(ECutRule::Exact, f.GetTotalFrames(), {1152, 1153}, 0);
         for (CPiece& piece : plan.pieces)
             piece.strPath = p;
         return f.WritePlan(plan);
     }},
};
INSTANTIATE_TEST_SUITE_P(Table, ExactCutEmpty, testing::ValuesIn(kEmpty), ByName);

} // namespace
