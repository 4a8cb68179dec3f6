// Exact cuts fall on the nearest WAV frame or block or MP3 frame; a piece with no audio is refused.
#include "audio/Mp3Header.h"
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
    CAudioFile& Open(Bytes bytes, bool bMp3 = false)
    {
        strSource = dir / ("in" + (strExt = bMp3 ? ".mp3" : ".wav"));
        WriteBytes(strSource, source = std::move(bytes));
        pOpen = bMp3 ? std::unique_ptr<CAudioFile>(std::make_unique<CMp3File>(strSource, nullptr, ui))
                     : std::make_unique<CWaveFile>(strSource, nullptr, ui);
        EXPECT_EQ(pOpen->GetError(), 0);
        return *pOpen;
    }
    // Writes the pieces cut at the points as p1, p2, ... in the folder.
    CCutPlan Cut(const std::vector<uint64_t>& points)
    {
        CCutPlan plan = PlanAtPoints(ECutRule::Exact, pOpen->GetTotalFrames(), points, 0);
        for (size_t i = 0; i < plan.pieces.size(); ++i)
            plan.pieces[i].strPath = dir / ("p" + std::to_string(i + 1) + strExt);
        EXPECT_EQ(pOpen->WritePlan(plan), 0);
        return plan;
    }
    Bytes SourceRange(size_t nFrom, size_t nTo) const { return Bytes(source.data() + nFrom, source.data() + nTo); }

    CTempDir dir;
    CFakeUi ui;
    std::string strSource, strExt;
    Bytes source;
    std::unique_ptr<CAudioFile> pOpen;
};

constexpr size_t kHeader = 44, kFrame = 4; // of the default WAV layout

// A selection holds exactly the frames asked; pieces join into the source data,
// or with IMA ADPCM (1024-byte blocks of 2041 frames) fall on the nearest block.
TEST_F(ExactCut, WavHoldsExactlyTheFramesOrBlocksAsked)
{
    ASSERT_EQ(Open(BuildWav({})).SaveExactSelection(dir / "sel.wav", 66150, 66151 + 44100), 0);
    const CWrittenWav selection = ReadWrittenWav(dir / "sel.wav");
    EXPECT_EQ(selection.nDataSize, 44101 * kFrame);
    EXPECT_TRUE(selection.IsSourceAudioFrom(66150 * kFrame));
    Bytes joined;
    for (const CPiece& piece : Cut({1, 12345, 300001}).pieces) {
        const CWrittenWav out = ReadWrittenWav(piece.strPath);
        EXPECT_EQ(out.nDataSize, (piece.nTo - piece.nFrom) * kFrame);
        joined = joined + out.audio;
    }
    EXPECT_EQ(joined, SourceRange(kHeader, source.size()));
    Open(BuildWav({.formatTag = 0x11, .avgBytesPerSec = 22125, .blockAlign = 1024, .bitsPerSample = 4,
                   .formatExtra = Bytes{0xF9, 0x07} /* 2041 */, .dataBytes = 1024 * 40}));
    std::vector<uint64_t> sizes;
    for (const CPiece& piece : Cut({3000, 3100}).pieces) // nearer the end of block 1, of block 2
        sizes.push_back(ReadWrittenWav(piece.strPath).nDataSize);
    EXPECT_EQ(sizes, (std::vector<uint64_t>{1024, 1024, 1024 * 38}));
}

// 200 frames at 32 kbit/s (104 bytes), then 200 at 320 kbit/s (1044 bytes), then an ID3v1 tag.
Bytes QuietThenLoud()
{
    return Stream({.bitrateIndex = 1}, 104, 200) + Stream({.bitrateIndex = 14}, 1044, 200) + Id3v1Tag("Song");
}

// The same in Layer II, which decoders do not trim: exact cuts fall on frame
// boundaries there.
Bytes QuietThenLoudLayer2()
{
    return Stream({.layer = 2, .bitrateIndex = 1}, 104, 200) + Stream({.layer = 2, .bitrateIndex = 14}, 1253, 200) +
           Id3v1Tag("Song");
}

// Streams that a clean piece cannot describe fall on frame boundaries: Layer
// II, which decoders do not trim, and a Layer III stream that changes from
// MPEG-1 to MPEG-2 frames on the way. Each has 200 frames of one kind and
// 200 of another, then an ID3v1 tag.
struct SFrameBoundaryCase {
    const char* name;
    CFrameLayout first, second;
    size_t nFirstLength, nSecondLength, nSecondSamples;
};
const SFrameBoundaryCase kFrameBoundaryCases[] = {
    {"Layer2", {.layer = 2, .bitrateIndex = 1}, {.layer = 2, .bitrateIndex = 14}, 104, 1253, 1152}, // QuietThenLoudLayer2
    {"Layer3Mpeg1ThenMpeg2", {.bitrateIndex = 1}, {.version = 2, .bitrateIndex = 8}, 104, 208, 576},
};
class ExactCutFrameBoundaries : public ExactCut, public testing::WithParamInterface<SFrameBoundaryCase> {};

