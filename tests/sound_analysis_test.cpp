// The picture and levels of the sound: WAV samples of every coding read as
// their numbers, MP3 decoded where a gapless decoder plays it.
#include "audio/SoundAnalysis.h"
#include "platform/ByteOrder.h"
#include "support/Mp3Builder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr uint32_t kRate = 8000;

struct SCoding {
    const char* name;
    uint16_t formatTag, bits, channels;
    bool bFloat, bExtensible;
};

// Sample i of a swinging, growing wave, as the coding stores it and as it reads back.
double Wave(size_t i) { return std::sin(0.37 * static_cast<double>(i)) * static_cast<double>(i % 50) / 50.0; }

double Stored(const SCoding& c, double d, unsigned char* p)
{
    const unsigned nBytes = c.bits / 8;
    if (c.bFloat && nBytes == 4) {
        const auto f = static_cast<float>(d);
        uint32_t n;
        std::memcpy(&n, &f, 4);
        WriteU32LE(p, n);
        return f;
    }
    if (c.bFloat) {
        uint64_t n;
        std::memcpy(&n, &d, 8);
        WriteU64LE(p, n);
        return d;
    }
    const double dScale = std::ldexp(1.0, static_cast<int>(c.bits) - 1);
    const auto n = static_cast<int64_t>(std::floor(std::clamp(d * dScale, -dScale, dScale - 1)));
    if (nBytes == 1)
        p[0] = static_cast<unsigned char>(n + 128);
    for (unsigned k = 0; nBytes > 1 && k < nBytes; ++k)
        p[k] = static_cast<unsigned char>(static_cast<uint64_t>(n) >> (8 * k));
    return static_cast<double>(n) / dScale;
}

class SoundAnalysisWave : public testing::TestWithParam<SCoding> {};

TEST_P(SoundAnalysisWave, PeaksAndLevelsAreTheSamplesNumbers)
{
    const SCoding& c = GetParam();
    constexpr size_t nFrames = 300, nColumns = 7;
    const uint16_t nBlock = static_cast<uint16_t>(c.channels * c.bits / 8);
    CWavLayout layout{.formatTag = c.formatTag, .channels = c.channels, .samplesPerSec = kRate,
                      .avgBytesPerSec = kRate * nBlock, .blockAlign = nBlock, .bitsPerSample = c.bits,
                      .dataBytes = static_cast<uint32_t>(nFrames * nBlock)};
    if (c.bExtensible) { // valid bits, channel mask, then the sub-format GUID opening with the format code
        layout.formatExtra = Bytes{static_cast<unsigned char>(c.bits), 0, 3, 0, 0, 0, c.bFloat ? uint8_t{3} : uint8_t{1}};
        layout.formatExtra->resize(22);
    }
    Bytes wav = BuildWav(layout);
    const size_t nData = wav.size() - layout.dataBytes;
    // Hand reference: the lowest and highest value read back in each column, the RMS of the first window.
    std::vector<double> lo(nColumns, 9), hi(nColumns, -9), frameLo(nFrames, 9), frameHi(nFrames, -9);
    double dSquares = 0;
    for (size_t i = 0; i < nFrames; ++i)
        for (size_t ch = 0; ch < c.channels; ++ch) {
            const double d = Stored(c, ch ? -Wave(i) / 2 : Wave(i), &wav[nData + (i * c.channels + ch) * c.bits / 8]);
            lo[i * nColumns / nFrames] = std::min(lo[i * nColumns / nFrames], d);
            hi[i * nColumns / nFrames] = std::max(hi[i * nColumns / nFrames], d);
            frameLo[i] = std::min(frameLo[i], d);
            frameHi[i] = std::max(frameHi[i], d);
            dSquares += i < kRate / 200 ? d * d : 0;
        }
    CTempDir dir;
    WriteBytes(dir / "a.wav", wav);

    auto pAnalysis = CSoundAnalysis::Start(dir / "a.wav");
    ASSERT_TRUE(pAnalysis);
    ASSERT_TRUE(pAnalysis->Wait(nullptr));
    EXPECT_EQ(pAnalysis->GetTotalFrames(), nFrames);
    const auto overview = pAnalysis->Overview(0, nFrames, nColumns);
    const auto detail = CSoundAnalysis::Detail(dir / "a.wav", 0, nFrames, nColumns);
    ASSERT_EQ(overview.size(), nColumns);
    ASSERT_EQ(detail.size(), nColumns);
    for (size_t k = 0; k < nColumns; ++k) {
        SCOPED_TRACE(k);
        for (const SPeak& peak : {overview[k], detail[k]}) {
            EXPECT_TRUE(peak.bKnown);
            EXPECT_NEAR(peak.fMin, lo[k], 1e-6);
            EXPECT_NEAR(peak.fMax, hi[k], 1e-6);
        }
    }
    // Zoomed in past the frames: four columns to a frame, each showing the frame it starts in.
    const auto zoomed = CSoundAnalysis::Detail(dir / "a.wav", 20, 23, 12);
    ASSERT_EQ(zoomed.size(), 12u);
    for (size_t k = 0; k < 12; ++k) {
        EXPECT_NEAR(zoomed[k].fMin, frameLo[20 + k / 4], 1e-6) << k;
        EXPECT_NEAR(zoomed[k].fMax, frameHi[20 + k / 4], 1e-6) << k;
    }
    // 40 frames a window: 7 whole ones and a half.
    const auto levels = pAnalysis->GetLevels();
    EXPECT_EQ(pAnalysis->GetLevelWindow(), kRate / 200);
    ASSERT_EQ(levels.size(), 8u);
    EXPECT_NEAR(levels[0], std::sqrt(dSquares / (kRate / 200 * c.channels)), 1e-5);
}

