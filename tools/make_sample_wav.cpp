// Writes a PCM WAV file: a 440 Hz tone, 16-bit stereo at 44100 samples per
// second, with the canonical 44-byte header. 10 seconds unless told otherwise.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void PutU16(std::vector<unsigned char>& out, uint16_t v)
{
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void PutU32(std::vector<unsigned char>& out, uint32_t v)
{
    PutU16(out, static_cast<uint16_t>(v));
    PutU16(out, static_cast<uint16_t>(v >> 16));
}

void PutTag(std::vector<unsigned char>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make-sample-wav OUT.wav [SECONDS]\n");
        return 2;
    }
    const long nSeconds = argc == 3 ? std::atol(argv[2]) : 10;
    if (nSeconds < 0 || nSeconds > 24000) {
        std::fprintf(stderr, "make-sample-wav: SECONDS must be 0 to 24000\n");
        return 2;
    }
    constexpr uint32_t kRate = 44100;
    constexpr uint16_t kChannels = 2;
    constexpr uint16_t kBits = 16;
    constexpr uint32_t kBlockAlign = kChannels * kBits / 8;
    const auto nFrames = static_cast<uint32_t>(kRate * nSeconds);
    const uint32_t nDataBytes = nFrames * kBlockAlign;

    std::vector<unsigned char> out;
    out.reserve(44);
    PutTag(out, "RIFF");
    PutU32(out, nDataBytes + 36);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutU32(out, 16);
    PutU16(out, 1);
    PutU16(out, kChannels);
    PutU32(out, kRate);
    PutU32(out, kRate * kBlockAlign);
    PutU16(out, kBlockAlign);
    PutU16(out, kBits);
    PutTag(out, "data");
    PutU32(out, nDataBytes);
    // One second of the tone (a whole number of periods), repeated.
    std::vector<unsigned char> second;
    for (uint32_t i = 0; i < kRate; ++i) {
        const auto sample = static_cast<int16_t>(8000.0 * std::sin(2.0 * 3.14159265358979 * 440.0 * i / kRate));
        for (int c = 0; c < kChannels; ++c)
            PutU16(second, static_cast<uint16_t>(sample));
    }

    std::FILE* pFile = std::fopen(argv[1], "wb");
    bool bOk = pFile && std::fwrite(out.data(), 1, out.size(), pFile) == out.size();
    for (long s = 0; bOk && s < nSeconds; ++s)
        bOk = std::fwrite(second.data(), 1, second.size(), pFile) == second.size();
    if (!pFile || !bOk || std::fclose(pFile) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
