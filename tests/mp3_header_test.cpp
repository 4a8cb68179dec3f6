#include "audio/Mp3Header.h"
#include "support/Mp3Builder.h"

#include <gtest/gtest.h>

#include <array>

namespace {

// The published bitrate tables in kbit/s for indexes 1 to 14: ISO/IEC 11172-3
// for MPEG-1, ISO/IEC 13818-3 for the lower sampling rates (also MPEG-2.5).
using Row = std::array<unsigned, 14>;
constexpr Row kIso1Layer1{32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448};
constexpr Row kIso1Layer2{32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
constexpr Row kIso1Layer3{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr Row kIso2Layer1{32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256};
constexpr Row kIso2Layer23{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr Row kNone{};

struct SBitrateCase {
    unsigned version;
    unsigned layer;
    Row kbps; // all 0 for a reserved version or layer
};

class BitrateTable : public testing::TestWithParam<SBitrateCase> {};

TEST_P(BitrateTable, EveryIndexMatchesThePublishedTable)
{
    const SBitrateCase& c = GetParam();
    for (unsigned index = 0; index < 16; ++index) {
        CFrameSpec spec;
        spec.version = c.version;
        spec.layer = c.layer;
        spec.bitrateIndex = index;
        const unsigned nExpected = index == 0 || index == 15 ? 0 : c.kbps[index - 1] * 1000;
        EXPECT_EQ(mp3::Bitrate(PackedHeader(spec)), nExpected) << "index " << index;
    }
}

INSTANTIATE_TEST_SUITE_P(AllVersionsAndLayers, BitrateTable,
                         testing::Values(SBitrateCase{3, 3, kIso1Layer1}, SBitrateCase{3, 2, kIso1Layer2},
                                         SBitrateCase{3, 1, kIso1Layer3}, SBitrateCase{2, 3, kIso2Layer1},
                                         SBitrateCase{2, 2, kIso2Layer23}, SBitrateCase{2, 1, kIso2Layer23},
                                         SBitrateCase{0, 3, kIso2Layer1}, SBitrateCase{0, 2, kIso2Layer23},
                                         SBitrateCase{0, 1, kIso2Layer23}, SBitrateCase{1, 3, kNone},
                                         SBitrateCase{1, 2, kNone}, SBitrateCase{1, 1, kNone},
                                         SBitrateCase{3, 0, kNone}, SBitrateCase{2, 0, kNone},
                                         SBitrateCase{0, 0, kNone}, SBitrateCase{1, 0, kNone}));

struct SRateCase {
    unsigned version;
    std::array<unsigned, 4> hz; // for sampling indexes 0 to 3
};

class SamplingRateTable : public testing::TestWithParam<SRateCase> {};

TEST_P(SamplingRateTable, EveryIndexMatchesThePublishedTable)
{
    for (unsigned index = 0; index < 4; ++index)
        for (unsigned layer = 0; layer < 4; ++layer) {
            CFrameSpec spec;
            spec.version = GetParam().version;
            spec.layer = layer;
            spec.samplingIndex = index;
            EXPECT_EQ(mp3::SamplingRate(PackedHeader(spec)), GetParam().hz[index]) << "index " << index;
        }
}

INSTANTIATE_TEST_SUITE_P(AllVersions, SamplingRateTable,
                         testing::Values(SRateCase{3, {44100, 48000, 32000, 0}}, SRateCase{2, {22050, 24000, 16000, 0}},
                                         SRateCase{0, {11025, 12000, 8000, 0}}, SRateCase{1, {0, 0, 0, 0}}));

struct SLengthCase {
    const char* name;
    CFrameSpec spec;
    uint32_t nLength;
    uint32_t nSamples;
};

class FrameLength : public testing::TestWithParam<SLengthCase> {};

TEST_P(FrameLength, FollowsTheLayersFormula)
{
    EXPECT_EQ(mp3::FrameLength(PackedHeader(GetParam().spec)), GetParam().nLength);
    EXPECT_EQ(mp3::SamplesPerFrame(PackedHeader(GetParam().spec)), GetParam().nSamples);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FrameLength,
    testing::Values(SLengthCase{"Mpeg1Layer3At128k", {3, 1, 9, 0, 0}, 417, 1152},
                    SLengthCase{"Mpeg1Layer3At128kPadded", {3, 1, 9, 0, 1}, 418, 1152},
                    SLengthCase{"Mpeg25Layer3At8kAnd8000Hz", {0, 1, 1, 2, 0}, 72, 576},
                    SLengthCase{"Mpeg2Layer2At160kAnd24000Hz", {2, 2, 14, 1, 0}, 960, 1152},
                    SLengthCase{"Mpeg1Layer1At32kAnd48000HzPadded", {3, 3, 1, 1, 1}, 36, 384},
                    SLengthCase{"Mpeg2Layer1At256kAnd16000Hz", {2, 3, 14, 2, 0}, 768, 384},
                    SLengthCase{"Mpeg2Layer3At8kAnd16000Hz", {2, 1, 1, 2, 0}, 36, 576},
                    SLengthCase{"ReservedSamplingRate", {3, 1, 9, 3, 0}, 0, 1152},
                    SLengthCase{"ReservedLayer", {3, 0, 9, 0, 0}, 0, 0}),
    ByName());

TEST(Mp3Header, UsableAndFollowingHeaders)
{
    const CFrameSpec good = Mpeg1Layer3At128k();
    EXPECT_TRUE(mp3::IsUsableHeader(PackedHeader(good)));
    for (auto spoil : {+[](CFrameSpec& s) { s.version = 1; }, +[](CFrameSpec& s) { s.layer = 0; },
                       +[](CFrameSpec& s) { s.samplingIndex = 3; }, +[](CFrameSpec& s) { s.bitrateIndex = 0; },
                       +[](CFrameSpec& s) { s.bitrateIndex = 15; }}) {
        CFrameSpec bad = good;
        spoil(bad);
        EXPECT_FALSE(mp3::IsUsableHeader(PackedHeader(bad)));
    }
    // A following header only needs its sync, a sampling rate and a version.
    CFrameSpec next = good;
    next.layer = 0;
    next.bitrateIndex = 15;
    EXPECT_TRUE(mp3::IsPlausibleNextHeader(PackedHeader(next)));
    next.samplingIndex = 3;
    EXPECT_FALSE(mp3::IsPlausibleNextHeader(PackedHeader(next)));
    EXPECT_FALSE(mp3::IsPlausibleNextHeader(PackedHeader(good) & ~0x8000u)); // sync cut short
}

struct SId3Case {
    const char* name;
    Bytes header;
    uint64_t nTagBytes;
};

class Id3v2Size : public testing::TestWithParam<SId3Case> {};

TEST_P(Id3v2Size, CountsHeaderContentsAndFooter)
{
    EXPECT_EQ(mp3::Id3v2TagBytes(GetParam().header.data()), GetParam().nTagBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, Id3v2Size,
    testing::Values(SId3Case{"Version3", {'I', 'D', '3', 3, 0, 0, 0, 0, 0x0B, 0x74}, 10 + 1524},
                    SId3Case{"SyncsafeMaximum", {'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F}, 10 + 0x0FFFFFFF},
                    SId3Case{"Version4Footer", {'I', 'D', '3', 4, 0, 0x10, 0, 0, 1, 0}, 10 + 128 + 10},
                    SId3Case{"FooterFlagBeforeVersion4", {'I', 'D', '3', 3, 0, 0x10, 0, 0, 1, 0}, 10 + 128},
                    SId3Case{"SizeNotSyncsafe", {'I', 'D', '3', 3, 0, 0, 0, 0, 0x80, 0}, 0},
                    SId3Case{"UnknownVersion", {'I', 'D', '3', 5, 0, 0, 0, 0, 1, 0}, 0},
                    SId3Case{"NoTag", {'T', 'A', 'G', 3, 0, 0, 0, 0, 1, 0}, 0}),
    ByName());

struct SInfoCase {
    const char* name;
    CFrameSpec spec;
    Bytes frame;
    std::optional<uint32_t> frames;
    std::optional<uint32_t> bytes;
};

class InfoFrame : public testing::TestWithParam<SInfoCase> {};

TEST_P(InfoFrame, IsFoundWithItsCounts)
{
    const SInfoCase& c = GetParam();
    const auto info = mp3::ParseInfoFrame(PackedHeader(c.spec), c.frame.data(),
                                          std::min(c.frame.size(), mp3::kInfoFrameProbe));
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->frames, c.frames);
    EXPECT_EQ(info->bytes, c.bytes);
}

CFrameSpec Spec(unsigned version, unsigned channelMode, bool bCrc = false)
{
    CFrameSpec s;
    s.version = version;
    s.channelMode = channelMode;
    s.bCrc = bCrc;
    return s;
}

// Tag offsets: 36 for MPEG-1 stereo, 21 for MPEG-1 mono and MPEG-2 stereo, 13
// for MPEG-2 mono; 2 more behind a CRC; "VBRI" always at 36.
INSTANTIATE_TEST_SUITE_P(
    Layouts, InfoFrame,
    testing::Values(SInfoCase{"XingMpeg1Stereo", Spec(3, 0), XingFrame(Spec(3, 0), 417, "Xing", 100, 41800), 100, 41800},
                    SInfoCase{"InfoMpeg1Mono", Spec(3, 3), XingFrame(Spec(3, 3), 417, "Info", 7, 2926), 7, 2926},
                    SInfoCase{"XingMpeg2Stereo", Spec(2, 1), XingFrame(Spec(2, 1), 208, "Xing", 9, {}), 9, {}},
                    SInfoCase{"XingMpeg25Mono", Spec(0, 3), XingFrame(Spec(0, 3), 72, "Xing", {}, 7200), {}, 7200},
                    SInfoCase{"XingAfterCrc", Spec(3, 0, true), XingFrame(Spec(3, 0, true), 417, "Xing", 5, 6), 5, 6},
                    SInfoCase{"Vbri", Spec(3, 0), VbriFrame(Spec(3, 0), 417, 1000, 418000), 1000, 418000}),
    ByName());

TEST(InfoFrame, AudioFramesAndOtherLayersAreNone)
{
    const CFrameSpec spec = Mpeg1Layer3At128k();
    const Bytes audio = Frame(spec, 417);
    EXPECT_FALSE(mp3::ParseInfoFrame(PackedHeader(spec), audio.data(), 64));
    // A tag at a stereo offset in a mono frame is not where it belongs.
    const Bytes misplaced = XingFrame(spec, 417, "Xing", 1, 2);
    EXPECT_FALSE(mp3::ParseInfoFrame(PackedHeader(Spec(3, 3)), misplaced.data(), 64));
    CFrameSpec layer2 = spec;
    layer2.layer = 2;
    EXPECT_FALSE(mp3::ParseInfoFrame(PackedHeader(layer2), XingFrame(spec, 417, "Xing", 1, 2).data(), 64));
}

TEST(InfoFrame, AverageRateOnlyWhenTheTableAllowsIt)
{
    const uint32_t dw = PackedHeader(Mpeg1Layer3At128k());
    // 441 frames of 1152 samples at 44100 Hz are 11.52 s.
    EXPECT_DOUBLE_EQ(mp3::AverageBytesPerSecond(dw, 441, 184320), 16000.0);
    EXPECT_DOUBLE_EQ(mp3::AverageBytesPerSecond(dw, 441, 460800), 40000.0); // 320 kbit/s, the column's top
    EXPECT_EQ(mp3::AverageBytesPerSecond(dw, 0, 184320), 0.0);
    EXPECT_EQ(mp3::AverageBytesPerSecond(dw, 441, 0), 0.0);
    EXPECT_EQ(mp3::AverageBytesPerSecond(dw, 441, 1843200), 0.0);   // 1280 kbit/s
    EXPECT_EQ(mp3::AverageBytesPerSecond(dw, 0xFFFFFFFF, 184320), 0.0); // far below 32 kbit/s
}

} // namespace
