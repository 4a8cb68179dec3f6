#include "audio/Mp3Header.h"

#include "platform/ByteOrder.h"

#include <cstring>

namespace mp3 {

size_t SideInfoBytes(uint32_t dw)
{
    const bool bMono = ChannelMode(dw) == 3;
    if (Version(dw) == kVersion1)
        return bMono ? 17 : 32;
    return bMono ? 9 : 17;
}

namespace {

// The flags of a Xing tag: frame count, byte count, seek table, quality.
constexpr uint32_t kXingFlags = 0xF;

std::optional<CInfoFrame> ParseXing(const unsigned char* pTag, size_t nAvailable, bool bStrict)
{
    if (nAvailable < 8 || (std::memcmp(pTag, "Xing", 4) != 0 && std::memcmp(pTag, "Info", 4) != 0))
        return std::nullopt;
    const uint32_t dwFlags = ReadU32BE(pTag + 4);
    if (bStrict && (dwFlags & ~kXingFlags) != 0)
        return std::nullopt;
    CInfoFrame info;
    info.bConstant = std::memcmp(pTag, "Info", 4) == 0;
    size_t nAt = 8;
    if ((dwFlags & 1) != 0 && nAvailable - nAt >= 4) {
        info.frames = ReadU32BE(pTag + nAt);
        nAt += 4;
    }
    if ((dwFlags & 2) != 0 && nAvailable - nAt >= 4) {
        info.bytes = ReadU32BE(pTag + nAt);
        nAt += 4;
    }
    nAt += (dwFlags & 4) != 0 ? 100 : 0;
    if ((dwFlags & 8) != 0 && nAvailable >= nAt + 4)
        info.nQuality = ReadU32BE(pTag + nAt);
    nAt += (dwFlags & 8) != 0 ? 4 : 0;
    // The encoder's extension: decoders take its delay and padding only from
    // the encoders known to write them there.
    if (nAvailable >= nAt + kLameTagBytes) {
        const unsigned char* pLame = pTag + nAt;
        if (std::memcmp(pLame, "LAME", 4) == 0 || std::memcmp(pLame, "Lavf", 4) == 0 ||
            std::memcmp(pLame, "Lavc", 4) == 0) {
            CLameTag lame;
            std::memcpy(lame.raw.data(), pLame, kLameTagBytes);
            lame.nDelay = (unsigned{pLame[21]} << 4) | (pLame[22] >> 4);
            lame.nPadding = ((unsigned{pLame[22]} & 0xF) << 8) | pLame[23];
            info.lame = lame;
        }
    }
    return info;
}

std::optional<CInfoFrame> ParseVbri(const unsigned char* pTag, size_t nAvailable)
{
    if (nAvailable < 18 || std::memcmp(pTag, "VBRI", 4) != 0)
        return std::nullopt;
    CInfoFrame info;
    info.bytes = ReadU32BE(pTag + 10);
    info.frames = ReadU32BE(pTag + 14);
    return info;
}

} // namespace

uint32_t SamplesPerFrame(uint32_t dw)
{
    switch (Layer(dw)) {
    case kLayer1:
        return 384;
    case kLayer2:
        return 1152;
    case kLayer3:
        return Version(dw) == kVersion1 ? 1152 : 576;
    default:
        return 0;
    }
}

bool IsUsableHeader(uint32_t dw)
{
    return HasSync(dw) && Version(dw) != kVersionReserved && Layer(dw) != kLayerReserved && SamplingIndex(dw) != 3 &&
           BitrateIndex(dw) != 0 && BitrateIndex(dw) != 15;
}

bool IsPlausibleNextHeader(uint32_t dw)
{
    return HasSync(dw) && SamplingIndex(dw) != 3 && Version(dw) != kVersionReserved;
}

uint64_t Id3v2TagBytes(const unsigned char* p)
{
    if (std::memcmp(p, "ID3", 3) != 0 || p[3] < 2 || p[3] > 4 || p[4] == 0xFF)
        return 0;
    if ((p[6] | p[7] | p[8] | p[9]) & 0x80)
        return 0;
    const uint64_t nContents = (uint64_t{p[6]} << 21) | (uint64_t{p[7]} << 14) | (uint64_t{p[8]} << 7) | p[9];
    const bool bFooter = p[3] == 4 && (p[5] & 0x10) != 0;
    return kId3v2HeaderBytes + nContents + (bFooter ? kId3v2HeaderBytes : 0);
}

std::optional<CInfoFrame> ParseInfoFrame(uint32_t dw, const unsigned char* pFrame, size_t nBytes)
{
    if (Layer(dw) != kLayer3)
        return std::nullopt;
    const size_t nXingAt = 4 + (HasCrc(dw) ? 2 : 0) + SideInfoBytes(dw);
    if (nBytes > nXingAt)
        if (auto info = ParseXing(pFrame + nXingAt, nBytes - nXingAt, false))
            return info;
    // Some encoders set the CRC bit yet write the tag where it would stand
    // without the CRC bytes. Audio bytes there are taken for one only when the
    // flags are all known ones.
    const size_t nUnprotectedAt = 4 + SideInfoBytes(dw);
    if (HasCrc(dw) && nBytes > nUnprotectedAt)
        if (auto info = ParseXing(pFrame + nUnprotectedAt, nBytes - nUnprotectedAt, true))
            return info;
    constexpr size_t kVbriAt = 4 + 32;
    if (nBytes > kVbriAt)
        return ParseVbri(pFrame + kVbriAt, nBytes - kVbriAt);
    return std::nullopt;
}

double AverageBytesPerSecond(uint32_t dw, uint64_t nFrames, uint64_t nAudioBytes)
{
    const int nColumn = tables::BitrateColumn(dw);
    const uint32_t nRate = SamplingRate(dw);
    if (nColumn < 0 || nRate == 0 || nFrames == 0 || nAudioBytes == 0)
        return 0.0;
    const double dSeconds = static_cast<double>(nFrames) * SamplesPerFrame(dw) / nRate;
    const double dBytesPerSecond = static_cast<double>(nAudioBytes) / dSeconds;
    // Padding slots and a partly counted last frame move a true average a
    // little off the table; anything further off is not this stream's.
    const auto& column = tables::kBitrates[static_cast<size_t>(nColumn)];
    const double dLowest = column[1] * 1000.0 / 8 * 0.9;
    const double dHighest = column[14] * 1000.0 / 8 * 1.1;
    return dBytesPerSecond >= dLowest && dBytesPerSecond <= dHighest ? dBytesPerSecond : 0.0;
}

} // namespace mp3
