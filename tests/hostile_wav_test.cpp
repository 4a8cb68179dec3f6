// Malformed files, random cuts and failing disks: a status or a sane result,
// never a crash or hang; outputs agree with their headers; the source is kept.
#include "audio/WaveFile.h"
#include "doubles/FakeUi.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace {

// Size fields at 4 (RIFF), 16 (fmt), 46 (fact), 58 (LIST), 74 (data); as RF64
// 36 bytes on, after ds64's size (16) and 64-bit sizes (20, 28, 36).
Bytes Rich(const std::string& strRiffId)
{
    return BuildWav(CWavLayout{.formatTag = 2, .bExtraSizeField = true, .formatExtra = {1, 2}, .bFact = true,
                               .factData = {0x10, 0, 0, 0}, .chunksBeforeData = {{"LIST", {'I', 'N', 'F', 'O', 'd', 'a', 't', 'a'}}},
                               .dataBytes = 3000, .riffId = strRiffId});
}

Bytes Patched(Bytes b, size_t at, uint64_t v, size_t nBytes) // v little-endian
{
    for (size_t i = 0; i < nBytes; ++i)
        b.at(at + i) = static_cast<unsigned char>(v >> (8 * i));
    return b;
}

std::vector<std::pair<std::string, Bytes>> MalformedCorpus()
{
    std::vector<std::pair<std::string, Bytes>> cases;
    auto add = [&](std::string strName, auto v, Bytes b) { cases.push_back({strName + "_" + std::to_string(v), std::move(b)}); };
    for (const std::string strId : {"RIFF", "RF64"}) {
        const Bytes rich = Rich(strId);
        for (size_t n : {0, 11, 20, 38, 47, 62, 79, 90})
            add(strId + "Cut", n, Bytes(rich.begin(), rich.begin() + static_cast<long>(n)));
        const size_t nShift = strId == "RF64" ? 36 : 0;
        for (size_t at : {4, 16, 46, 58, 74})
            for (uint32_t v : {0u, 1u, 0xFFFFFFF9u, 0xFFFFFFFFu})
                add(strId + "Size" + std::to_string(at + nShift), v, Patched(rich, at + nShift, v, 4));
    }
    const Bytes rf64 = Rich("RF64");
    for (size_t at : {20, 28, 36})
        for (uint64_t v : {uint64_t{0}, uint64_t{1} << 63, UINT64_MAX})
            add("Ds64Size" + std::to_string(at), v, Patched(rf64, at, v, 8));
    add("Ds64ChunkSize", 8, Patched(rf64, 16, 8, 4));
    add("NoChannels", 0, Patched(Rich("RIFF"), 22, 0, 2));
    Bytes b = Patched(Rich("RIFF"), 36, 0xFFFF, 2); // extraSize past its chunk, in a RIFF that is not WAVE
    std::copy_n("AVI ", 4, b.begin() + 8);
    add("NotWaveHugeExtra", 0, b);
    b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (int i = 0; i < 5000; ++i)
        AppendChunk(b, "tiny", {static_cast<unsigned char>(i)}, i % 2 == 0);
    add("ManyTinyChunks", 5000, b);
    add("RunOfFF", 4096, Bytes(4096, 0xFF));
    std::mt19937 rng(20261206);
    for (size_t n = 1; n <= 200; n += 19) {
        Bytes r(n);
        for (auto& c : r)
            c = static_cast<unsigned char>(rng());
        std::copy_n("RIFF", std::min<size_t>(n, 4), r.begin());
        add("Random", n, r);
    }
    return cases;
}

class MalformedWav : public ::testing::TestWithParam<std::pair<std::string, Bytes>> {};

} // namespace

TEST_P(MalformedWav, GetsAStatusOrASaneResult)
{
    const auto tStart = std::chrono::steady_clock::now();
    CTempDir dir;
    WriteBytes(dir / "in.wav", GetParam().second);
    CFakeUi ui;
    CWaveFile file(dir / "in.wav", nullptr, ui);
    if (file.GetError() == 0) {
        file.ShowFileInformation();
        EXPECT_EQ(file.SaveSelection(dir / "a.wav", 0, 1, 1), 0);
        EXPECT_EQ(file.SaveSelection(dir / "b.wav", 3, 0, 300), 0);
        file.SetOverlapTime(1);
        ui.shredAnswer = {true, 3, dir / "part"};
        EXPECT_EQ(file.ShredEqually(), 0);
        for (const char* pName : {"a.wav", "b.wav", "PART-1.wav", "PART-2.wav", "PART-3.wav"}) {
            const CWrittenWav w = ReadWrittenWav(dir / pName);
            EXPECT_EQ(w.strRiffId, "RIFF") << pName;
            ASSERT_GT(w.nDataStart, 0u) << pName;
            EXPECT_EQ(w.nRiffSize, w.nFileSize - 8) << pName;
            EXPECT_EQ(w.BytesAfterData(), w.nDataSize % 2) << pName;
            EXPECT_EQ(w.nDataSize % file.GetFormat().blockAlign, 0u) << pName;
        }
    }
    EXPECT_EQ(ReadBytes(dir / "in.wav"), GetParam().second);
    EXPECT_LT(std::chrono::steady_clock::now() - tStart, std::chrono::seconds(5));
}

