// Times the sound analysis: how soon a first picture covers the whole time
// line, how soon the full pass is done, and how many times faster than real
// time that is, for a 3-hour MP3 (128 kbit/s, made by lame) and a 90-minute
// 16-bit stereo WAV, both read from the page cache, and a zoomed view of 20 s.
//
//   bench_analysis [FOLDER]
//
// The files are made once and kept in FOLDER (by default the folder of the
// executable), since encoding 3 hours takes minutes.

#include "audio/SoundAnalysis.h"
#include "platform/ByteOrder.h"
#include "platform/File.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kRate = 44100;
constexpr size_t kColumns = 1000;

// One second of 16-bit stereo: a tone whose loudness wanders over minutes, with
// a pause every 47 seconds, so that the picture has something to show.
void Second(uint64_t nSecond, std::vector<unsigned char>& pcm)
{
    pcm.resize(size_t{kRate} * 4);
    const double dGain = nSecond % 47 == 0 ? 0.0 : 0.2 + 0.15 * std::sin(static_cast<double>(nSecond) / 60.0);
    for (uint32_t i = 0; i < kRate; ++i) {
        const double t = static_cast<double>(nSecond) + static_cast<double>(i) / kRate;
        const auto s = static_cast<int16_t>(32767 * dGain * std::sin(2 * 3.14159265358979 * 330 * t));
        WriteU16LE(&pcm[i * 4], static_cast<uint16_t>(s));
        WriteU16LE(&pcm[i * 4 + 2], static_cast<uint16_t>(-s));
    }
}

bool MakeMp3(const std::string& strPath, uint64_t nSeconds)
{
    const std::string strTemp = strPath + ".part";
    const std::string strCommand = "lame --quiet -r -s 44.1 -b 128 -q 7 - '" + strTemp + "'";
    std::FILE* pPipe = ::popen(strCommand.c_str(), "w");
    if (!pPipe)
        return false;
    std::vector<unsigned char> pcm;
    for (uint64_t n = 0; n < nSeconds; ++n) {
        Second(n, pcm);
        if (std::fwrite(pcm.data(), 1, pcm.size(), pPipe) != pcm.size())
            break;
    }
    if (::pclose(pPipe) != 0)
        return false;
    std::filesystem::rename(strTemp, strPath);
    return true;
}

bool MakeWav(const std::string& strPath, uint64_t nSeconds)
{
    std::FILE* pOut = std::fopen((strPath + ".part").c_str(), "wb");
    if (!pOut)
        return false;
    const uint64_t nData = nSeconds * kRate * 4;
    unsigned char header[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
                                1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 16, 0, 'd', 'a', 't', 'a'};
    WriteU32LE(header + 4, static_cast<uint32_t>(36 + nData));
    WriteU32LE(header + 24, kRate);
    WriteU32LE(header + 28, kRate * 4);
    WriteU32LE(header + 40, static_cast<uint32_t>(nData));
    bool bOk = std::fwrite(header, 1, sizeof header, pOut) == sizeof header;
    std::vector<unsigned char> pcm;
    for (uint64_t n = 0; bOk && n < nSeconds; ++n) {
        Second(n, pcm);
        bOk = std::fwrite(pcm.data(), 1, pcm.size(), pOut) == pcm.size();
    }
    bOk = std::fclose(pOut) == 0 && bOk;
    if (bOk)
        std::filesystem::rename(strPath + ".part", strPath);
    return bOk;
}

void Warm(const std::string& strPath)
{
    CFile file;
    if (!file.Open(strPath, CFile::EMode::Read))
        return;
    std::vector<unsigned char> block(1 << 20);
    while (file.Read(block.data(), static_cast<uint32_t>(block.size())) != 0) {
    }
}

double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// CPU seconds the process has used, all threads.
double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double PeakRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Measure(const char* pName, const std::string& strPath)
{
    Warm(strPath);
    const double dCpuStart = CpuSeconds();
    const auto tStart = Clock::now();
    auto pAnalysis = CSoundAnalysis::Start(strPath);
    const double dStarted = Since(tStart);
    if (!pAnalysis) {
        std::printf("%s: cannot be analysed\n", pName);
        return;
    }
    // The first picture: every column of the whole time line known.
    double dFirst = -1;
    while (dFirst < 0 && !pAnalysis->IsDone()) {
        const auto columns = pAnalysis->Overview(0, pAnalysis->GetTotalFrames(), kColumns);
        if (std::all_of(columns.begin(), columns.end(), [](const SPeak& p) { return p.bKnown; }))
            dFirst = Since(tStart);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    pAnalysis->Wait(nullptr);
    const double dFull = Since(tStart);
    const double dCpu = CpuSeconds() - dCpuStart;
    if (dFirst < 0)
        dFirst = dFull;
    const double dSeconds = static_cast<double>(pAnalysis->GetTotalFrames()) / pAnalysis->GetRate();
    const uint64_t nMiddle = pAnalysis->GetTotalFrames() / 2;
    const auto tDetail = Clock::now();
    const auto detail = CSoundAnalysis::Detail(strPath, nMiddle, nMiddle + 20 * uint64_t{pAnalysis->GetRate()}, kColumns);
    const double dDetail = Since(tDetail);
    std::printf("%s: %.2f h, %.0f MB\n", pName, dSeconds / 3600,
                static_cast<double>(std::filesystem::file_size(strPath)) / 1e6);
    std::printf("  Start returned after %.2f ms; first picture %.3f s; full picture %.2f s (%.0fx real time)\n",
                dStarted * 1e3, dFirst, dFull, dSeconds / dFull);
    std::printf("  CPU: %.2f s (%.0fx real time per CPU second; the machine's load shows in the wall-clock figure)\n",
                dCpu, dSeconds / dCpu);
    std::printf("  levels: %zu windows of %u frames (%.1f MB); zoom of 20 s: %.1f ms (%zu columns)\n",
                pAnalysis->GetLevels().size(), pAnalysis->GetLevelWindow(),
                static_cast<double>(pAnalysis->GetLevels().size() * sizeof(float)) / 1e6, dDetail * 1e3, detail.size());
    // How soon a running analysis is stopped.
    auto pRunning = CSoundAnalysis::Start(strPath);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto tCancel = Clock::now();
    pRunning.reset();
    std::printf("  destroyed while running: joined after %.1f ms; peak RSS so far %.1f MiB\n", Since(tCancel) * 1e3,
                PeakRssMiB());
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::absolute(argv[0]).parent_path();
    const std::string strMp3 = (folder / "bench-analysis-3h.mp3").string();
    const std::string strWav = (folder / "bench-analysis-90min.wav").string();
    if (!std::filesystem::exists(strMp3)) {
        std::printf("encoding %s (minutes, once)...\n", strMp3.c_str());
        std::fflush(stdout);
        if (!MakeMp3(strMp3, 3 * 3600)) {
            std::puts("lame failed");
            return 1;
        }
    }
    if (!std::filesystem::exists(strWav) && !MakeWav(strWav, 90 * 60)) {
        std::puts("cannot write the WAV file");
        return 1;
    }
    Measure("MP3 128 kbit/s", strMp3);
    Measure("WAV 16-bit stereo", strWav);
    return 0;
}