const SCoding kCodings[] = {
    {"Pcm8Mono", 1, 8, 1, false, false},        {"Pcm16Stereo", 1, 16, 2, false, false},
    {"Pcm24Stereo", 1, 24, 2, false, false},    {"Pcm32Mono", 1, 32, 1, false, false},
    {"Float32Stereo", 3, 32, 2, true, false},   {"Float64Mono", 3, 64, 1, true, false},
    {"Extensible24Stereo", 0xFFFE, 24, 2, false, true}, {"ExtensibleFloat32Mono", 0xFFFE, 32, 1, true, true},
};
INSTANTIATE_TEST_SUITE_P(Codings, SoundAnalysisWave, testing::ValuesIn(kCodings), ByName);

// Files without samples to read give no analysis and no detail, and nothing big is allocated for them.
TEST(SoundAnalysis, FilesWithoutReadableSamplesGiveNothing)
{
    CTempDir dir;
    const std::pair<const char*, Bytes> files[] = {
        {"empty", {}},
        {"junk", Bytes(5000, 0x55)},
        {"adpcm", BuildWav({.formatTag = 2, .channels = 1, .avgBytesPerSec = 4000, .blockAlign = 256,
                            .bitsPerSample = 4, .formatExtra = Bytes(32), .dataBytes = 2560})},
        {"oddblock", BuildWav({.channels = 2, .blockAlign = 5, .bitsPerSample = 16, .dataBytes = 500})},
        {"lonelyframeheader", Bytes(100) + Bytes{0xFF, 0xFB, 0x90, 0x44} + Bytes(900)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        WriteBytes(dir / name, bytes);
        EXPECT_FALSE(CSoundAnalysis::Start(dir / name));
        EXPECT_TRUE(CSoundAnalysis::Detail(dir / name, 0, 1000, 10).empty());
    }
    EXPECT_FALSE(CSoundAnalysis::Start(dir / "missing"));
}

TEST(SoundAnalysis, CancelStopsTheWorkerAndWaitSaysSo)
{
    CTempDir dir;
    WriteSparseWav(dir / "long.wav", {}, uint64_t{1} << 31); // 3 h 22 min of silence
    auto pAnalysis = CSoundAnalysis::Start(dir / "long.wav");
    ASSERT_TRUE(pAnalysis);
    EXPECT_FALSE(pAnalysis->Wait([](double) { return false; }));
    EXPECT_FALSE(pAnalysis->IsDone());
    EXPECT_TRUE(pAnalysis->GetLevels().empty());
    pAnalysis = CSoundAnalysis::Start(dir / "long.wav"); // and the destructor while it runs
}

// 36 s: 40% silence, then a loud tone to the end. The two halves are decoded
// apart; the tone starts where it starts in the source, counted as the cut
// points count: the samples a gapless decoder plays, the encoder's delay taken
// as 576 when no LAME tag says (mpg123 then plays those and its own 529 too).
struct SMp3Case {
    const char* name;
    std::vector<std::string> lameOptions;
    uint32_t nPlayedBefore; // samples mpg123 plays before the cut points' first
};

class SoundAnalysisMp3 : public testing::TestWithParam<SMp3Case> {};

TEST_P(SoundAnalysisMp3, IsPicturedWhereADecoderPlaysIt)
{
    if (!HaveProgram("lame") || !HaveProgram("mpg123"))
        GTEST_SKIP() << "lame and mpg123 are needed";
    constexpr uint32_t nRate = 44100, nFrames = 36 * nRate, nOnset = nFrames * 2 / 5;
    CTempDir dir;
    Bytes pcm;
    for (uint32_t i = 0; i < nFrames; ++i) {
        const double d = i < nOnset ? 0 : 16000 * std::sin(2 * std::numbers::pi * 440 * i / nRate);
        const auto s = static_cast<int16_t>(d);
        const auto lo = static_cast<unsigned char>(s), hi = static_cast<unsigned char>(s >> 8);
        pcm.insert(pcm.end(), {lo, hi, lo, hi});
    }
    WriteBytes(dir / "in.pcm", pcm);
    const std::vector<std::string> lame{"lame", "--quiet", "-r", "-s", "44.1", "-b", "128"};
    ASSERT_EQ(RunCommand(lame + GetParam().lameOptions + std::vector<std::string>{dir / "in.pcm", dir / "a.mp3"}).nExit, 0);
    const size_t nPlayed = RunCommand({"mpg123", "-q", "-s", dir / "a.mp3"}).strOut.size() / 4 - GetParam().nPlayedBefore;

    auto pAnalysis = CSoundAnalysis::Start(dir / "a.mp3");
    ASSERT_TRUE(pAnalysis);
    ASSERT_TRUE(pAnalysis->Wait(nullptr));
    EXPECT_EQ(pAnalysis->GetTotalFrames(), nPlayed);
    EXPECT_EQ(pAnalysis->GetRate(), nRate);
    // Silent up to a tenth of a second before the tone (its pre-echo may come that far), loud from then on.
    const SPeak silent = pAnalysis->Overview(0, nOnset - nRate / 10, 1)[0];
    const SPeak loud = pAnalysis->Overview(nOnset, nPlayed, 1)[0];
    EXPECT_LT(std::max(-silent.fMin, silent.fMax), 0.01);
    EXPECT_GT(loud.fMax, 0.4);
    const uint32_t nWindow = pAnalysis->GetLevelWindow();
    const auto levels = pAnalysis->GetLevels();
    ASSERT_EQ(levels.size(), (nPlayed + nWindow - 1) / nWindow);
    const auto nLoud = std::find_if(levels.begin(), levels.end(), [](float f) { return f > 0.2f; }) - levels.begin();
    EXPECT_NEAR(static_cast<double>(nLoud), nOnset / nWindow, 1.0);
    // Around the middle, where the second half's decoding starts, and up to the last frame, the tone goes on.
    for (size_t k = levels.size() * 45 / 100; k < levels.size() * 55 / 100; ++k)
        ASSERT_NEAR(levels[k], 0.345, 0.03) << k;
    EXPECT_GT(levels[nFrames / nWindow - 2], 0.2);
    for (const auto& [nFrom, bLoud] : {std::pair{nOnset / 2, false}, {nOnset * 2, true}}) {
        const auto detail = CSoundAnalysis::Detail(dir / "a.mp3", nFrom, nFrom + nRate, 20);
        ASSERT_EQ(detail.size(), 20u);
        for (const SPeak& peak : detail)
            EXPECT_EQ(peak.bKnown && peak.fMax > 0.4, bLoud);
    }
}

const SMp3Case kMp3Cases[] = {{"LameTag", {}, 0}, {"NoInformationFrame", {"-t"}, 576 + 529}};
INSTANTIATE_TEST_SUITE_P(Encodings, SoundAnalysisMp3, testing::ValuesIn(kMp3Cases), ByName);

} // namespace
