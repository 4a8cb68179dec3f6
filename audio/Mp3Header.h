#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// MPEG audio frame headers, as small pure functions over the published tables.
//
// A header is held as its four bytes packed little-endian, the way they stand
// in the file read into a 32-bit value: the first byte in bits 0-7, the second
// in bits 8-15, and so on. The field values are the raw ones of the header.

namespace mp3 {

// Version field: 0 = MPEG-2.5, 1 = reserved, 2 = MPEG-2, 3 = MPEG-1.
enum : unsigned { kVersion25 = 0, kVersionReserved = 1, kVersion2 = 2, kVersion1 = 3 };
// Layer field: 0 = reserved, 1 = Layer III, 2 = Layer II, 3 = Layer I.
enum : unsigned { kLayerReserved = 0, kLayer3 = 1, kLayer2 = 2, kLayer1 = 3 };

constexpr unsigned Version(uint32_t dw) { return (dw >> 11) & 3; }
constexpr unsigned Layer(uint32_t dw) { return (dw >> 9) & 3; }
constexpr bool HasCrc(uint32_t dw) { return ((dw >> 8) & 1) == 0; }
constexpr unsigned BitrateIndex(uint32_t dw) { return (dw >> 20) & 15; }
constexpr unsigned SamplingIndex(uint32_t dw) { return (dw >> 18) & 3; }
constexpr unsigned Padding(uint32_t dw) { return (dw >> 17) & 1; }
constexpr unsigned ChannelMode(uint32_t dw) { return (dw >> 30) & 3; }
constexpr bool Copyright(uint32_t dw) { return ((dw >> 27) & 1) != 0; }
constexpr bool Original(uint32_t dw) { return ((dw >> 26) & 1) != 0; }

// The sync pattern: eleven set bits.
constexpr bool HasSync(uint32_t dw) { return (dw & 0xFF) == 0xFF && (dw & 0xE000) == 0xE000; }

namespace tables {

// kbit/s for bitrate indexes 0 to 15, by column: MPEG-1 Layer I, II, III;
// MPEG-2 and 2.5 Layer I; MPEG-2 and 2.5 Layers II and III.
inline constexpr std::array<std::array<uint16_t, 16>, 5> kBitrates{{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
}};

// Hz for sampling rate indexes 0 to 3, by version field (2.5, reserved, 2, 1).
inline constexpr std::array<std::array<uint32_t, 4>, 4> kSamplingRates{{
    {11025, 12000, 8000, 0},
    {0, 0, 0, 0},
    {22050, 24000, 16000, 0},
    {44100, 48000, 32000, 0},
}};

// The bitrate column of a header, or -1 for a reserved version or layer.
constexpr int BitrateColumn(uint32_t dw)
{
    const unsigned nVersion = Version(dw);
    const unsigned nLayer = Layer(dw);
    if (nVersion == kVersionReserved || nLayer == kLayerReserved)
        return -1;
    if (nVersion == kVersion1)
        return nLayer == kLayer1 ? 0 : nLayer == kLayer2 ? 1 : 2;
    return nLayer == kLayer1 ? 3 : 4;
}

} // namespace tables

// Bits per second from the table; 0 for free format, the forbidden index 15
// and a reserved version or layer.
constexpr uint32_t Bitrate(uint32_t dw)
{
    const int nColumn = tables::BitrateColumn(dw);
    return nColumn < 0 ? 0 : uint32_t{tables::kBitrates[static_cast<size_t>(nColumn)][BitrateIndex(dw)]} * 1000;
}

// Hz from the table; 0 for index 3 and the reserved version.
constexpr uint32_t SamplingRate(uint32_t dw)
{
    return tables::kSamplingRates[Version(dw)][SamplingIndex(dw)];
}

// Bytes of the whole frame, header included; 0 when the rate is unknown.
constexpr uint32_t FrameLength(uint32_t dw)
{
    const uint32_t nRate = SamplingRate(dw);
    if (nRate == 0)
        return 0;
    const uint32_t nBitrate = Bitrate(dw);
    const uint32_t nPadding = Padding(dw);
    switch (Layer(dw)) {
    case kLayer1:
        return (12 * nBitrate / nRate + nPadding) * 4;
    case kLayer2:
        return 144 * nBitrate / nRate + nPadding;
    case kLayer3:
        return (Version(dw) == kVersion1 ? 144 : 72) * nBitrate / nRate + nPadding;
    default:
        return 0;
    }
}

// The longest frame any header may announce, over every version, layer,
// bitrate and sampling rate, padded.
constexpr uint32_t LongestFrameLength()
{
    uint32_t nLongest = 0;
    for (uint32_t nVersion : {kVersion25, kVersion2, kVersion1})
        for (uint32_t nLayer : {kLayer3, kLayer2, kLayer1})
            for (uint32_t nBitrate = 1; nBitrate < 15; ++nBitrate)
                for (uint32_t nSampling = 0; nSampling < 3; ++nSampling) {
                    const uint32_t dw =
                        nVersion << 11 | nLayer << 9 | nBitrate << 20 | nSampling << 18 | uint32_t{1} << 17;
                    nLongest = std::max(nLongest, FrameLength(dw));
                }
    return nLongest;
}
inline constexpr uint32_t kLongestFrameLength = LongestFrameLength();
// PCM samples per channel that one frame holds; 0 for a reserved layer.
uint32_t SamplesPerFrame(uint32_t dw);

// A header a frame may start with: sync, no reserved version, layer or
// sampling rate, and a bitrate from the table (free format is not taken).
bool IsUsableHeader(uint32_t dw);
// What a following frame's header must at least show to confirm a candidate.
bool IsPlausibleNextHeader(uint32_t dw);

// Bytes of an ID3v2 tag header, and of its footer.
constexpr size_t kId3v2HeaderBytes = 10;

// The whole size of the ID3v2 tag whose 10-byte header is given: header,
// contents (the syncsafe size) and, for version 2.4 with its flag set, the
// footer. 0 when the bytes are not an ID3v2 header.
uint64_t Id3v2TagBytes(const unsigned char* pHeader);

// Bytes of Layer III side information (which an information tag follows):
// 32 or 17 for MPEG-1 stereo or mono, 17 or 9 for MPEG-2 and 2.5.
size_t SideInfoBytes(uint32_t dw);

// Bytes of the encoder's extension behind a Xing or Info tag.
constexpr size_t kLameTagBytes = 36;

// The encoder's extension of an information frame, as it stands, with the
// samples the encoder put before the audio (delay) and after it (padding).
struct CLameTag {
    std::array<unsigned char, kLameTagBytes> raw{};
    unsigned nDelay = 0;
    unsigned nPadding = 0;
};

// What an information frame ("Xing", "Info" or "VBRI") says about the stream.
// It describes the whole file and holds no audio itself.
struct CInfoFrame {
    std::optional<uint32_t> frames; // audio frames, the information frame not counted
    std::optional<uint32_t> bytes;  // stream bytes, the information frame counted
    bool bConstant = false;         // named "Info": the encoder kept one bitrate
    uint32_t nQuality = 0;
    std::optional<CLameTag> lame;
};

// Bytes of a frame to hand to ParseInfoFrame so that any of the tags and the
// encoder's extension are seen.
constexpr size_t kInfoFrameProbe = 4 + 2 + 32 + 120 + kLameTagBytes;

// Looks for an information frame tag in the first bytes of a Layer III frame
// whose header is dw; nBytes is how many were read (at most the frame length).
// "Xing" and "Info" stand behind the side information (or, in a frame with the
// CRC bit set, where they would stand without the CRC bytes), "VBRI" 32 bytes
// behind the header.
std::optional<CInfoFrame> ParseInfoFrame(uint32_t dw, const unsigned char* pFrame, size_t nBytes);

// The rate at which time and bytes convert: the stream's average from its
// information frame when there is one (dAverage above 0), else the header's
// bitrate in whole bytes per second.
inline double BytesPerSecond(double dAverage, uint32_t nBitrate)
{
    return dAverage > 0.0 ? dAverage : static_cast<double>(nBitrate / 8);
}

// The stream's average bytes per second from an information frame's counts:
// nAudioBytes ÷ (nFrames × samples per frame ÷ sampling rate). 0 when the counts
// give an average bitrate the header's table could not produce.
double AverageBytesPerSecond(uint32_t dw, uint64_t nFrames, uint64_t nAudioBytes);

} // namespace mp3
