// Real encoder output, made at test time: the playing time agrees with a
// decoder, and every piece written decodes and plays for what was asked.
#include "audio/Mp3File.h"
#include "audio/Mp3Header.h"
#include "support/FakeUi.h"
#include "support/Mp3Builder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <regex>

namespace {

// 12 s of raw 16-bit stereo, a tone and noise swelling four times a second: VBR frames vary, evenly.
Bytes Signal(uint32_t nRate)
{
    Bytes out;
    for (uint32_t i = 0, nNoise = 1; i < nRate * 12; ++i, nNoise = nNoise * 1103515245 + 12345) {
        const double t = 2 * std::numbers::pi * i / nRate, dNoise = (nNoise >> 16) / 32768.0 - 1.0;
        const auto s = static_cast<int16_t>(9000 * std::sin(440 * t) + 3000 * dNoise * (1.5 + std::sin(4 * t)));
        const auto lo = static_cast<unsigned char>(s), hi = static_cast<unsigned char>(s >> 8);
        out.insert(out.end(), {lo, hi, lo, hi});
    }
    return out;
}

struct SEncoding {
    const char* name;
    uint32_t nRate;
    std::vector<std::string> lameArgs; // "-a": mono; each ID3v2 tag is larger than the search reach
    bool bCbr, bId3v1;
};

class Mp3Encoded : public testing::TestWithParam<SEncoding> {};

TEST_P(Mp3Encoded, PlaysAsDecodedAndCutsIntoDecodablePieces)
{
    if (!HaveProgram("lame") || !HaveProgram("mpg123"))
        GTEST_SKIP() << "lame and mpg123 are needed";
    const SEncoding& e = GetParam();
    CTempDir dir;
    WriteBytes(dir / "in.pcm", Signal(e.nRate));
    using Args = std::vector<std::string>;
    const Args raw{"lame", "--quiet", "-r", "-s", std::to_string(e.nRate / 1000.0)};
    ASSERT_EQ(RunCommand(raw + e.lameArgs + Args{dir / "in.pcm", dir / "in.mp3"}).nExit, 0);
    const Bytes source = ReadBytes(dir / "in.mp3");

    // Seconds of all frames decoded (no encoder delay or padding dropped); the only complaint allowed
    // is the bit reservoir's, which no byte cut can avoid for a piece's first frames.
    auto decode = [&](const std::string& strPath) {
        const CCommandResult r = RunCommand({"mpg123", "--no-gapless", "-m", "-s", strPath});
        EXPECT_EQ(r.nExit, 0);
        for (const std::string& line : Lines(r.strErr))
            EXPECT_FALSE(std::regex_search(line, std::regex("^(?!.*part2_3_length).*(Illegal|rror|arning|sync|Skip)")))
                << line;
        return static_cast<double>(r.strOut.size() / 2) / e.nRate;
    };
    // A piece: a chain of frames up to the one the byte count cut, the first not an information frame,
    // then the source's ID3v1 tag. Its complete frames play for dExpected: dFrames frames for CBR, 5% VBR.
    auto checkPiece = [&](const std::string& strName, double dExpected, double dFrames) {
        SCOPED_TRACE(strName);
        const Bytes piece = ReadBytes(dir / strName);
        const size_t nTag = e.bId3v1 ? 128 : 0, nBody = piece.size() - nTag;
        ASSERT_GE(piece.size(), 64 + nTag);
        EXPECT_TRUE(std::equal(piece.begin() + nBody, piece.end(), source.end() - nTag));
        EXPECT_FALSE(mp3::ParseInfoFrame(PackedAt(piece), piece.data(), mp3::kInfoFrameProbe));
        size_t nEnd = 0; // of the complete frames
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
    // Fragments with 2 s lead-ins: each cut pushes the later ones on to the next frame, and a lead-in
    // starts on the frame after its point.
    file.SetOverlapTime(2);
    ui.shredAnswer = {true, 3, dir / "lap"};
    ASSERT_EQ(file.ShredEqually(), 0);
    checkPiece("LAP-1.mp3", dDuration / 3, 1);
    checkPiece("LAP-2.mp3", dDuration / 3 + 2, 2);
    checkPiece("LAP-3.mp3", dDuration / 3 + 2, 4);
}

INSTANTIATE_TEST_SUITE_P(
    Lame, Mp3Encoded,
    testing::Values(
        SEncoding{"Mpeg1CbrId3v1", 44100, {"-b", "128", "-t", "--id3v1-only", "--tt", "T"}, true, true},
        SEncoding{"Mpeg1VbrBothTags", 44100, {"-V", "4", "--add-id3v2", "--pad-id3v2-size", "3000", "--tt", "T"},
                  false, true},
        SEncoding{"Mpeg2VbrMonoId3v2", 22050, {"-a", "-V", "5", "--id3v2-only", "--pad-id3v2-size", "2000"}, false,
                  false},
        SEncoding{"Mpeg25CbrMonoBothTags", 8000, {"-a", "-b", "16", "--add-id3v2", "--pad-id3v2-size", "1500", "--tt",
                  "T"}, true, true},
        SEncoding{"Mpeg25VbrMono", 8000, {"-a", "-V", "6"}, false, false}),
    ByName);

} // namespace