INSTANTIATE_TEST_SUITE_P(Corpus, MalformedWav, ::testing::ValuesIn(MalformedCorpus()),
                         [](const auto& tp) { return tp.param.first; });

class RandomCuts : public ::testing::TestWithParam<unsigned> {};

// Random formats, selections and splits, some aimed at the source under
// another name; sox reads every output with its header's sample count.
TEST_P(RandomCuts, NeverTouchTheSourceAndMakeReadableFiles)
{
    std::mt19937 rng(GetParam());
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const auto nChannels = static_cast<uint16_t>(pick(1, 4));
    const auto nBytes = static_cast<uint16_t>(pick(1, 3));
    const auto nRate = static_cast<uint32_t>(pick(2000, 9000));
    CTempDir dir;
    const std::string strSource = dir / "src.wav";
    WriteBytes(strSource, BuildWav(CWavLayout{.channels = nChannels, .samplesPerSec = nRate,
                                               .avgBytesPerSec = nRate * nChannels * nBytes,
                                               .blockAlign = static_cast<uint16_t>(nChannels * nBytes),
                                               .bitsPerSample = static_cast<uint16_t>(8 * nBytes),
                                               .chunksBeforeData = {{"LIST", Bytes(static_cast<size_t>(pick(0, 2000)), 'd')}},
                                               .dataBytes = static_cast<uint32_t>(pick(0, 300000))}));
    std::filesystem::create_directory(dir / "sub");
    std::filesystem::create_hard_link(strSource, dir / "SRC-1.wav");
    struct stat before {}, after {};
    ::stat(strSource.c_str(), &before);
    const Bytes bytes = ReadBytes(strSource);
    CFakeUi ui;
    {
        CWaveFile file(strSource, nullptr, ui);
        ASSERT_EQ(file.GetError(), 0);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(file.SaveSelection(dir / ("sel" + std::to_string(k) + ".wav"), pick(-2, 60), pick(-2, 60), pick(1, 3)), 0);
        EXPECT_EQ(file.SaveSelection(dir / "SRC-1.wav", 0, 2, 1), 103);
        file.SetOverlapTime(pick(0, 5));
        ui.shredAnswer = {true, pick(2, 5), dir / "frag"};
        EXPECT_EQ(file.ShredEqually(), 0);
        ui.shredAnswer = {true, 2, dir / "sub/../src"}; // SRC-1.wav is the source
        EXPECT_EQ(file.ShredEqually(), 103);
    }
    ::stat(strSource.c_str(), &after);
    EXPECT_EQ(ReadBytes(strSource), bytes);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
    if (!HaveProgram("sox"))
        return;
    for (const std::string& strName : dir.List()) {
        if (strName == "sub" || strName == "SRC-1.wav" || strName == "src.wav")
            continue;
        const CCommandResult r = RunCommand({"sox", "--i", "-s", dir / strName});
        EXPECT_EQ(r.nExit, 0) << strName << r.strErr;
        EXPECT_EQ(r.strOut, std::to_string(ReadWrittenWav(dir / strName).nDataSize / (nChannels * nBytes)) + "\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomCuts, ::testing::Range(1u, 7u));

// A full device or a missing folder: the system's text or status 103, no "Fragment Saved", the progress window goes.
TEST(FailingDisk, IsAFileErrorWithTheSystemsTextOrACreationFailure)
{
    CTempDir dir;
    const Bytes source = BuildWav({});
    WriteBytes(dir / "in.wav", source);
    CFakeUi ui;
    CWaveFile file(dir / "in.wav", nullptr, ui);
    EXPECT_EQ(file.SaveSelection(dir / "none/out.wav", 0, 1, 1), 103);
    try {
        file.SaveSelection("/dev/full", 0, 10, 1);
        ADD_FAILURE() << "no error";
    } catch (const CFileException& e) {
        EXPECT_STREQ(e.what(), "No space left on device");
    }
    EXPECT_EQ(ui.Count("message Fragment Saved"), 0);
    EXPECT_EQ(ui.Log().back(), "deleted");
    EXPECT_EQ(ReadBytes(dir / "in.wav"), source);
}
