#include "audio/Mp3FrameIndex.h"
#include "platform/File.h"
#include "support/Mp3Builder.h"
#include "support/TempDir.h"
#include <gtest/gtest.h>
#include <limits>

using SBoundary = CMp3FrameIndex::SBoundary;
static void PrintTo(const SBoundary& b, std::ostream* os) { *os << "{" << b.nOffset << ", " << b.nSample << "}"; }

namespace {
struct SFrameKind { CFrameLayout layout; size_t nLength; uint64_t nSamples; }; // lengths and samples from the tables
struct SStreamCase { const char* name; std::vector<SFrameKind> kinds; uint32_t nRate; }; // kinds taken in turn
const SFrameKind k128{{3, 1, 9, 0, 0}, 417, 1152};
const SStreamCase kStreams[] = {
    {"Mpeg1Layer3Cbr", {k128}, 44100},
    {"Mpeg1Layer3VbrPadded", {k128, {{3, 1, 9, 0, 1}, 418, 1152}, {{3, 1, 14}, 1044, 1152}}, 44100},
    {"Mpeg2Layer3", {{{2, 1, 8}, 208, 576}}, 22050},
    {"Layer1And2", {{{3, 3, 4}, 136, 384}, {{3, 3, 4, 0, 1}, 140, 384}, {{3, 2, 8}, 417, 1152}}, 44100}};
struct CLaidStream { // the bytes laid, the boundary of every frame and where the next one goes
    Bytes bytes = Stream(k128.layout, 417, 2); // frames a walk from the wrong place would count
    std::vector<SBoundary> boundaries{{bytes.size(), 0}};
    void Frames(const SStreamCase& stream, size_t nFrames)
    {
        for (size_t i = 0; i < nFrames; ++i) {
            const SFrameKind& kind = stream.kinds[(boundaries.size() - 1) % stream.kinds.size()];
            bytes = std::move(bytes) + Stream(kind.layout, kind.nLength, 1);
            boundaries.push_back({bytes.size(), boundaries.back().nSample + kind.nSamples});
        }
    }
    void Junk(const SFrameKind& kind, size_t nBytes) // a reserved layer's sync, a frame ending inside the junk
    {
        bytes = std::move(bytes) + Bytes{0xFF, 0xE0} + Filler(3) + HeaderBytes(kind.layout) + Filler(nBytes - 9);
        boundaries.back().nOffset = bytes.size();
    }
};
// Built with the file standing at 1, where Build must leave it; the first n boundaries are b.
CMp3FrameIndex Index(const Bytes& in, uint64_t nEnd, const std::vector<SBoundary>& b, size_t n, uint64_t nFirst = 834)
{
    CTempDir dir;
    WriteBytes(dir / "in.mp3", in);
    CFile file;
    EXPECT_TRUE(file.Open(dir / "in.mp3", CFile::EMode::Read) && file.Seek(1, CFile::EFrom::Begin) == 1);
    CMp3FrameIndex index;
    EXPECT_EQ(index.Build(file, nFirst, nEnd), n > 0);
    EXPECT_TRUE(file.GetPosition() == 1 && index.GetFrameCount() == n) << index.GetFrameCount();
    for (size_t k = 0; k <= n + 1; ++k)
        EXPECT_EQ(index.FrameAt(k), b[std::min(k, n)]) << "frame " << k;
    return index;
}

class Mp3FrameIndexStream : public ::testing::TestWithParam<SStreamCase> {};
} // namespace
// 200 frames over three checkpoints, damage before frames 3, 64 (a checkpoint), 66, 199; frame 197 cut short.
TEST_P(Mp3FrameIndexStream, BoundariesSkipDamageAndCutShortFramesAndNearestTiesToTheEarlier)
{
    CLaidStream laid;
    for (size_t nFrames : {3, 61, 2, 64, 69}) {
        laid.Frames(GetParam(), nFrames);
        laid.Junk(GetParam().kinds[0], GetParam().kinds[0].nLength + 9 + nFrames);
    }
    laid.Frames(GetParam(), 1);
    const auto& b = laid.boundaries;
    const CMp3FrameIndex index = Index(laid.bytes + Id3v1Tag("Tail"), laid.bytes.size(), b, 200);
    EXPECT_EQ(index.GetSampleRate(), GetParam().nRate);
    for (size_t k = 0; k + 1 < b.size(); ++k) {
        const uint64_t nTie = (b[k].nSample + b[k + 1].nSample) / 2;
        EXPECT_TRUE(index.Nearest(b[k].nSample + 1) == b[k] && index.Nearest(nTie) == b[k]) << k;
        EXPECT_TRUE(index.Nearest(nTie + 1) == b[k + 1] && index.Nearest(b[k + 1].nSample - 1) == b[k + 1]) << k;
    }
    EXPECT_EQ(index.Nearest(std::numeric_limits<uint64_t>::max()), b.back());
    const uint64_t nLast = b[197].nOffset, nEnd = b[198].nOffset;
    const Bytes cut(laid.bytes.begin(), laid.bytes.begin() + static_cast<std::ptrdiff_t>(nEnd - 1));
    for (const auto& [bytes, nAudioEnd, nFrames] : std::vector<std::tuple<Bytes, uint64_t, size_t>>{
             {laid.bytes, nLast + 3, 197}, {laid.bytes, nEnd - 1, 197}, {cut, nEnd, 197}})
        Index(bytes, nAudioEnd, b, nFrames);
}
// The first frame after damage starts 100 bytes before the first block read ends, its confirming header in the next.
TEST_P(Mp3FrameIndexStream, ReadsOnAcrossBlocks)
{
    CLaidStream laid;
    const uint64_t nBlockEnd = laid.bytes.size() + CMp3FrameIndex::kBlockBytes;
    while (laid.bytes.size() + 4000 < nBlockEnd)
        laid.Frames(GetParam(), 1);
    laid.Junk(GetParam().kinds[0], nBlockEnd - 100 - laid.bytes.size());
    while (laid.bytes.size() < nBlockEnd + 2 * CMp3FrameIndex::kBlockBytes)
        laid.Frames(GetParam(), 1);
    Index(laid.bytes, laid.bytes.size(), laid.boundaries, laid.boundaries.size() - 1);
}
INSTANTIATE_TEST_SUITE_P(Mp3FrameIndexLayouts, Mp3FrameIndexStream, ::testing::ValuesIn(kStreams), ByName);
TEST(Mp3FrameIndex, NoFramesAnswersWithTheStart)
{
    for (const auto& [bytes, nFirstFrame] : std::vector<std::pair<Bytes, uint64_t>>{
             {{}, 0}, {Filler(10000), 0}, {Bytes(10000, 0xFF), 0}, {Stream({3, 1, 0}, 417, 20), 0},
             {HeaderBytes(k128.layout) + Filler(400), 0}, {Stream(k128.layout, 417, 20), 20 * 417 + 1}}) {
        const CMp3FrameIndex index = Index(bytes, bytes.size(), {{}}, 0, nFirstFrame);
        EXPECT_TRUE(index.GetTotalSamples() == 0 && index.GetSampleRate() == 0 && index.GetMemoryBytes() == 0);
        EXPECT_TRUE(index.Nearest(0) == SBoundary{} && index.Nearest(100000) == SBoundary{});
    }
}