TEST_P(ExactCutFrameBoundaries, PiecesStartOnTheNearestFrameBoundary)
{
    const SFrameBoundaryCase& c = GetParam();
    const Bytes stream = Stream(c.first, c.nFirstLength, 200) + Stream(c.second, c.nSecondLength, 200);
    ASSERT_EQ(Open(stream + Id3v1Tag("Song"), true).GetTotalFrames(), 200u * 1152 + 200 * c.nSecondSamples);
    // 500 samples into frame 50 is nearer its start; past the middle of frame 300 nearer the next.
    const CCutPlan plan = Cut({50 * 1152 + 500, 200 * 1152 + 100 * c.nSecondSamples + c.nSecondSamples * 3 / 5});
    const size_t bounds[] = {0, c.nFirstLength * 50, c.nFirstLength * 200 + c.nSecondLength * 101, stream.size()};
    // Behind the piece's own ID3v2 tag (its track), before the source's
    // ID3v1 tag with the piece's track in byte 126.
    for (size_t i = 0; i < 3; ++i) {
        const Bytes piece = ReadBytes(plan.pieces[i].strPath);
        Bytes tag = SourceRange(bounds[3], source.size());
        tag[126] = static_cast<unsigned char>(i + 1);
        const auto audio = piece.begin() + static_cast<std::ptrdiff_t>(mp3::Id3v2TagBytes(piece.data()));
        EXPECT_EQ(Bytes(audio, piece.end()), SourceRange(bounds[i], bounds[i + 1]) + tag) << i;
    }
}
INSTANTIATE_TEST_SUITE_P(Table, ExactCutFrameBoundaries, testing::ValuesIn(kFrameBoundaryCases), ByName);

// Less than one block or frame: refused with its message, and no file at all.
struct SEmptyCase {
    const char* name;
    std::function<int32_t(CAudioFile&, const std::string&)> save;
    Bytes (*pSource)() = QuietThenLoud; // nullptr: a WAV
};
class ExactCutEmpty : public ExactCut, public testing::WithParamInterface<SEmptyCase> {};

TEST_P(ExactCutEmpty, IsRefusedAndWritesNothing)
{
    const SEmptyCase& c = GetParam();
    CAudioFile& file = c.pSource ? Open(c.pSource(), true) : Open(BuildWav({}));
    EXPECT_EQ(c.save(file, dir / ("out" + strExt)), kStatusNoAudio);
    EXPECT_EQ(file.GetFailedOutput(), dir / ("out" + strExt));
    EXPECT_EQ(dir.List().size(), 1u) << "only the source";
    EXPECT_EQ(ui.Count("message Fragment Saved"), 0);
}

const SEmptyCase kEmpty[] = {
    {"WavSameFrame", [](auto& f, auto& p) { return f.SaveExactSelection(p, 10, 10); }, nullptr},
    {"WavWholeSecondsPastTheEnd", [](auto& f, auto& p) { return f.SaveSelection(p, 10, 11, 1); }, nullptr},
    {"Layer2WithinOneFrame", [](auto& f, auto& p) { return f.SaveExactSelection(p, 1200, 1300); },
     QuietThenLoudLayer2},
    {"Mp3WholeSecondsPastTheEnd", [](auto& f, auto& p) { return f.SaveSelection(p, 58, 59, 1); }},
    // 385 frames of 104 bytes at 4000 bytes a second: 10.01 s, the 10th second starts in the last frame.
    {"Mp3WholeSecondsInTheLastFrame", [](auto& f, auto& p) { return f.SaveSelection(p, 10, 11, 1); },
     [] { return Stream({.bitrateIndex = 1}, 104, 385); }},
    {"Layer2PlanWithOneEmptyPiece",
     [](auto& f, auto& p) {
         CCutPlan plan = PlanAtPoints(ECutRule::Exact, f.GetTotalFrames(), {1152, 1153}, 0);
         for (CPiece& piece : plan.pieces)
             piece.strPath = p;
         return f.WritePlan(plan);
     },
     QuietThenLoudLayer2},
};
INSTANTIATE_TEST_SUITE_P(Table, ExactCutEmpty, testing::ValuesIn(kEmpty), ByName);

} // namespace

namespace {

// Shred Equally asked to cut in pauses: the front end's snapper gets the
// equal plan and the reach in frames, and its plan is what is written; when
// it gives nothing back (the search was stopped), nothing is.
TEST_F(ExactCut, ShredInPausesWritesTheSnappersPlan)
{
    for (const bool bStopped : {false, true}) {
        CAudioFile& file = Open(BuildWav({}));
        file.SetExactCuts(true);
        ui.shredAnswer = {true, 2, dir / "frag"};
        ui.shredAnswer.bSnap = true;
        ui.shredAnswer.nSnapSeconds = 3;
        uint64_t nReach = 0, nEqualCut = 0;
        file.SetPauseSnapper([&](const CCutPlan& plan, uint64_t nAsked) -> std::optional<CCutPlan> {
            nReach = nAsked;
            nEqualCut = plan.pieces[0].nTo;
            if (bStopped)
                return std::nullopt;
            CCutPlan moved = plan;
            moved.pieces[0].nTo = moved.pieces[1].nFrom = 1000;
            return moved;
        });
        EXPECT_EQ(file.ShredEqually(), 0);
        EXPECT_EQ(nReach, 3u * 44100);
        EXPECT_EQ(nEqualCut, file.GetTotalFrames() / 2);
        const auto written = file.GetWrittenFragments();
        ASSERT_EQ(written.size(), bStopped ? 0u : 2u);
        if (!bStopped) {
            EXPECT_EQ(ReadWrittenWav(written[0]).nDataSize, 1000 * kFrame);
        }
        for (const std::string& strPath : written)
            std::filesystem::remove(strPath);
    }
}

} // namespace
