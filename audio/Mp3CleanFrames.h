#pragma once

#include "audio/Mp3Header.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The frames a clean Layer III piece is built with besides the source's own:
// an information frame that tells a gapless decoder which samples to play,
// and a silent frame that carries the bit reservoir the piece's first frame
// reaches back into. Headers are packed as in Mp3Header.h.

namespace mp3 {

// The samples a decoder's synthesis lags behind its input, which the
// encoder's delay and padding leave out of account.
constexpr unsigned kDecoderDelay = 529;
// The delay assumed for a stream whose encoder did not say: what encoders of
// Layer III have put before the audio since long.
constexpr unsigned kAssumedEncoderDelay = 576;
// The largest delay or padding the encoder's extension holds (12 bits).
constexpr unsigned kMaxDelayField = 4095;

// CRC-16 as the encoder's extension computes it (polynomial 0x8005, bits
// reflected, starting at 0).
uint16_t Crc16(const unsigned char* p, size_t n, uint16_t nCrc = 0);

// Bytes from a frame's start to its main data area: header, CRC, side
// information.
size_t MainDataOffset(uint32_t dw);
// How many bytes before its own main data area a frame's main data begins
// (9 bits for MPEG-1, 8 for MPEG-2 and 2.5); pFrame holds at least
// MainDataOffset bytes.
unsigned MainDataBegin(uint32_t dw, const unsigned char* pFrame);
// The deepest a main data begin can reach.
constexpr unsigned MaxReservoir(uint32_t dw) { return Version(dw) == kVersion1 ? 511 : 255; }

// A header like dw (version, sampling rate, channel mode) without CRC and
// padding, with the lowest bitrate whose frame holds nBytes; 0 when none does.
uint32_t HeaderHolding(uint32_t dw, size_t nBytes);

// A frame that decodes to silence (its side information all zero) and ends
// with the given bytes, which the next frame's main data begin reaches back
// into. Its header is HeaderHolding(dw, ...).
std::vector<unsigned char> SilentFrame(uint32_t dw, const std::vector<unsigned char>& reservoir);

// What an information frame says about the stream behind it.
struct SInfoFrameFields {
    uint32_t dw = 0;             // a header of the stream; the frame gets a bitrate that holds the tag
    bool bConstant = false;      // "Info" (one bitrate) rather than "Xing"
    uint32_t nFrames = 0;        // audio frames behind it
    uint32_t nBytes = 0;         // stream bytes, this frame counted
    std::array<unsigned char, 100> toc{};
    uint32_t nQuality = 0;
    // The source's encoder extension, whose descriptive fields are kept; its
    // replay gain no longer describes a piece and is cleared.
    std::optional<CLameTag> source;
    unsigned nDelay = 0;   // samples a gapless decoder drops at the start
    unsigned nPadding = 0; // and at the end
};

// The information frame: Xing or Info tag with frame and byte counts, the
// seek table and quality, then the encoder's extension with the delay,
// padding, music length and its CRC over every byte before it.
std::vector<unsigned char> InfoFrame(const SInfoFrameFields& fields);

// Where the extension's CRC stands in an information frame of header dw:
// the CRC covers every byte before it.
size_t InfoFrameCrcOffset(uint32_t dw);

} // namespace mp3
