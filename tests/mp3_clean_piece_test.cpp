// Exact MP3 pieces from real encoder output decode, with two gapless
// decoders, to exactly the source's samples: joined they are the source,
// with an overlap each is the source from its own start. Their information
// frame's CRC covers the span each side information length gives.
#include "audio/Mp3CleanFrames.h"
#include "audio/Mp3Header.h"
#include "platform/ByteOrder.h"
#include "support/Mp3Builder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <cstdlib>
#include <random>

namespace {

using Args = std::vector<std::string>;

struct SEncoding {
    const char* name;
    Args lame; // encoder options
    uint32_t nRate;
    unsigned nChannels;
    // The decoded samples a source without a LAME tag starts with that the
    // pieces leave out (the encoder delay assumed, and the decoder's).
    unsigned nUntrimmed = 0;
    // A decoder's filter bank may round the last bit differently where its
    // phase differs from the source's (576-sample frames): the most an
    // mpg123 sample may be off by.
    int nMpg123Lsb = 0;
};

// The source's decoded samples, 16-bit interleaved, as the decoder plays them gaplessly.
std::string Decode(const std::string& strDecoder, const std::string& strPath)
{
    const CCommandResult r = strDecoder == "ffmpeg"
                                 ? RunCommand({"ffmpeg", "-v", "error", "-i", strPath, "-f", "s16le", "-"})
                                 : RunCommand({"mpg123", "-q", "-s", strPath});
    EXPECT_EQ(r.nExit, 0) << strPath << r.strErr;
    return r.strOut;
}

// How far two stretches of samples differ at most, in LSB; INT32_MAX when their lengths do.
int MostOff(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return INT32_MAX;
    auto sample = [](const std::string& s, size_t i) {
        return static_cast<int16_t>(static_cast<unsigned char>(s[i]) | static_cast<unsigned char>(s[i + 1]) << 8);
    };
    int nMost = 0;
    for (size_t i = 0; i + 1 < a.size(); i += 2)
        nMost = std::max(nMost, std::abs(sample(a, i) - sample(b, i)));
    return nMost;
}

class Mp3CleanPiece : public testing::TestWithParam<SEncoding> {
protected:
    void SetUp() override
    {
        for (const char* pProgram : {"lame", "sox", "ffmpeg", "mpg123"})
            if (!HaveProgram(pProgram))
                GTEST_SKIP() << pProgram << " is needed";
        const SEncoding& e = GetParam();
        // 8 s of plucked chords that swell: frames of every size and block type.
        ASSERT_EQ(RunCommand({"sox", "-n", "-r", std::to_string(e.nRate), "-c", std::to_string(e.nChannels),
                              dir / "in.wav", "synth", "8", "pluck", "C3", "pluck", "E4", "tremolo", "3", "60"})
                      .nExit,
                  0);
        ASSERT_EQ(RunCommand(Args{"lame", "--quiet"} + e.lame + Args{dir / "in.wav", strSource}).nExit, 0);
    }

    // Splits the source at nPoints random times (at least 50 ms apart) with
    // the overlap; the pieces' paths in order and the cut points in samples.
    std::vector<std::string> Split(unsigned nPoints, unsigned nSeed, unsigned nOverlap, std::vector<uint64_t>& starts)
    {
        std::mt19937 random(nSeed);
        std::vector<unsigned> ms;
        while (ms.size() < nPoints) {
            const unsigned n = 50 + random() % 7800;
            if (std::all_of(ms.begin(), ms.end(), [&](unsigned m) { return std::max(m, n) - std::min(m, n) >= 50; }))
                ms.push_back(n);
        }
        std::sort(ms.begin(), ms.end());
        std::string strAt;
        starts = {0};
        for (unsigned m : ms) {
            strAt += (strAt.empty() ? "" : ",") + std::to_string(m / 1000) + "." + std::to_string(1000 + m % 1000).substr(1);
            starts.push_back((uint64_t{m} * GetParam().nRate + 500) / 1000);
        }
        std::filesystem::create_directories(dir / "out");
        const CCommandResult r = RunCommand({TOLVANE_CUT, "split", strSource, "--exact", "--at", strAt, "--overlap",
                                             std::to_string(nOverlap), "-o", dir / "out", "--name", "{nn}"});
        EXPECT_EQ(r.nExit, 0) << r.strErr;
        std::vector<std::string> paths;
        for (size_t i = 1; i <= starts.size(); ++i)
            paths.push_back(dir / ("out/" + std::to_string(100 + i).substr(1) + ".mp3"));
        return paths;
    }

