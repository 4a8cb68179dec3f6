#include "audio/Mp3Header.h"
#include "support/Mp3Builder.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

namespace {

// The published tables, ISO/IEC 11172-3 for MPEG-1 and 13818-3 for the lower
// sampling rates (MPEG-2.5 too): kbit/s for bitrate indexes 1 to 14.
using Row = std::array<unsigned, 14>;
constexpr Row k1Layer1{32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448};
constexpr Row k1Layer2{32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
constexpr Row k1Layer3{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr Row k2Layer1{32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256};
constexpr Row k2Layer23{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

struct SVersionCase {
    const char* name;
    unsigned version;
    std::array<unsigned, 3> hz; // sampling indexes 0 to 2; 3 is reserved
    std::array<Row, 4> kbps;    // by layer field: reserved, III, II, I
};

class Mp3HeaderTables : public testing::TestWithParam<SVersionCase> {};

TEST_P(Mp3HeaderTables, EveryLayerAndIndexMatchesThePublishedTables)
{
    const SVersionCase& c = GetParam();
    for (unsigned layer = 0; layer < 4; ++layer)
        for (unsigned b = 0; b < 16; ++b)
            for (unsigned s = 0; s < 4; ++s) {
                const uint32_t dw = PackedAt(HeaderBytes({c.version, layer, b, s}));
                EXPECT_EQ(mp3::Bitrate(dw), b == 0 || b == 15 ? 0 : 1000 * c.kbps[layer][b - 1]) << layer << "/" << b;
                EXPECT_EQ(mp3::SamplingRate(dw), s == 3 ? 0 : c.hz[s]) << s;
            }
}

INSTANTIATE_TEST_SUITE_P(
    Versions, Mp3HeaderTables,
    testing::Values(SVersionCase{"Mpeg1", 3, {44100, 48000, 32000}, {Row{}, k1Layer3, k1Layer2, k1Layer1}},
                    SVersionCase{"Mpeg2", 2, {22050, 24000, 16000}, {Row{}, k2Layer23, k2Layer23, k2Layer1}},
                    SVersionCase{"Mpeg25", 0, {11025, 12000, 8000}, {Row{}, k2Layer23, k2Layer23, k2Layer1}},
                    SVersionCase{"Reserved", 1, {0, 0, 0}, {}}),
    ByName);

TEST(Mp3Header, FrameLengthFollowsTheLayersFormula)
{
    const std::tuple<CFrameLayout, uint32_t, uint32_t> cases[] = {
        {{3, 1, 9, 0, 0}, 417, 1152},  // MPEG-1 Layer III, 128 kbit/s, 44100 Hz
        {{3, 1, 9, 0, 1}, 418, 1152},  // padded
        {{0, 1, 1, 2, 0}, 72, 576},    // MPEG-2.5 Layer III, 8 kbit/s, 8000 Hz
        {{2, 2, 14, 1, 0}, 960, 1152}, // MPEG-2 Layer II, 160 kbit/s, 24000 Hz
        {{3, 3, 1, 1, 1}, 36, 384},    // MPEG-1 Layer I, 32 kbit/s, 48000 Hz, padded by 4 bytes
        {{0, 2, 14, 2, 1}, 2881, 1152}, // MPEG-2.5 Layer II, 160 kbit/s, 8000 Hz, padded: the longest there is
        {{3, 1, 9, 3, 0}, 0, 1152},    // reserved sampling rate
        {{3, 0, 9, 0, 0}, 0, 0}};      // reserved layer
    for (const auto& [frame, nLength, nSamples] : cases) {
        EXPECT_EQ(mp3::FrameLength(PackedAt(HeaderBytes(frame))), nLength);
        EXPECT_EQ(mp3::SamplesPerFrame(PackedAt(HeaderBytes(frame))), nSamples) << nLength;
    }
    EXPECT_EQ(mp3::kLongestFrameLength, 2881u);
}

// "Xing" and "Info" stand behind the side information, "VBRI" 32 bytes behind the header. With the
// CRC bit set, a tag where it would stand without the CRC bytes counts when its flags are known ones.
TEST(Mp3Header, InformationFrameIsFoundOnlyWhereTheLayoutPutsIt)
{
    const CFrameLayout kCrc{.bCrc = true};
    const std::tuple<CFrameLayout, const char*, size_t, unsigned char, bool> cases[] = {
        {{}, "Xing", 36, 0, true},                 // MPEG-1 stereo
        {{3, 1, 9, 0, 0, 3}, "Info", 21, 0, true}, // MPEG-1 mono
        {{2, 1, 9, 0, 0, 1}, "Xing", 21, 0, true}, // MPEG-2 stereo
        {{0, 1, 9, 0, 0, 3}, "Xing", 13, 0, true}, // MPEG-2.5 mono
        {kCrc, "Xing", 38, 0, true},               // behind a CRC
        {kCrc, "Info", 36, 0, true},               // where it would be without one
        {{0, 1, 9, 0, 0, 3, true}, "Xing", 13, 0, true},
        {kCrc, "Xing", 36, 0x80, false}, // with a flag nobody defines
        {{}, "Xing", 34, 0, false},
        {{}, "VBRI", 36, 0, true},
        {{}, "Xing", 21, 0, false}}; // at the mono offset of a stereo frame
    for (const auto& [layout, tag, nAt, flagsTop, bFound] : cases) {
        Bytes frame = InfoFrame(layout, 417, tag, 100, 41800, nAt);
        frame[nAt + 4] |= flagsTop;
        const auto info = mp3::ParseInfoFrame(PackedAt(frame), frame.data(), mp3::kInfoFrameProbe);
        EXPECT_EQ(info.has_value(), bFound) << tag << " at " << nAt;
        EXPECT_TRUE(!info || (info->frames == 100u && info->bytes == 41800u));
    }
}

} // namespace
