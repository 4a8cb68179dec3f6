#include "audio/Mp3CleanFrames.h"

#include <algorithm>
#include <cstring>

namespace mp3 {

namespace {

void PutU32BE(unsigned char* p, uint32_t n)
{
    p[0] = static_cast<unsigned char>(n >> 24);
    p[1] = static_cast<unsigned char>(n >> 16);
    p[2] = static_cast<unsigned char>(n >> 8);
    p[3] = static_cast<unsigned char>(n);
}

void PutHeader(unsigned char* p, uint32_t dw)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(dw >> (8 * i));
}

// Xing or Info tag: name, flags, frames, bytes, seek table, quality.
constexpr size_t kXingBytes = 4 + 4 + 4 + 4 + 100 + 4;
// The encoder's extension ends with the music CRC and the extension's own.
constexpr size_t kLameCrcAt = kLameTagBytes - 2;

// The encoder string written when the source has no extension of its own:
// decoders take the delay and padding only behind one starting "LAME".
constexpr char kEncoderString[] = "LAME3.100";
static_assert(sizeof kEncoderString - 1 == 9);

} // namespace

uint16_t Crc16(const unsigned char* p, size_t n, uint16_t nCrc)
{
    for (size_t i = 0; i < n; ++i) {
        nCrc ^= p[i];
        for (int b = 0; b < 8; ++b)
            nCrc = (nCrc & 1) != 0 ? static_cast<uint16_t>((nCrc >> 1) ^ 0xA001) : static_cast<uint16_t>(nCrc >> 1);
    }
    return nCrc;
}

size_t MainDataOffset(uint32_t dw)
{
    return 4 + (HasCrc(dw) ? 2 : 0) + SideInfoBytes(dw);
}

unsigned MainDataBegin(uint32_t dw, const unsigned char* pFrame)
{
    const unsigned char* pSide = pFrame + 4 + (HasCrc(dw) ? 2 : 0);
    if (Version(dw) == kVersion1)
        return (unsigned{pSide[0]} << 1) | (pSide[1] >> 7);
    return pSide[0];
}

uint32_t HeaderHolding(uint32_t dw, size_t nBytes)
{
    // Bit 8 set: no CRC; bit 17 clear: no padding; bits 20-23 the bitrate.
    const uint32_t dwBase = (dw & ~(uint32_t{0xF} << 20) & ~(uint32_t{1} << 17)) | (uint32_t{1} << 8);
    for (uint32_t nIndex = 1; nIndex < 15; ++nIndex) {
        const uint32_t dwCandidate = dwBase | nIndex << 20;
        if (FrameLength(dwCandidate) >= nBytes)
            return dwCandidate;
    }
    return 0;
}

std::vector<unsigned char> SilentFrame(uint32_t dw, const std::vector<unsigned char>& reservoir)
{
    const size_t nOffset = 4 + SideInfoBytes(dw);
    const uint32_t dwFrame = HeaderHolding(dw, nOffset + reservoir.size());
    if (dwFrame == 0)
        return {};
    std::vector<unsigned char> frame(FrameLength(dwFrame), 0);
    PutHeader(frame.data(), dwFrame);
    std::copy(reservoir.begin(), reservoir.end(), frame.end() - static_cast<std::ptrdiff_t>(reservoir.size()));
    return frame;
}

size_t InfoFrameCrcOffset(uint32_t dw)
{
    return 4 + SideInfoBytes(dw) + kXingBytes + kLameCrcAt;
}

std::vector<unsigned char> InfoFrame(const SInfoFrameFields& fields)
{
    const size_t nXingAt = 4 + SideInfoBytes(fields.dw);
    const size_t nNeeded = nXingAt + kXingBytes + kLameTagBytes;
    // A constant-bitrate stream keeps its bitrate in this frame too, when the
    // tag fits in it.
    uint32_t dwFrame = HeaderHolding(fields.dw, nNeeded);
    const uint32_t dwSame = (dwFrame & ~(uint32_t{0xF} << 20)) | (fields.dw & (uint32_t{0xF} << 20));
    if (fields.bConstant && FrameLength(dwSame) >= nNeeded)
        dwFrame = dwSame;
    if (dwFrame == 0)
        return {};
    std::vector<unsigned char> frame(FrameLength(dwFrame), 0);
    PutHeader(frame.data(), dwFrame);

    unsigned char* pXing = frame.data() + nXingAt;
    std::memcpy(pXing, fields.bConstant ? "Info" : "Xing", 4);
    PutU32BE(pXing + 4, 0xF);
    PutU32BE(pXing + 8, fields.nFrames);
    PutU32BE(pXing + 12, fields.nBytes);
    std::copy(fields.toc.begin(), fields.toc.end(), pXing + 16);
    PutU32BE(pXing + 116, fields.nQuality);

    unsigned char* pLame = pXing + kXingBytes;
    if (fields.source) {
        std::copy(fields.source->raw.begin(), fields.source->raw.end(), pLame);
        std::fill(pLame + 11, pLame + 19, 0); // replay gain: peak, radio, audiophile
    } else {
        std::memcpy(pLame, kEncoderString, 9);
        pLame[9] = static_cast<unsigned char>(1 << 4 | (fields.bConstant ? 1 : 0)); // revision 1, bitrate method
    }
    const unsigned nDelay = std::min(fields.nDelay, kMaxDelayField);
    const unsigned nPadding = std::min(fields.nPadding, kMaxDelayField);
    pLame[21] = static_cast<unsigned char>(nDelay >> 4);
    pLame[22] = static_cast<unsigned char>((nDelay & 0xF) << 4 | nPadding >> 8);
    pLame[23] = static_cast<unsigned char>(nPadding);
    PutU32BE(pLame + 28, fields.nBytes); // music length: every byte of the stream
    pLame[32] = pLame[33] = 0;           // music CRC: not computed, as decoders do not read it
    const size_t nCrcAt = InfoFrameCrcOffset(fields.dw);
    const uint16_t nCrc = Crc16(frame.data(), nCrcAt);
    frame[nCrcAt] = static_cast<unsigned char>(nCrc >> 8);
    frame[nCrcAt + 1] = static_cast<unsigned char>(nCrc);
    return frame;
}

} // namespace mp3
