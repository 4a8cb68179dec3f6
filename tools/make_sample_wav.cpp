// Writes a small PCM WAV file: 10 seconds of a 440 Hz tone, 16-bit stereo at
// 44100 samples per second, with the canonical 44-byte header.
#include <cmath>
#include <cstdint>
#include <cstdio>
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
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample-wav OUT.wav\n");
        return 2;
    }
    constexpr uint32_t kRate = 44100;
    constexpr uint16_t kChannels = 2;
    constexpr uint16_t kBits = 16;
    constexpr uint32_t kFrames = kRate * 10;
    constexpr uint32_t kBlockAlign = kChannels * kBits / 8;
    constexpr uint32_t kDataBytes = kFrames * kBlockAlign;

    std::vector<unsigned char> out;
    out.reserve(44 + kDataBytes);
    PutTag(out, "RIFF");
    PutU32(out, kDataBytes + 36);
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
    PutU32(out, kDataBytes);
    for (uint32_t i = 0; i < kFrames; ++i) {
        const auto sample = static_cast<int16_t>(8000.0 * std::sin(2.0 * 3.14159265358979 * 440.0 * i / kRate));
        for (int c = 0; c < kChannels; ++c)
            PutU16(out, static_cast<uint16_t>(sample));
    }

    std::FILE* pFile = std::fopen(argv[1], "wb");
    if (!pFile || std::fwrite(out.data(), 1, out.size(), pFile) != out.size() || std::fclose(pFile) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
