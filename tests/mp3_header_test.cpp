#include "audio/Mp3Header.h"
#include "support/Mp3Builder.h"

#include <gtest/gtest.h>
#include <tuple>

// Bitrate, sampling rate, frame length, samples; MPEG-2.5 Layer II makes the longest frame; the last three are refused.
TEST(Mp3Header, FieldsFollowThePublishedTables)
{
    const std::tuple<CFrameLayout, uint32_t, uint32_t, uint32_t, uint32_t> cases[] = {
        {{3, 1, 9, 0, 1}, 128000, 44100, 418, 1152}, {{2, 3, 14, 0, 0}, 256000, 22050, 556, 384},
        {{0, 2, 14, 2, 1}, 160000, 8000, mp3::kLongestFrameLength, 1152}, {{3, 1, 9, 3, 0}, 128000, 0, 0, 1152},
        {{3, 0, 9, 0, 0}, 0, 44100, 0, 0}, {{3, 1, 15, 0, 0}, 0, 44100, 0, 1152}};
    for (const auto& [frame, nBitrate, nRate, nLength, nSamples] : cases) {
        const uint32_t dw = PackedAt(HeaderBytes(frame));
        EXPECT_EQ((std::array{mp3::Bitrate(dw), mp3::SamplingRate(dw), mp3::FrameLength(dw), mp3::SamplesPerFrame(dw)}),
                  (std::array{nBitrate, nRate, nLength, nSamples})) << std::hex << dw;
        EXPECT_EQ(mp3::IsUsableHeader(dw), nLength != 0) << std::hex << dw;
    }
}

// A tag counts at its layout's offset; with a CRC also where it stands without one, if its flags are known.
TEST(Mp3Header, InformationFrameIsFoundOnlyWhereTheLayoutPutsIt)
{
    const std::tuple<CFrameLayout, const char*, size_t, unsigned char, bool> cases[] = {
        {{}, "Xing", 36, 0, true}, {{3, 1, 9, 0, 0, 3}, "Info", 21, 0, true}, {{.bCrc = true}, "Info", 36, 0, true},
        {{.bCrc = true}, "Xing", 36, 0x80, false}, {{}, "VBRI", 36, 0, true}, {{}, "Xing", 21, 0, false}};
    for (const auto& [layout, tag, nAt, flagsTop, bFound] : cases) {
        Bytes frame = InfoFrame(layout, 417, tag, 100, 41800, nAt);
        frame[nAt + 4] |= flagsTop;
        const auto info = mp3::ParseInfoFrame(PackedAt(frame), frame.data(), mp3::kInfoFrameProbe);
        EXPECT_EQ(info.has_value(), bFound) << tag << " at " << nAt;
        EXPECT_TRUE(!info || (info->frames == 100u && info->bytes == 41800u));
    }
}
