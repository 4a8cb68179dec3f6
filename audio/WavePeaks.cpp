#include "audio/WavePeaks.h"

#include "platform/ByteOrder.h"

#include <cmath>
#include <cstring>

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// validBitsPerSample (2), channelMask (4), then the sub-format GUID, whose
// first two bytes are the format code.
constexpr uint32_t kSubFormatAt = 6;

float HeldFloat(double d)
{
    if (!(d == d))
        return 0.0f;
    return static_cast<float>(d < -1.0 ? -1.0 : d > 1.0 ? 1.0 : d);
}

} // namespace

std::optional<SWaveCoding> WaveCodingOf(const CFormatRecord& fmt, const unsigned char* pExtra, uint32_t nExtra)
{
    uint16_t nTag = fmt.formatTag;
    if (nTag == kFormatExtensible) {
        if (!pExtra || nExtra < kSubFormatAt + 2)
            return std::nullopt;
        nTag = ReadU16LE(pExtra + kSubFormatAt);
    }
    if (fmt.channels == 0 || fmt.blockAlign % fmt.channels != 0)
        return std::nullopt;
    SWaveCoding c;
    c.nChannels = fmt.channels;
    c.nBlockAlign = fmt.blockAlign;
    c.nBytes = fmt.blockAlign / fmt.channels;
    if (nTag == kFormatPcm && c.nBytes >= 1 && c.nBytes <= 4)
        c.kind = c.nBytes == 1 ? SWaveCoding::EKind::Unsigned8 : SWaveCoding::EKind::Signed;
    else if (nTag == kFormatFloat && (c.nBytes == 4 || c.nBytes == 8))
        c.kind = SWaveCoding::EKind::Float;
    else
        return std::nullopt;
    return c;
}

void DecodeWaveFrames(const SWaveCoding& coding, const unsigned char* p, size_t nFrames, float* pOut)
{
    const size_t nSamples = nFrames * coding.nChannels;
    switch (coding.kind) {
    case SWaveCoding::EKind::Unsigned8:
        for (size_t i = 0; i < nSamples; ++i)
            pOut[i] = (static_cast<float>(p[i]) - 128.0f) * (1.0f / 128.0f);
        break;
    case SWaveCoding::EKind::Signed:
        if (coding.nBytes == 2) {
            for (size_t i = 0; i < nSamples; ++i)
                pOut[i] = static_cast<float>(static_cast<int16_t>(ReadU16LE(p + 2 * i))) * (1.0f / 32768.0f);
        } else if (coding.nBytes == 3) {
            for (size_t i = 0; i < nSamples; ++i, p += 3) {
                const auto n = static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 8 | static_cast<uint32_t>(p[1]) << 16 |
                                                    static_cast<uint32_t>(p[2]) << 24);
                pOut[i] = static_cast<float>(n >> 8) * (1.0f / 8388608.0f);
            }
        } else {
            for (size_t i = 0; i < nSamples; ++i)
                pOut[i] = static_cast<float>(static_cast<double>(static_cast<int32_t>(ReadU32LE(p + 4 * i))) *
                                             (1.0 / 2147483648.0));
        }
        break;
    case SWaveCoding::EKind::Float:
        if (coding.nBytes == 4) {
            for (size_t i = 0; i < nSamples; ++i) {
                float f;
                const uint32_t n = ReadU32LE(p + 4 * i);
                std::memcpy(&f, &n, 4);
                pOut[i] = HeldFloat(f);
            }
        } else {
            for (size_t i = 0; i < nSamples; ++i) {
                double d;
                const uint64_t n = ReadU64LE(p + 8 * i);
                std::memcpy(&d, &n, 8);
                pOut[i] = HeldFloat(d);
            }
        }
        break;
    }
}
