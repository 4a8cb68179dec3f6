// Times CMp3FrameIndex::Build over a 3-hour MPEG-1 Layer III stream at a
// constant 128 kbit/s and over one of mixed bitrates, read from the page
// cache, and prints the speed, the index's size and the process's peak RSS.
//
//   bench_frame_index [FILE]
//
// FILE is written (and kept) instead of a temporary file.

#include "audio/Mp3FrameIndex.h"
#include "audio/Mp3Header.h"
#include "platform/ByteOrder.h"
#include "platform/File.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kSeconds = 3 * 3600;
constexpr uint32_t kRate = 44100;
constexpr uint64_t kFrames = (kSeconds * kRate + 1151) / 1152;
constexpr int kRuns = 7;

// Pseudo-random bytes for the frames' contents, sync bytes included, as in real audio data.
class CNoise {
public:
    uint64_t Next()
    {
        m_n ^= m_n << 13;
        m_n ^= m_n >> 7;
        m_n ^= m_n << 17;
        return m_n;
    }
    void Fill(unsigned char* p, size_t nCount)
    {
        for (size_t i = 0; i < nCount; ++i)
            p[i] = static_cast<unsigned char>(Next() >> 24);
    }

private:
    uint64_t m_n = 0x9E3779B97F4A7C15;
};

// MPEG-1 Layer III at 44100 Hz, joint stereo, no CRC.
uint32_t Header(unsigned nBitrateIndex, unsigned nPadding)
{
    const unsigned char raw[4] = {0xFF, 0xFB, static_cast<unsigned char>(nBitrateIndex << 4 | nPadding << 1), 0x44};
    return ReadU32LE(raw);
}

// Writes kFrames frames; nextHeader gives each frame's header.
template <typename FNext>
uint64_t WriteStream(const std::string& strPath, FNext nextHeader)
{
    std::FILE* pOut = std::fopen(strPath.c_str(), "wb");
    if (!pOut) {
        std::perror(strPath.c_str());
        std::exit(1);
    }
    CNoise noise;
    std::vector<unsigned char> vBlock;
    vBlock.reserve(CMp3FrameIndex::kBlockBytes + mp3::kLongestFrameLength);
    uint64_t nBytes = 0;
    for (uint64_t i = 0; i < kFrames; ++i) {
        const uint32_t dw = nextHeader(i);
        const uint32_t nLength = mp3::FrameLength(dw);
        const size_t nAt = vBlock.size();
        vBlock.resize(nAt + nLength);
        WriteU32LE(vBlock.data() + nAt, dw);
        noise.Fill(vBlock.data() + nAt + 4, nLength - 4);
        if (vBlock.size() >= CMp3FrameIndex::kBlockBytes || i + 1 == kFrames) {
            if (std::fwrite(vBlock.data(), 1, vBlock.size(), pOut) != vBlock.size()) {
                std::perror(strPath.c_str());
                std::exit(1);
            }
            nBytes += vBlock.size();
            vBlock.clear();
        }
    }
    std::fclose(pOut);
    return nBytes;
}

// Reads the file once so that the runs find it in the page cache.
void Warm(const std::string& strPath)
{
    CFile file;
    if (!file.Open(strPath, CFile::EMode::Read)) {
        std::fprintf(stderr, "%s: %s\n", strPath.c_str(), file.GetOpenError().c_str());
        std::exit(1);
    }
    std::vector<unsigned char> vBlock(CMp3FrameIndex::kBlockBytes);
    while (file.Read(vBlock.data(), static_cast<uint32_t>(vBlock.size())) != 0) {
    }
}

double PeakRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Builds the index kRuns times and prints the best and the median run; false when the count is wrong.
bool Measure(const char* pName, const std::string& strPath, uint64_t nBytes)
{
    Warm(strPath);
    std::vector<double> vSeconds;
    CMp3FrameIndex index;
    for (int i = 0; i < kRuns; ++i) {
        CFile file;
        if (!file.Open(strPath, CFile::EMode::Read))
            return false;
        const auto tStart = std::chrono::steady_clock::now();
        index.Build(file, 0, file.GetLength());
        vSeconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count());
    }
    std::sort(vSeconds.begin(), vSeconds.end());
    const double dMB = static_cast<double>(nBytes) / 1e6;
    const double dMemory = static_cast<double>(index.GetMemoryBytes());
    std::printf("%s: %.1f MB, %llu frames, %.3f h\n", pName, dMB, static_cast<unsigned long long>(index.GetFrameCount()),
                static_cast<double>(index.GetTotalSamples()) / index.GetSampleRate() / 3600);
    std::printf("  build: best %.1f ms (%.0f MB/s, %.2f GB/s), median %.1f ms (%.0f MB/s) of %d runs\n",
                vSeconds.front() * 1e3, dMB / vSeconds.front(), dMB / vSeconds.front() / 1e3,
                vSeconds[vSeconds.size() / 2] * 1e3, dMB / vSeconds[vSeconds.size() / 2], kRuns);
    std::printf("  index: %.0f KB (%.2f bytes a frame); peak RSS so far %.1f MiB\n", dMemory / 1e3,
                dMemory / static_cast<double>(index.GetFrameCount()), PeakRssMiB());
    return index.GetFrameCount() == kFrames;
}

} // namespace

int main(int argc, char** argv)
{
    std::string strPath;
    if (argc > 1) {
        strPath = argv[1];
    } else {
        strPath = (std::filesystem::temp_directory_path() / "tolvane-bench-XXXXXX").string();
        const int fd = ::mkstemp(strPath.data());
        if (fd < 0) {
            std::perror("mkstemp");
            return 1;
        }
        ::close(fd);
    }
    std::printf("peak RSS before: %.1f MiB\n", PeakRssMiB());
    // 128 kbit/s padded as an encoder pads, so that the frames average 144 × 128000 / 44100 bytes.
    const uint64_t nCbr = WriteStream(strPath, [](uint64_t i) {
        constexpr uint64_t nNumerator = 144 * 128000, nDenominator = kRate;
        const bool bPadded = (i + 1) * nNumerator / nDenominator - i * nNumerator / nDenominator > 417;
        return Header(9, bPadded ? 1 : 0);
    });
    bool bOk = Measure("CBR 128 kbit/s, 3 h", strPath, nCbr);
    // 96 to 320 kbit/s, drawn at random, padded at random.
    CNoise choice;
    const uint64_t nVbr = WriteStream(strPath, [&choice](uint64_t) {
        const uint64_t n = choice.Next();
        return Header(7 + static_cast<unsigned>(n % 8), static_cast<unsigned>((n >> 8) & 1));
    });
    bOk = Measure("VBR 96-320 kbit/s, 3 h", strPath, nVbr) && bOk;
    if (argc <= 1)
        std::filesystem::remove(strPath);
    if (!bOk)
        std::puts("frame count differs from the frames written");
    return bOk ? 0 : 1;
}
