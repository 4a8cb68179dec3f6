#pragma once

#include "platform/ByteOrder.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

// The WAV header records as they stand in the file: the same fields, widths and
// order, converted from and to their little-endian bytes explicitly.

using FourCC = std::array<char, 4>;

inline bool IsFourCC(const FourCC& id, std::string_view s)
{
    return s.size() == 4 && std::memcmp(id.data(), s.data(), 4) == 0;
}

struct CChunkHeader {
    static constexpr uint32_t kBytes = 8;
    FourCC id{};
    uint32_t size = 0;

    static CChunkHeader FromBytes(const unsigned char* p)
    {
        CChunkHeader h;
        std::memcpy(h.id.data(), p, 4);
        h.size = ReadU32LE(p + 4);
        return h;
    }
    void ToBytes(unsigned char* p) const
    {
        std::memcpy(p, id.data(), 4);
        WriteU32LE(p + 4, size);
    }
};

struct CRiffHeader {
    static constexpr uint32_t kBytes = 12;
    FourCC id{};
    uint32_t size = 0;
    FourCC formType{};

    static CRiffHeader FromBytes(const unsigned char* p)
    {
        CRiffHeader h;
        std::memcpy(h.id.data(), p, 4);
        h.size = ReadU32LE(p + 4);
        std::memcpy(h.formType.data(), p + 8, 4);
        return h;
    }
    void ToBytes(unsigned char* p) const
    {
        std::memcpy(p, id.data(), 4);
        WriteU32LE(p + 4, size);
        std::memcpy(p + 8, formType.data(), 4);
    }
};

// The RF64 size chunk, first after the RF64 header: the 64-bit sizes that
// stand in for RIFF and data size fields of 0xFFFFFFFF, and the sample count.
// A table of other large chunks may follow; this program writes it empty.
struct CDs64Record {
    static constexpr uint32_t kBytes = 36; // chunk header and fields, empty table
    static constexpr uint32_t kFieldBytes = 24; // the three sizes every ds64 chunk holds
    FourCC id{'d', 's', '6', '4'};
    uint32_t size = kBytes - CChunkHeader::kBytes;
    uint64_t riffSize = 0;
    uint64_t dataSize = 0;
    uint64_t sampleCount = 0;
    uint32_t tableLength = 0;

    static CDs64Record FromBytes(const unsigned char* p)
    {
        CDs64Record r;
        std::memcpy(r.id.data(), p, 4);
        r.size = ReadU32LE(p + 4);
        r.riffSize = ReadU64LE(p + 8);
        r.dataSize = ReadU64LE(p + 16);
        r.sampleCount = ReadU64LE(p + 24);
        r.tableLength = ReadU32LE(p + 32);
        return r;
    }
    void ToBytes(unsigned char* p) const
    {
        std::memcpy(p, id.data(), 4);
        WriteU32LE(p + 4, size);
        WriteU64LE(p + 8, riffSize);
        WriteU64LE(p + 16, dataSize);
        WriteU64LE(p + 24, sampleCount);
        WriteU32LE(p + 32, tableLength);
    }
};

// The first 26 bytes from the "fmt " tag on: chunk header, the 16 bytes of the
// PCM fields, and the extraSize field that other formats carry.
struct CFormatRecord {
    static constexpr uint32_t kBytes = 26;
    FourCC id{};
    uint32_t size = 0;
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;

    static CFormatRecord FromBytes(const unsigned char* p)
    {
        CFormatRecord f;
        std::memcpy(f.id.data(), p, 4);
        f.size = ReadU32LE(p + 4);
        f.formatTag = ReadU16LE(p + 8);
        f.channels = ReadU16LE(p + 10);
        f.samplesPerSec = ReadU32LE(p + 12);
        f.avgBytesPerSec = ReadU32LE(p + 16);
        f.blockAlign = ReadU16LE(p + 20);
        f.bitsPerSample = ReadU16LE(p + 22);
        f.extraSize = ReadU16LE(p + 24);
        return f;
    }
    void ToBytes(unsigned char* p) const
    {
        std::memcpy(p, id.data(), 4);
        WriteU32LE(p + 4, size);
        WriteU16LE(p + 8, formatTag);
        WriteU16LE(p + 10, channels);
        WriteU32LE(p + 12, samplesPerSec);
        WriteU32LE(p + 16, avgBytesPerSec);
        WriteU16LE(p + 20, blockAlign);
        WriteU16LE(p + 22, bitsPerSample);
        WriteU16LE(p + 24, extraSize);
    }
};

// The Broadcast Wave description chunk ("bext"): fixed text fields, then the
// time of its first sample as a 64-bit sample count since midnight, low and
// high 32-bit halves, little-endian, 338 bytes into its contents.
struct CBextRecord {
    static constexpr uint32_t kTimeReferenceAt = 256 + 32 + 32 + 10 + 8;
    static constexpr uint32_t kWithTimeReference = kTimeReferenceAt + 8;
};

// The sizes of a WAV file as this program writes it, for nDataBytes of audio:
// RIFF header, format chunk (24 bytes, or 26 with extraSize), the extra format
// bytes, the fact chunk when there is one, the chunks an exactly cut piece
// carries from its source (nCarried bytes, whole chunks with their pad bytes),
// the data chunk with a pad byte after an odd count. A file whose RIFF size
// field could not hold its size is RF64, with a ds64 chunk after the RIFF
// header. The writer and the estimate both count with it.
struct CWaveLayout {
    uint32_t nFormatPart = 0; // bytes of the format chunk written from its record
    uint32_t nExtra = 0;      // extra format bytes written after it
    uint32_t nFact = 0;       // the whole fact chunk, 0 without one
    uint64_t nCarried = 0;    // the chunks carried from the source
    uint64_t nRiffSize = 0;   // what the RIFF size counts (the ds64 chunk not included)
    bool bRf64 = false;

    static CWaveLayout For(uint16_t extraSize, uint32_t nExtraBytes, bool bFact, uint32_t nFactSize,
                           uint64_t nDataBytes, uint64_t nCarried = 0)
    {
        CWaveLayout l;
        l.nFormatPart = extraSize != 0 ? CFormatRecord::kBytes : CFormatRecord::kBytes - 2;
        l.nExtra = nExtraBytes;
        l.nFact = bFact ? nFactSize + CChunkHeader::kBytes : 0;
        l.nCarried = nCarried;
        l.nRiffSize = 4 + l.nFormatPart + l.nExtra + l.nFact + nCarried + CChunkHeader::kBytes + nDataBytes +
                      nDataBytes % 2;
        l.bRf64 = l.nRiffSize > UINT32_MAX;
        return l;
    }
    // Bytes of the whole file.
    uint64_t FileBytes() const { return CChunkHeader::kBytes + nRiffSize + (bRf64 ? CDs64Record::kBytes : 0); }
};