    CTempDir dir;
    std::string strSource = dir / "source.mp3";
};

TEST_P(Mp3CleanPiece, JoinedPiecesAreTheSourceSampleForSample)
{
    const SEncoding& e = GetParam();
    std::vector<uint64_t> starts;
    const std::vector<std::string> paths = Split(23, 7, 0, starts);
    for (const char* pDecoder : {"ffmpeg", "mpg123"}) {
        const std::string source = Decode(pDecoder, strSource).substr(size_t{e.nUntrimmed} * 2 * e.nChannels);
        std::string joined;
        for (const std::string& strPath : paths)
            joined += Decode(pDecoder, strPath);
        const int nAllowed = std::string(pDecoder) == "mpg123" ? e.nMpg123Lsb : 0;
        EXPECT_EQ(joined.size(), source.size()) << pDecoder;
        EXPECT_LE(MostOff(joined, source), nAllowed) << pDecoder;
    }
}

TEST_P(Mp3CleanPiece, OverlappingPiecesAreTheSourceFromTheirOwnStart)
{
    const SEncoding& e = GetParam();
    std::vector<uint64_t> starts;
    const std::vector<std::string> paths = Split(9, 11, 1, starts);
    const size_t nFrameBytes = 2 * e.nChannels;
    const std::string source = Decode("ffmpeg", strSource).substr(size_t{e.nUntrimmed} * nFrameBytes);
    for (size_t i = 0; i < paths.size(); ++i) {
        const uint64_t nFrom = i == 0 ? 0 : starts[i] - std::min<uint64_t>(starts[i], e.nRate);
        const uint64_t nTo = i + 1 < starts.size() ? starts[i + 1] : source.size() / nFrameBytes;
        EXPECT_EQ(MostOff(Decode("ffmpeg", paths[i]), source.substr(nFrom * nFrameBytes, (nTo - nFrom) * nFrameBytes)),
                  0)
            << paths[i];
    }
}

const SEncoding kEncodings[] = {
    {"Cbr128JointStereo", {"-b", "128"}, 44100, 2},
    {"Cbr320Stereo", {"-b", "320", "-m", "s"}, 44100, 2},
    {"VbrV0", {"-V0"}, 44100, 2},
    {"VbrV2", {"-V2"}, 44100, 2},
    {"Mono64", {"-b", "64", "-m", "m"}, 44100, 1},
    {"Mpeg2At22050JointStereo", {"-b", "64"}, 22050, 2, 0, 1},
    {"Mpeg2At22050Mono", {"-b", "64", "-m", "m"}, 22050, 1, 0, 1},
    // Frames too short for the encoder's extension: a Xing tag alone.
    {"XingWithoutLameTag", {"-b", "32", "-m", "m"}, 22050, 1, 576 + 529, 1},
    {"Mpeg25At8000", {"-b", "24"}, 8000, 2, 0, 1},
    {"NoLameTag", {"-V2", "-t"}, 44100, 2, 576 + 529},
};
INSTANTIATE_TEST_SUITE_P(Lame, Mp3CleanPiece, testing::ValuesIn(kEncodings),
                         [](const auto& test) { return std::string(test.param.name); });

// The encoder's own information frame: the CRC of its extension, computed over
// every byte before it, is what the encoder wrote there, for each length of
// side information (32, 17 and 9 bytes).
class Mp3InfoFrameCrc : public testing::TestWithParam<SEncoding> {};

TEST_P(Mp3InfoFrameCrc, CoversTheSpanTheEncoderCovers)
{
    if (!HaveProgram("lame") || !HaveProgram("sox"))
        GTEST_SKIP() << "lame and sox are needed";
    const SEncoding& e = GetParam();
    CTempDir dir;
    ASSERT_EQ(RunCommand({"sox", "-n", "-r", std::to_string(e.nRate), "-c", std::to_string(e.nChannels),
                          dir / "in.wav", "synth", "1", "sine", "440"})
                  .nExit,
              0);
    ASSERT_EQ(RunCommand(Args{"lame", "--quiet"} + e.lame + Args{dir / "in.wav", dir / "in.mp3"}).nExit, 0);
    const Bytes frame = ReadBytes(dir / "in.mp3");
    const uint32_t dw = ReadU32LE(frame.data());
    ASSERT_TRUE(mp3::ParseInfoFrame(dw, frame.data(), frame.size()).value().lame);
    const size_t nAt = mp3::InfoFrameCrcOffset(dw);
    EXPECT_EQ(nAt, 4 + mp3::SideInfoBytes(dw) + 154);
    EXPECT_EQ(mp3::Crc16(frame.data(), nAt), frame[nAt] << 8 | frame[nAt + 1]);
}

const SEncoding kSideInfo[] = {
    {"Mpeg1Stereo", {"-b", "128"}, 44100, 2},
    {"Mpeg1Mono", {"-b", "64", "-m", "m"}, 44100, 1},
    {"Mpeg2Stereo", {"-b", "64"}, 22050, 2},
    {"Mpeg2Mono", {"-b", "64", "-m", "m"}, 22050, 1},
};
INSTANTIATE_TEST_SUITE_P(Lame, Mp3InfoFrameCrc, testing::ValuesIn(kSideInfo),
                         [](const auto& test) { return std::string(test.param.name); });

} // namespace
