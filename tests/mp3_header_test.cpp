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

struct SInfoCase {
    const char* name;
    unsigned version, channelMode;
    bool bCrc;
    const char* tag; // "Xing", "Info", "VBRI", or "" for an audio frame
};

class InfoFrame : public testing::TestWithParam<SInfoCase> {};

// The tag stands behind the side information: at 36 for MPEG-1 stereo, 21 for
// MPEG-1 mono and MPEG-2 stereo, 13 for MPEG-2 mono, 2 more behind a CRC;
// "VBRI" always at 36.
TEST_P(InfoFrame, IsFoundWhereTheLayoutPutsIt)
{
    const SInfoCase& c = GetParam();
    CFrameSpec spec;
    spec.version = c.version;
    spec.channelMode = c.channelMode;
    spec.bCrc = c.bCrc;
    const std::string strTag = c.tag;
    const Bytes frame = strTag == "VBRI" ? VbriFrame(spec, 417, 100, 41800)
                        : strTag.empty() ? Frame(spec, 417)
                                         : XingFrame(spec, 417, strTag, 100, 41800);
    const auto info = mp3::ParseInfoFrame(PackedHeader(spec), frame.data(), mp3::kInfoFrameProbe);
    ASSERT_EQ(info.has_value(), !strTag.empty());
    if (info) {
        EXPECT_EQ(info->frames, 100u);
        EXPECT_EQ(info->bytes, 41800u);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, InfoFrame,
                         testing::Values(SInfoCase{"XingMpeg1Stereo", 3, 0, false, "Xing"},
                                         SInfoCase{"InfoMpeg1Mono", 3, 3, false, "Info"},
                                         SInfoCase{"XingMpeg2Stereo", 2, 1, false, "Xing"},
                                         SInfoCase{"XingMpeg25Mono", 0, 3, false, "Xing"},
                                         SInfoCase{"XingAfterCrc", 3, 0, true, "Xing"},
                                         SInfoCase{"Vbri", 3, 0, false, "VBRI"},
                                         SInfoCase{"AudioFrame", 3, 0, false, ""}),
                         ByName());

} // namespace
