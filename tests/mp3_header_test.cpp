#include "audio/Mp3Header.h"
#include "support/Mp3Builder.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(Mp3Header, FieldsFollowThePublishedTables)
{
    const std::tuple<CFrameLayout, uint32_t, uint32_t, uint32_t, uint32_t> cases[] = { // bitrate, rate, length, samples
        {{3, 1, 9, 0, 0}, 128000, 44100, 417, 1152}, {{3, 1, 9, 0, 1}, 128000, 44100, 418, 1152},
        {{3, 2, 14, 2, 0}, 384000, 32000, 1728, 1152}, {{3, 3, 1, 1, 1}, 32000, 48000, 36, 384},
        {{2, 3, 14, 0, 0}, 256000, 22050, 556, 384},  {{0, 1, 1, 2, 0}, 8000, 8000, 72, 576},
        {{3, 1, 9, 3, 0}, 128000, 0, 0, 1152},        {{3, 0, 9, 0, 0}, 0, 44100, 0, 0},
        {{3, 1, 15, 0, 0}, 0, 44100, 0, 1152}};
    for (const auto& [frame, nBitrate, nRate, nLength, nSamples] : cases) {
        const uint32_t dw = PackedAt(HeaderBytes(frame));
        EXPECT_EQ((std::array{mp3::Bitrate(dw), mp3::SamplingRate(dw), mp3::FrameLength(dw), mp3::SamplesPerFrame(dw)}),
                  (std::array{nBitrate, nRate, nLength, nSamples})) << std::hex << dw;
    }
}

TEST(Mp3Header, LongestFrameIsMpeg25Layer2At160kAnd8000HzPadded)
{
    EXPECT_EQ(mp3::FrameLength(PackedAt(HeaderBytes({0, 2, 14, 2, 1}))), mp3::kLongestFrameLength);
    EXPECT_EQ(mp3::kLongestFrameLength, 2881u);
}

// With a CRC, a tag where it would stand without the CRC bytes counts when its flags are known ones.
TEST(Mp3Header, InformationFrameIsFoundOnlyWhereTheLayoutPutsIt)
{
    const CFrameLayout kCrc{.bCrc = true};
    const std::tuple<CFrameLayout, const char*, size_t, unsigned char, bool> cases[] = {
        {{}, "Xing", 36, 0, true},                 // MPEG-1 stereo
        {{3, 1, 9, 0, 0, 3}, "Info", 21, 0, true}, // MPEG-1 mono
        {kCrc, "Xing", 38, 0, true},               // behind a CRC
        {kCrc, "Info", 36, 0, true},               // where it would be without one
        {kCrc, "Xing", 36, 0x80, false},           // there, with a flag nobody defines
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
