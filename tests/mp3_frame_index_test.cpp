#include "audio/Mp3FrameIndex.h"
#include "platform/File.h"
#include "support/Mp3Builder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <ostream>

using SBoundary = CMp3FrameIndex::SBoundary;

static void PrintTo(const SBoundary& b, std::ostream* os)
{
    *os << "{offset " << b.nOffset << ", sample " << b.nSample << "}";
}

namespace {

// A frame's header fields, with the length and samples the published tables give it, worked out by hand.
struct SFrameKind {
    CFrameLayout layout;
    size_t nLength;
    uint64_t nSamples;
};

// The frames of a stream take the kinds in turn; nRate is the first one's sampling rate.
struct SStreamCase {
    const char* name;
    std::vector<SFrameKind> kinds;
    uint32_t nRate;
};

const SFrameKind k128{{3, 1, 9, 0, 0}, 417, 1152};

const SStreamCase kStreams[] = {
    {"Mpeg1Layer3Cbr", {k128}, 44100},
    {"Mpeg1Layer3VbrPadded",
     {k128, {{3, 1, 9, 0, 1}, 418, 1152}, {{3, 1, 14}, 1044, 1152}, {{3, 1, 1, 0, 1}, 105, 1152},
      {{3, 1, 11, 0, 1}, 627, 1152}},
     44100},
    {"Mpeg2Layer3", {{{2, 1, 8}, 208, 576}}, 22050},
    {"Mpeg25Layer3", {{{0, 1, 8, 2}, 576, 576}}, 8000},
    {"Layer1Padded", {{{3, 3, 4}, 136, 384}, {{3, 3, 4, 0, 1}, 140, 384}}, 44100},
    {"Layer2", {{{3, 2, 8}, 417, 1152}, {{3, 2, 11}, 731, 1152}}, 44100},
    {"LayersMixed", {{{3, 3, 4}, 136, 384}, k128, {{2, 1, 8}, 208, 576}}, 44100},
};

// Bytes of a stream, and the boundary of every frame laid so far followed by
// where the next frame goes (the end, once the last is laid).
struct CLaidStream {
    Bytes bytes;
    std::vector<SBoundary> boundaries;

    explicit CLaidStream(Bytes prefix) : bytes(std::move(prefix)), boundaries{{bytes.size(), 0}} {}
    void Frames(const SStreamCase& stream, size_t nFrames)
    {
        for (size_t i = 0; i < nFrames; ++i) {
            const SFrameKind& kind = stream.kinds[(boundaries.size() - 1) % stream.kinds.size()];
            const Bytes frame = Stream(kind.layout, kind.nLength, 1);
            bytes.insert(bytes.end(), frame.begin(), frame.end());
            boundaries.push_back({bytes.size(), boundaries.back().nSample + kind.nSamples});
        }
    }
    // nBytes damaged bytes: a sync with a reserved layer, and a usable header
    // whose frame ends inside them (nBytes at least its length + 9), followed by no header.
    void Junk(const SFrameKind& kind, size_t nBytes)
    {
        const Bytes junk = Bytes{0xFF, 0xE0} + Filler(3) + HeaderBytes(kind.layout) + Filler(nBytes - 9);
        bytes.insert(bytes.end(), junk.begin(), junk.end());
        boundaries.back().nOffset = bytes.size();
    }
};

struct SIndexed {
    CMp3FrameIndex index;
    bool bBuilt;
    uint64_t nPositionAfter; // the file stood at 1 before
};

// Two frames stand before nFirstFrame, so that a walk from the wrong place counts them.
const Bytes kBeforeFirst = Stream(k128.layout, 417, 2);

SIndexed Index(const Bytes& bytes, uint64_t nFirstFrame, uint64_t nAudioEnd)
{
    CTempDir dir;
    WriteBytes(dir / "in.mp3", bytes);
    CFile file;
    EXPECT_TRUE(file.Open(dir / "in.mp3", CFile::EMode::Read));
    file.Seek(1, CFile::EFrom::Begin);
    SIndexed out{};
    out.bBuilt = out.index.Build(file, nFirstFrame, nAudioEnd);
    out.nPositionAfter = file.GetPosition();
    return out;
}

void ExpectBoundaries(const SIndexed& got, const std::vector<SBoundary>& want)
{
    const size_t nFrames = want.size() - 1;
    EXPECT_TRUE(got.bBuilt && got.nPositionAfter == 1);
    EXPECT_EQ(got.index.GetFrameCount(), nFrames);
    for (size_t k = 0; k <= nFrames + 1; ++k)
        EXPECT_EQ(got.index.FrameAt(k), want[std::min(k, nFrames)]) << "frame " << k;
}

// 200 frames, with damaged bytes of different lengths before frames 3, 64, 66 and 199.
CLaidStream Damaged(const SStreamCase& stream)
{
    CLaidStream laid(kBeforeFirst);
    for (size_t nFrames : {3, 61, 2, 64, 69}) {
        laid.Frames(stream, nFrames);
        laid.Junk(stream.kinds[0], stream.kinds[0].nLength + 9 + nFrames);
    }
    laid.Frames(stream, 1);
    return laid;
}

class Mp3FrameIndexStream : public ::testing::TestWithParam<SStreamCase> {};

} // namespace

