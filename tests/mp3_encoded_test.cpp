// Real encoder output: the playing time agrees with a decoder, and every piece
// written decodes and plays for what was asked.
#include "audio/Mp3File.h"
#include "audio/Mp3Header.h"
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

// Raw 16-bit stereo, a tone and noise swelling four times a second: VBR frames vary, evenly.
// The encoder reads it raw; the input and output paths follow its arguments.
Bytes Encode(const CTempDir& dir, const Args& encoder, uint32_t nRate, uint32_t nSeconds)
{
    Bytes pcm;
    for (uint32_t i = 0, nNoise = 1; i < nRate * nSeconds; ++i, nNoise = nNoise * 1103515245 + 12345) {
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
    uint32_t nRate;
    Args lameArgs;
    bool bCbr, bId3v1;
};

class Mp3Encoded : public testing::TestWithParam<SEncoding> {};

TEST_P(Mp3Encoded, PlaysAsDecodedAndCutsIntoDecodablePieces)
{
    if (!HaveProgram("lame") || !HaveProgram("mpg123"))
        GTEST_SKIP() << "lame and mpg123 are needed";
    const SEncoding& e = GetParam();
    CTempDir dir;
    const Bytes source =
        Encode(dir, Args{"lame", "--quiet", "-r", "-s", std::to_string(e.nRate / 1000.0)} + e.lameArgs, e.nRate, 12);

    // Seconds of all frames; only the bit reservoir's complaint is allowed, no byte cut avoids it.
    auto decode = [&](const std::string& strPath) {
        const CCommandResult r = RunCommand({"mpg123", "--no-gapless", "-m", "-s", strPath});
        EXPECT_EQ(r.nExit, 0);
        for (const std::string& line : Lines(r.strErr))
            EXPECT_FALSE(std::regex_search(line, std::regex("^(?!.*part2_3_length).*(Illegal|rror|arning|sync|Skip)")))
                << line;
        return static_cast<double>(r.strOut.size() / 2) / e.nRate;
    };
    // A chain of frames, the first no information frame, then the source's ID3v1 tag; its complete
    // frames play for dExpected, within dFrames frames for CBR, 5% for VBR.
    auto checkPiece = [&](const std::string& strName, double dExpected, double dFrames) {
        SCOPED_TRACE(strName);
        const Bytes piece = ReadBytes(dir / strName);
        const size_t nTag = e.bId3v1 ? 128 : 0, nBody = piece.size() - nTag;
        ASSERT_GE(piece.size(), 64 + nTag);
        EXPECT_TRUE(std::equal(piece.begin() + nBody, piece.end(), source.end() - nTag));
        EXPECT_FALSE(mp3::ParseInfoFrame(PackedAt(piece), piece.data(), mp3::kInfoFrameProbe));
        size_t nEnd = 0;
        while (nEnd + 4 <= nBody) {
            const uint32_t dw = PackedAt(piece, nEnd);
            ASSERT_TRUE(mp3::IsUsableHeader(dw)) << "no frame header at " << nEnd;
            if (nEnd + mp3::FrameLength(dw) > nBody)
                break;
            nEnd += mp3::FrameLength(dw);
        }
        WriteBytes(dir / "complete.mp3", Bytes(piece.begin(), piece.begin() + nEnd));
        const double dFrame = mp3::SamplesPerFrame(PackedAt(piece)) / double(e.nRate);
        EXPECT_NEAR(decode(dir / "complete.mp3"), dExpected, e.bCbr ? dFrames * dFrame + 1e-9 : 0.05 * dExpected);
    };

    CFakeUi ui;
    CMp3File file(dir / "in.mp3", nullptr, ui);
    ASSERT_EQ(file.GetError(), 0);
    const double dDuration = file.GetDuration();
    EXPECT_NEAR(dDuration, decode(dir / "in.mp3"), 0.01 * dDuration);
    ASSERT_EQ(file.SaveSelection(dir / "sel.mp3", 3, 9, 1), 0);
    checkPiece("sel.mp3", 6.0, 1);
    file.SetOverlapTime(2);
    ui.shredAnswer = {true, 3, dir / "lap"};
    ASSERT_EQ(file.ShredEqually(), 0);
    checkPiece("LAP-1.mp3", dDuration / 3, 1);
    checkPiece("LAP-2.mp3", dDuration / 3 + 2, 3);
    checkPiece("LAP-3.mp3", dDuration / 3 + 2, 4);
}

INSTANTIATE_TEST_SUITE_P(
    Lame, Mp3Encoded,
    testing::Values(
        SEncoding{"Mpeg1CbrId3v1", 44100, {"-b", "128", "-t", "--id3v1-only", "--tt", "T"}, true, true},
        // Mono, behind an ID3v2 tag larger than the search reach.
        SEncoding{"Mpeg2VbrMonoId3v2", 22050, {"-a", "-V", "5", "--id3v2-only", "--pad-id3v2-size", "2000"}, false,
                  false},
        // With -p the frames carry a CRC, but the Xing tag stands where it would without one.
        SEncoding{"Mpeg1VbrCrc", 44100, {"-p", "-V", "4"}, false, false}),
    ByName);

struct SLongFrames {
    const char* name;
    Args encoder;
    uint32_t nRate, nFragments; // a count at which a search reaching only 1000 bytes lost fragments
};

class Mp3LongFrames : public testing::TestWithParam<SLongFrames> {};

// Frames longer than the search for the first frame reaches: every cut still starts on the next frame.
TEST_P(Mp3LongFrames, EveryCutStartsOnTheNextFrame)
{
    const SLongFrames& c = GetParam();
    if (!HaveProgram(c.encoder[0]))
        GTEST_SKIP() << c.encoder[0] << " is needed";
    CTempDir dir;
    const Bytes source = Encode(dir, c.encoder, c.nRate, 32);
    std::vector<size_t> frames; // where each frame starts, then the end
    uint32_t nLongest = 0;
    for (size_t n = 0; n < source.size(); n += mp3::FrameLength(PackedAt(source, n))) {
        ASSERT_TRUE(n + 4 <= source.size() && mp3::IsUsableHeader(PackedAt(source, n))) << n;
        frames.push_back(n);
        nLongest = std::max(nLongest, mp3::FrameLength(PackedAt(source, n)));
    }
    frames.push_back(source.size());
    ASSERT_GT(nLongest, CMp3File::kFirstFrameReach);
    // The piece is the source's bytes from the first frame at or after nFrom; returns where they end.
    const auto checkPiece = [&](const std::string& strName, size_t nFrom) {
        SCOPED_TRACE(strName + " from " + std::to_string(nFrom));
        const Bytes piece = ReadBytes(dir / strName);
        const size_t nStart = *std::ranges::lower_bound(frames, nFrom);
        EXPECT_TRUE(!piece.empty() && nStart + piece.size() <= source.size() &&
                    std::equal(piece.begin(), piece.end(), source.begin() + nStart));
        return nStart + piece.size();
    };

    CFakeUi ui;
    CMp3File file(dir / "in.mp3", nullptr, ui);
    ASSERT_EQ(file.GetError(), 0);
    for (uint32_t i = 0; i < 31; ++i) {
        ASSERT_EQ(file.SaveSelection(dir / "sel.mp3", i, i + 1, 1), 0);
        checkPiece("sel.mp3", file.GetAudioStart() + static_cast<size_t>(file.GetBytesPerSecond() * i));
    }
    ui.shredAnswer = {true, static_cast<int32_t>(c.nFragments), dir / "cut"};
    ASSERT_EQ(file.ShredEqually(), 0);
    EXPECT_TRUE(file.GetEmptyFragments().empty());
    size_t nEnd = file.GetAudioStart();
    for (size_t i = 1; i <= c.nFragments; ++i)
        nEnd = checkPiece("CUT-" + std::to_string(i) + ".mp3", nEnd);
    EXPECT_GT(nEnd + c.nFragments, source.size()); // short of the end by the division's remainder at most
}

// Frames of 1044 and 1728 bytes.
INSTANTIATE_TEST_SUITE_P(
    Encoders, Mp3LongFrames,
    testing::Values(SLongFrames{"Layer3Cbr320", {"lame", "--quiet", "-r", "-s", "44.1", "-b", "320"}, 44100, 25},
                    SLongFrames{"Layer2Cbr384", {"twolame", "--quiet", "-r", "-s", "32000", "-N", "2", "-b", "384"},
                                32000, 25}),
    ByName);

} // namespace
