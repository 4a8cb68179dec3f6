#pragma once

#include "audio/ByteOrder.h"

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

private:
    static uint64_t ReadU64LE(const unsigned char* p) { return ReadU32LE(p) | (uint64_t{ReadU32LE(p + 4)} << 32); }
    static void WriteU64LE(unsigned char* p, uint64_t v)
    {
        WriteU32LE(p, static_cast<uint32_t>(v));
        WriteU32LE(p + 4, static_cast<uint32_t>(v >> 32));
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
