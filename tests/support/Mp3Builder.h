#pragma once

#include "platform/ByteOrder.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

inline Bytes BigEndian(uint32_t v)
{
    Bytes out(4);
    WriteU32BE(out.data(), v);
    return out;
}

// The raw fields of an MPEG audio frame header; the defaults make MPEG-1
// Layer III at 128 kbit/s and 44100 Hz, frames of 417 bytes.
struct CFrameLayout {
    unsigned version = 3; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5, 1 reserved
    unsigned layer = 1;   // 1 Layer III, 2 Layer II, 3 Layer I, 0 reserved
    unsigned bitrateIndex = 9, samplingIndex = 0, padding = 0, channelMode = 0; // channel mode 3: mono
    bool bCrc = false;
};

inline Bytes HeaderBytes(const CFrameLayout& f)
{
    return BigEndian(0xFFE00000 | f.version << 19 | f.layer << 17 | (f.bCrc ? 0 : 1 << 16) | f.bitrateIndex << 12 |
                     f.samplingIndex << 10 | f.padding << 9 | f.channelMode << 6);
}

// Four bytes from at, packed as the reader holds a header: first byte lowest.
inline uint32_t PackedAt(const Bytes& b, size_t at = 0)
{
    return ReadU32LE(b.data() + at);
}

// nLength bytes below 0x80, which no search can take for a sync.
inline Bytes Filler(size_t nLength)
{
    Bytes out(nLength);
    for (size_t k = 0; k < nLength; ++k)
        out[k] = static_cast<unsigned char>((k * 7 + k / 127 + 1) & 0x7F);
    return out;
}

// Frames laid over one filler, so that any cut shows where it came from.
inline Bytes Stream(const CFrameLayout& f, size_t nFrameLength, size_t nFrames)
{
    Bytes out = Filler(nFrameLength * nFrames);
    for (size_t i = 0; i < nFrames; ++i)
        std::ranges::copy(HeaderBytes(f), out.begin() + static_cast<std::ptrdiff_t>(i * nFrameLength));
    return out;
}

// An ID3v2 tag of nContents bytes of 0xFF (sync-like, as in cover pictures); its size is syncsafe: 7 bits a byte.
inline Bytes Id3v2Tag(uint32_t nContents)
{
    return Bytes{'I', 'D', '3', 3, 0, 0} +
           BigEndian((nContents & 0x7F) | (nContents & 0x3F80) << 1 | (nContents & 0x1FC000) << 2) +
           Bytes(nContents, 0xFF);
}

// A 128-byte ID3v1 tag: the fields from the title on (30 bytes each, the year 4), no genre.
inline Bytes Id3v1Tag(const std::string& strFields)
{
    Bytes out = Bytes{'T', 'A', 'G'} + Bytes(strFields.begin(), strFields.end());
    out.resize(128, 0);
    return out;
}

// A frame of nLength bytes with an information tag at nAt: "Xing" or "Info"
// flagged with both counts, or "VBRI" (version 1) with both.
inline Bytes InfoFrame(const CFrameLayout& f, size_t nLength, const std::string& tag, uint32_t nFrames, uint32_t nBytes,
                       size_t nAt = 36)
{
    const Bytes body = tag == "VBRI" ? Bytes{0, 1, 0, 0, 0, 0} + BigEndian(nBytes) + BigEndian(nFrames)
                                     : BigEndian(3) + BigEndian(nFrames) + BigEndian(nBytes);
    Bytes out = HeaderBytes(f) + Bytes(nAt - 4, 0) + Bytes(tag.begin(), tag.end()) + body;
    out.resize(nLength, 0);
    return out;
}

inline constexpr auto ByName = [](const auto& p) { return std::string(p.param.name); };
