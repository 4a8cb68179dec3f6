// The source is only ever read: random selections and splits, and writes aimed
// at the source under other names, leave its bytes and its modification time
// as they were.
#include "audio/WaveFile.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace {

struct SSnapshot {
    std::vector<unsigned char> bytes;
    timespec mtime{};
    bool operator==(const SSnapshot& o) const
    {
        return bytes == o.bytes && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

SSnapshot Snapshot(const std::string& strPath)
{
    SSnapshot s;
    s.bytes = ReadBytes(strPath);
    struct stat st {};
    ::stat(strPath.c_str(), &st);
    s.mtime = st.st_mtim;
    return s;
}

class SourceSafety : public ::testing::TestWithParam<unsigned> {};

} // namespace

TEST_P(SourceSafety, RandomCutsNeverTouchTheSource)
{
    std::mt19937 rng(GetParam());
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    CWavSpec spec = CanonicalWav();
    spec.channels = static_cast<uint16_t>(pick(1, 4));
    spec.bitsPerSample = static_cast<uint16_t>(8 * pick(1, 3));
    spec.blockAlign = static_cast<uint16_t>(spec.channels * spec.bitsPerSample / 8);
    spec.samplesPerSec = static_cast<uint32_t>(pick(2000, 9000));
    spec.avgBytesPerSec = spec.samplesPerSec * spec.blockAlign;
    spec.dataBytes = static_cast<uint32_t>(pick(0, 300000));
    if (pick(0, 1))
        spec.chunksBeforeData = {{"LIST", std::vector<unsigned char>(static_cast<size_t>(pick(0, 3000)), 'd')}};

    CTempDir dir;
    const std::string strSource = dir / "src.wav";
    WriteBytes(strSource, BuildWav(spec));
    std::filesystem::create_directory(dir / "sub");
    std::filesystem::create_hard_link(strSource, dir / "link.wav");
    const SSnapshot before = Snapshot(strSource);

    CFakeUi ui;
    {
        CWaveFile file(strSource, nullptr, ui);
        ASSERT_EQ(file.GetError(), 0);
        for (int k = 0; k < 4; ++k) {
            const int nStart = pick(-2, 60);
            const int nEnd = pick(-2, 60);
            EXPECT_EQ(file.SaveSelection(dir / ("sel" + std::to_string(k) + ".wav"), nStart, nEnd, pick(1, 3)), 0);
        }
        for (const std::string& strSpelling : {strSource, dir / "link.wav", dir / "sub/../src.wav"})
            EXPECT_EQ(file.SaveSelection(strSpelling, 0, 2, 1), 103);
        file.SetOverlapTime(pick(0, 5));
        ui.shredAnswer = {true, pick(0, 6), dir / "frag"};
        EXPECT_EQ(file.ShredEqually(), 0);
        // Fragment names that are the source under another spelling.
        std::filesystem::create_hard_link(strSource, dir / "SRC-1.wav");
        ui.shredAnswer = {true, 2, dir / "sub/../src"};
        EXPECT_EQ(file.ShredEqually(), 103);
    }
    EXPECT_TRUE(Snapshot(strSource) == before);
}

INSTANTIATE_TEST_SUITE_P(Seeds, SourceSafety, ::testing::Range(1u, 41u));
