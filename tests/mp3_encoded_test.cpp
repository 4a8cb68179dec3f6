// Real encoder output: the playing time agrees with a decoder; fragments are frames that decode and play as asked.
#include "audio/Mp3File.h"
#include "doubles/FakeUi.h"
#include "support/Mp3Builder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <regex>

namespace {

using Args = std::vector<std::string>;

// 12 s of raw 16-bit stereo, a tone and noise swelling four times a second: VBR frames vary, evenly.
Bytes Encode(const CTempDir& dir, const Args& encoder, uint32_t nRate)
{
    Bytes pcm;
    for (uint32_t i = 0, nNoise = 1; i < nRate * 12; ++i, nNoise = nNoise * 1103515245 + 12345) {
        const double t = 2 * std::numbers::pi * i / nRate, dNoise = (nNoise >> 16) / 32768.0 - 1.0;
        const auto s = static_cast<int16_t>(9000 * std::sin(440 * t) + 3000 * dNoise * (1.5 + std::sin(4 * t)));
        const auto lo = static_cast<unsigned char>(s), hi = static_cast<unsigned char>(s >> 8);
        pcm.insert(pcm.end(), {lo, hi, lo, hi});
    }
    WriteBytes(dir / "in.pcm", pcm);
    EXPECT_EQ(RunCommand(encoder + Args{dir / "in.pcm", dir / "in.mp3"}).nExit, 0);
    return ReadBytes(dir / "in.mp3");
}

struct SEncoding {
    const char* name;
    Args encoder;
    uint32_t nRate;
    bool bCbr, bId3v1;
};

class Mp3Encoded : public testing::TestWithParam<SEncoding> {};

TEST_P(Mp3Encoded, PlaysAsDecodedAndCutsIntoDecodablePieces)
{
    const SEncoding& e = GetParam();
    if (!HaveProgram(e.encoder[0]) || !HaveProgram("mpg123"))
        GTEST_SKIP() << e.encoder[0] << " and mpg123 are needed";
    CTempDir dir;
    const Bytes source = Encode(dir, e.encoder, e.nRate);
    // Seconds of all frames; only the bit reservoir's complaint is allowed, no byte cut avoids it.
    auto decode = [&](const std::string& strPath) {
        const CCommandResult r = RunCommand({"mpg123", "--no-gapless", "-m", "-s", strPath});
        const std::regex bad("(^|\n)(?![^\n]*part2_3_length)[^\n]*(Illegal|rror|arning|sync|Skip)");
        EXPECT_FALSE(std::regex_search(r.strErr, bad)) << r.strErr;
        return static_cast<double>(r.strOut.size() / 2) / e.nRate;
    };
    CFakeUi ui;
    CMp3File file(dir / "in.mp3", nullptr, ui);
    file.SetOverlapTime(2);
    ui.shredAnswer = {true, 3, dir / "lap"};
    ASSERT_EQ(file.ShredEqually(), 0);
    // Frames (no information frame), then the source's tag; they play from 2 s before the cut, within 4 frames or 5%.
    for (uint32_t i = 1; i <= 3; ++i) {
        SCOPED_TRACE(i);
        const Bytes piece = ReadBytes(dir / ("LAP-" + std::to_string(i) + ".mp3"));
        const size_t nTag = e.bId3v1 ? 128 : 0, nBody = piece.size() - nTag;
        ASSERT_GE(piece.size(), 64 + nTag);
        EXPECT_TRUE(std::equal(piece.begin() + nBody, piece.end(), source.end() - nTag));
        EXPECT_FALSE(mp3::ParseInfoFrame(PackedAt(piece), piece.data(), mp3::kInfoFrameProbe));
        size_t nEnd = 0;
        while (nEnd + 4 <= nBody && nEnd + mp3::FrameLength(PackedAt(piece, nEnd)) <= nBody) {
            ASSERT_TRUE(mp3::IsUsableHeader(PackedAt(piece, nEnd))) << "no frame header at " << nEnd;
            nEnd += mp3::FrameLength(PackedAt(piece, nEnd));
        }
        WriteBytes(dir / "complete.mp3", Bytes(piece.begin(), piece.begin() + nEnd));
        const double dExpected = file.GetDuration() / 3 + (i > 1 ? 2 : 0);
        EXPECT_NEAR(decode(dir / "complete.mp3"), dExpected, e.bCbr ? 4 * 1152.0 / e.nRate : 0.05 * dExpected);
    }
}

const Args kLame{"lame", "--quiet", "-r", "-s"};
// MPEG-2 mono behind an ID3v2 tag larger than the search reach; frames longer than that reach.
const SEncoding kEncodings[] = {
    {"Mpeg1CbrId3v1", kLame + Args{"44.1", "-b", "128", "-t", "--id3v1-only", "--tt", "T"}, 44100, true, true},
    {"Mpeg2VbrMonoId3v2", kLame + Args{"22.05", "-a", "-V", "5", "--id3v2-only", "--pad-id3v2-size", "2000"}, 22050,
     false, false},
    {"Layer2Cbr384", {"twolame", "--quiet", "-r", "-s", "32000", "-N", "2", "-b", "384"}, 32000, true, false}};
INSTANTIATE_TEST_SUITE_P(Encoders, Mp3Encoded, testing::ValuesIn(kEncodings), ByName);

} // namespace
