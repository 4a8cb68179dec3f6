#pragma once

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

// Bits per second from the table; 0 for free format, the forbidden index 15
// and a reserved version or layer.
uint32_t Bitrate(uint32_t dw);
// Hz from the table; 0 for index 3 and the reserved version.
uint32_t SamplingRate(uint32_t dw);
// Bytes of the whole frame, header included; 0 when the rate is unknown.
uint32_t FrameLength(uint32_t dw);
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

// What an information frame ("Xing", "Info" or "VBRI") says about the stream.
// It describes the whole file and holds no audio itself.
struct CInfoFrame {
    std::optional<uint32_t> frames; // audio frames, the information frame not counted
    std::optional<uint32_t> bytes;  // stream bytes, the information frame counted
};

// Bytes of a frame to hand to ParseInfoFrame so that any of the tags is seen.
constexpr size_t kInfoFrameProbe = 64;

// Looks for an information frame tag in the first bytes of a Layer III frame
// whose header is dw; nBytes is how many were read (at most the frame length).
std::optional<CInfoFrame> ParseInfoFrame(uint32_t dw, const unsigned char* pFrame, size_t nBytes);

// The stream's average bytes per second from an information frame's counts:
// nAudioBytes ÷ (nFrames × samples per frame ÷ sampling rate). 0 when the counts
// give an average bitrate the header's table could not produce.
double AverageBytesPerSecond(uint32_t dw, uint64_t nFrames, uint64_t nAudioBytes);

} // namespace mp3