// 200 frames span three checkpoints; every boundary is the sum of the lengths and samples before it.
TEST_P(Mp3FrameIndexStream, EveryBoundaryIsTheSumOfTheFramesBefore)
{
    CLaidStream laid(kBeforeFirst);
    laid.Frames(GetParam(), 200);
    const SIndexed got = Index(laid.bytes + Id3v1Tag("Tail"), kBeforeFirst.size(), laid.bytes.size());
    ExpectBoundaries(got, laid.boundaries);
    EXPECT_EQ(got.index.GetSampleRate(), GetParam().nRate);
}

// Damaged bytes before frames 3, 64 (a checkpoint), 66 and the last are skipped; the samples run on.
TEST_P(Mp3FrameIndexStream, DamagedBytesBelongToNoFrame)
{
    const CLaidStream laid = Damaged(GetParam());
    ExpectBoundaries(Index(laid.bytes, kBeforeFirst.size(), laid.bytes.size()), laid.boundaries);
}

// The last of 100 frames runs past the end of the audio, or the file ends inside it.
TEST_P(Mp3FrameIndexStream, AFrameCutShortIsNotCounted)
{
    CLaidStream laid(kBeforeFirst);
    laid.Frames(GetParam(), 101);
    const uint64_t nLast = laid.boundaries[99].nOffset, nLength = laid.boundaries[100].nOffset - nLast;
    const auto Prefix = [&](uint64_t n) { return Bytes(laid.bytes.data(), laid.bytes.data() + n); };
    const std::tuple<Bytes, uint64_t, size_t> cases[] = { // file, end of the audio, frames counted
        {laid.bytes, nLast + nLength / 2, 99},
        {laid.bytes, nLast + nLength - 1, 99},
        {laid.bytes, nLast + nLength, 100},
        {Prefix(nLast + 3), std::numeric_limits<uint64_t>::max(), 99},
        {Prefix(nLast + nLength - 1), std::numeric_limits<uint64_t>::max(), 99}};
    for (const auto& [bytes, nAudioEnd, nFrames] : cases) {
        SCOPED_TRACE(nAudioEnd - nLast);
        ExpectBoundaries(Index(bytes, kBeforeFirst.size(), nAudioEnd),
                         {laid.boundaries.data(), laid.boundaries.data() + nFrames + 1});
    }
}

// The first frame after damaged bytes starts 100 bytes before the end of the first block read, so that the header
// confirming it lies in the next block; further frames straddle the ends of the blocks after it.
TEST_P(Mp3FrameIndexStream, ReadsOnAcrossBlocks)
{
    CLaidStream laid(kBeforeFirst);
    const uint64_t nBlockEnd = kBeforeFirst.size() + CMp3FrameIndex::kBlockBytes;
    while (laid.bytes.size() + 4000 < nBlockEnd)
        laid.Frames(GetParam(), 1);
    laid.Junk(GetParam().kinds[0], nBlockEnd - 100 - laid.bytes.size());
    while (laid.bytes.size() < nBlockEnd + 2 * CMp3FrameIndex::kBlockBytes)
        laid.Frames(GetParam(), 1);
    ExpectBoundaries(Index(laid.bytes, kBeforeFirst.size(), laid.bytes.size()), laid.boundaries);
}

