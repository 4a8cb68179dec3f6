#pragma once

#include "audio/RiffRecords.h"

#include <cstddef>
#include <cstdint>
#include <optional>

// How the audio bytes of a WAV file hold their samples, for reading them as
// numbers: integer PCM of 8 (unsigned), 16, 24 or 32 bits, or IEEE float of
// 32 or 64 bits, plain or in a WAVE_FORMAT_EXTENSIBLE record.
struct SWaveCoding {
    enum class EKind { Unsigned8, Signed, Float };
    EKind kind = EKind::Signed;
    uint32_t nBytes = 2;    // of one sample: the container, which sets the full scale
    uint32_t nChannels = 2;
    uint32_t nBlockAlign = 4;
};

// The coding of a format chunk and its extra bytes (nExtra of them, after the
// extraSize field); nothing for codings whose samples are not stored as plain
// numbers (ADPCM, GSM, A-law...) and for a block that is not channels × a
// sample of 1 to 4 bytes (8 for float).
std::optional<SWaveCoding> WaveCodingOf(const CFormatRecord& fmt, const unsigned char* pExtra, uint32_t nExtra);

// Converts nFrames frames of audio bytes into interleaved samples scaled to
// -1..1 (an integer's full scale is its container's; float samples outside it,
// infinities and NaN are held to -1..1 and 0).
void DecodeWaveFrames(const SWaveCoding& coding, const unsigned char* pBytes, size_t nFrames, float* pOut);
