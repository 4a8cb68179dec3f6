#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// The fields of an MPEG audio frame header, as raw field values.
struct CFrameSpec {
    unsigned version = 3;       // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5, 1 reserved
    unsigned layer = 1;         // 1 Layer III, 2 Layer II, 3 Layer I, 0 reserved
    unsigned bitrateIndex = 9;  // 128 kbit/s for MPEG-1 Layer III
    unsigned samplingIndex = 0; // 44100 Hz for MPEG-1
    unsigned padding = 0;
    unsigned channelMode = 0; // 3 is mono
    bool bCrc = false;
    bool bCopyright = false;
    bool bOriginal = false;
};

// MPEG-1 Layer III, 128 kbit/s, 44100 Hz: frames of 417 bytes.
inline CFrameSpec Mpeg1Layer3At128k()
{
    return CFrameSpec{};
}

Bytes HeaderBytes(const CFrameSpec& spec);
// The header packed as the reader holds it: first byte lowest.
uint32_t PackedHeader(const CFrameSpec& spec);

// A frame of nLength bytes: the header, then bytes below 0x80 that no search
// can take for a sync.
Bytes Frame(const CFrameSpec& spec, size_t nLength);
// nFrames frames one after the other; the filler of the whole stream follows
// one pattern, so any cut shows where it came from.
Bytes Stream(const CFrameSpec& spec, size_t nFrameLength, size_t nFrames);
// nLength bytes without any 0xFF.
Bytes Filler(size_t nLength, unsigned char seed = 1);

// An ID3v2 tag of the given major version with nContents bytes after its
// header (the size field), and a footer when bFooter.
Bytes Id3v2Tag(size_t nContents, unsigned nMajor = 3, bool bFooter = false);
// A 128-byte ID3v1 tag; each text is cut to its field.
Bytes Id3v1Tag(const std::string& strTitle, const std::string& strArtist = "", const std::string& strAlbum = "",
               const std::string& strYear = "", const std::string& strComment = "", unsigned char genre = 0);

// A Layer III frame of nLength bytes holding a "Xing" or "Info" tag (at the
// side-information offset) with the counts given.
Bytes XingFrame(const CFrameSpec& spec, size_t nLength, const std::string& strTag, std::optional<uint32_t> frames,
                std::optional<uint32_t> bytes);
// A frame of nLength bytes holding a "VBRI" tag 32 bytes after its header.
Bytes VbriFrame(const CFrameSpec& spec, size_t nLength, uint32_t nFrames, uint32_t nBytes);

Bytes operator+(Bytes a, const Bytes& b);

// Names parameterised cases after their name field.
struct ByName {
    template <typename P>
    std::string operator()(const testing::TestParamInfo<P>& p) const
    {
        return p.param.name;
    }
};