// At each boundary, one sample either side of it, the tie halfway to the next (which goes to the earlier), and past
// the end; damaged bytes in between change no sample.
TEST_P(Mp3FrameIndexStream, NearestTakesTheCloserBoundaryAndTheEarlierOnATie)
{
    const CLaidStream laid = Damaged(GetParam());
    const SIndexed got = Index(laid.bytes, kBeforeFirst.size(), laid.bytes.size());
    const auto& b = laid.boundaries;
    for (size_t k = 0; k + 1 < b.size(); ++k) {
        const uint64_t nTie = (b[k].nSample + b[k + 1].nSample) / 2;
        EXPECT_EQ(got.index.Nearest(b[k].nSample), b[k]) << k;
        EXPECT_EQ(got.index.Nearest(b[k].nSample + 1), b[k]) << k;
        EXPECT_EQ(got.index.Nearest(nTie), b[k]) << k;
        EXPECT_EQ(got.index.Nearest(nTie + 1), b[k + 1]) << k;
        EXPECT_EQ(got.index.Nearest(b[k + 1].nSample - 1), b[k + 1]) << k;
    }
    for (uint64_t nSample : {b.back().nSample, b.back().nSample + 1, std::numeric_limits<uint64_t>::max()})
        EXPECT_EQ(got.index.Nearest(nSample), b.back());
}

INSTANTIATE_TEST_SUITE_P(Mp3FrameIndexLayouts, Mp3FrameIndexStream, ::testing::ValuesIn(kStreams), ByName);

namespace {

struct SNoFrames {
    const char* name;
    Bytes bytes;
    uint64_t nFirstFrame = 0;
};

const SNoFrames kNoFrames[] = {
    {"EmptyFile", {}},
    {"Filler", Filler(10000)},
    {"SyncBytesOnly", Bytes(10000, 0xFF)},
    {"ReservedLayer", Stream({3, 0, 9}, 417, 20)},
    {"FreeFormat", Stream({3, 1, 0}, 417, 20)},
    {"ThreeBytesOfAHeader", Bytes{0xFF, 0xFB, 0x90}},
    {"FrameLongerThanTheFile", HeaderBytes(k128.layout) + Filler(400)},
    {"FirstFramePastTheEnd", Stream(k128.layout, 417, 20), 20 * 417 + 1},
};

class Mp3FrameIndexNoFrames : public ::testing::TestWithParam<SNoFrames> {};

} // namespace

TEST_P(Mp3FrameIndexNoFrames, AnswersWithTheStart)
{
    const SIndexed got = Index(GetParam().bytes, GetParam().nFirstFrame, GetParam().bytes.size());
    EXPECT_TRUE(!got.bBuilt && got.nPositionAfter == 1);
    EXPECT_EQ((std::array<uint64_t, 4>{got.index.GetFrameCount(), got.index.GetTotalSamples(),
                                       got.index.GetSampleRate(), got.index.GetMemoryBytes()}),
              (std::array<uint64_t, 4>{}));
    for (uint64_t n : {0, 1, 100000})
        EXPECT_TRUE(got.index.FrameAt(n) == SBoundary{} && got.index.Nearest(n) == SBoundary{}) << n;
}

INSTANTIATE_TEST_SUITE_P(Mp3FrameIndexInputs, Mp3FrameIndexNoFrames, ::testing::ValuesIn(kNoFrames), ByName);

// 24-byte frames, the shortest there are, two at a time between single damaged bytes: each stretch costs the index
// a count of its own, yet the index stays well under the file's size. An unbroken stream costs under 2.5 bytes a frame.
TEST(Mp3FrameIndexMemory, StaysASmallShareOfTheFile)
{
    const Bytes kPair = Stream({2, 1, 1, 1}, 24, 2) + Bytes{0};
    Bytes hostile;
    for (int i = 0; i < 3000; ++i)
        hostile.insert(hostile.end(), kPair.begin(), kPair.end());
    const SIndexed damaged = Index(hostile, 0, hostile.size());
    EXPECT_EQ(damaged.index.GetFrameCount(), 6000u);
    EXPECT_LT(damaged.index.GetMemoryBytes(), hostile.size() / 3);

    const Bytes cbr = Stream(k128.layout, 417, 5000);
    const SIndexed whole = Index(cbr, 0, cbr.size());
    EXPECT_EQ(whole.index.GetFrameCount(), 5000u);
    EXPECT_LT(whole.index.GetMemoryBytes(), 5000 * 5 / 2);
}
