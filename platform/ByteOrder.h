#pragma once

#include <cstdint>

// Field access over raw bytes in a stated byte order, whatever the host's:
// little-endian for RIFF and the program's own records, big-endian where MPEG
// information frames keep their counts.
inline uint16_t ReadU16LE(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t ReadU32LE(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

inline uint64_t ReadU64LE(const unsigned char* p)
{
    return ReadU32LE(p) | (uint64_t{ReadU32LE(p + 4)} << 32);
}

inline uint32_t ReadU32BE(const unsigned char* p)
{
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

inline void WriteU16LE(unsigned char* p, uint16_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

inline void WriteU32LE(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

inline void WriteU64LE(unsigned char* p, uint64_t v)
{
    WriteU32LE(p, static_cast<uint32_t>(v));
    WriteU32LE(p + 4, static_cast<uint32_t>(v >> 32));
}

inline void WriteU32BE(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}
