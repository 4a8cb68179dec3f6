#include "support/Mp3Builder.h"

#include <algorithm>
#include <cstring>

namespace {

void PutU32BE(Bytes& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<size_t>(i)] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

void PutText(Bytes& out, size_t at, const std::string& str, size_t nField)
{
    std::memcpy(out.data() + at, str.data(), std::min(str.size(), nField));
}

} // namespace

Bytes HeaderBytes(const CFrameSpec& s)
{
    return {0xFF,
            static_cast<unsigned char>(0xE0 | (s.version << 3) | (s.layer << 1) | (s.bCrc ? 0 : 1)),
            static_cast<unsigned char>((s.bitrateIndex << 4) | (s.samplingIndex << 2) | (s.padding << 1)),
            static_cast<unsigned char>((s.channelMode << 6) | (s.bCopyright ? 8 : 0) | (s.bOriginal ? 4 : 0))};
}

uint32_t PackedHeader(const CFrameSpec& spec)
{
    const Bytes b = HeaderBytes(spec);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

Bytes Filler(size_t nLength, unsigned char seed)
{
    Bytes out(nLength);
    for (size_t k = 0; k < nLength; ++k)
        out[k] = static_cast<unsigned char>((k * 7 + k / 127 + seed) & 0x7F);
    return out;
}

Bytes Frame(const CFrameSpec& spec, size_t nLength)
{
    Bytes out = HeaderBytes(spec);
    const Bytes fill = Filler(nLength - 4);
    out.insert(out.end(), fill.begin(), fill.end());
    return out;
}

Bytes Stream(const CFrameSpec& spec, size_t nFrameLength, size_t nFrames)
{
    Bytes out = Filler(nFrameLength * nFrames);
    const Bytes header = HeaderBytes(spec);
    for (size_t i = 0; i < nFrames; ++i)
        std::copy(header.begin(), header.end(), out.begin() + static_cast<std::ptrdiff_t>(i * nFrameLength));
    return out;
}

Bytes Id3v2Tag(size_t nContents, unsigned nMajor, bool bFooter)
{
    Bytes head{'I', 'D', '3', static_cast<unsigned char>(nMajor), 0, static_cast<unsigned char>(bFooter ? 0x10 : 0)};
    for (int shift = 21; shift >= 0; shift -= 7)
        head.push_back(static_cast<unsigned char>((nContents >> shift) & 0x7F));
    // Contents that hold sync-like bytes, as cover pictures do.
    Bytes contents(nContents, 0xFF);
    Bytes out = head + contents;
    if (bFooter) {
        std::memcpy(head.data(), "3DI", 3);
        out = out + head;
    }
    return out;
}

Bytes Id3v1Tag(const std::string& strTitle, const std::string& strArtist, const std::string& strAlbum,
               const std::string& strYear, const std::string& strComment, unsigned char genre)
{
    Bytes out(128, 0);
    PutText(out, 0, "TAG", 3);
    PutText(out, 3, strTitle, 30);
    PutText(out, 33, strArtist, 30);
    PutText(out, 63, strAlbum, 30);
    PutText(out, 93, strYear, 4);
    PutText(out, 97, strComment, 30);
    out[127] = genre;
    return out;
}

Bytes XingFrame(const CFrameSpec& spec, size_t nLength, const std::string& strTag, std::optional<uint32_t> frames,
                std::optional<uint32_t> bytes)
{
    Bytes out = HeaderBytes(spec);
    out.resize(nLength, 0);
    const size_t nSideInfo = spec.version == 3 ? (spec.channelMode == 3 ? 17 : 32) : (spec.channelMode == 3 ? 9 : 17);
    size_t nAt = 4 + (spec.bCrc ? 2 : 0) + nSideInfo;
    PutText(out, nAt, strTag, 4);
    PutU32BE(out, nAt + 4, (frames ? 1u : 0u) | (bytes ? 2u : 0u));
    nAt += 8;
    if (frames) {
        PutU32BE(out, nAt, *frames);
        nAt += 4;
    }
    if (bytes)
        PutU32BE(out, nAt, *bytes);
    return out;
}

Bytes VbriFrame(const CFrameSpec& spec, size_t nLength, uint32_t nFrames, uint32_t nBytes)
{
    Bytes out = HeaderBytes(spec);
    out.resize(nLength, 0);
    PutText(out, 36, "VBRI", 4);
    out[41] = 1; // version
    PutU32BE(out, 46, nBytes);
    PutU32BE(out, 50, nFrames);
    return out;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
