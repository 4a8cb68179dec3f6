// A corpus of malformed WAV files, built here, each run through open,
// information, save and shred: a status or a sane result, never a crash, a
// hang or an allocation the file's claims drive; every output well-formed.
#include "audio/WaveFile.h"
#include "support/AllocationWatch.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"
#include "support/WaveAssert.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>

namespace {

struct SCase {
    std::string strName;
    std::vector<unsigned char> bytes;
};

// A file with every chunk the reader looks at, plus one it skips.
std::vector<unsigned char> Rich()
{
    CWavSpec spec = CanonicalWav();
    spec.formatTag = 2;
    spec.bWriteExtraSize = true;
    spec.formatExtra = {1, 2};
    spec.bWriteFact = true;
    spec.factData = {0x10, 0, 0, 0};
    spec.chunksBeforeData = {{"LIST", {'I', 'N', 'F', 'O', 'd', 'a', 't', 'a'}}};
    spec.dataBytes = 3000;
    return BuildWav(spec);
}

void Put32(std::vector<unsigned char>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<size_t>(i)] = static_cast<unsigned char>(v >> (8 * i));
}

std::vector<SCase> MakeCorpus()
{
    std::vector<SCase> cases;
    const std::vector<unsigned char> rich = Rich();
    // Offsets of the size fields in Rich(): RIFF, fmt, fact, LIST, data.
    const size_t sizeFields[] = {4, 16, 46, 58, 74};

    for (size_t n = 0; n <= 90; ++n) // inside every header
        cases.push_back({"TruncatedAt" + std::to_string(n), {rich.begin(), rich.begin() + static_cast<long>(n)}});
    for (size_t n : {120ul, 1000ul, rich.size() - 1})
        cases.push_back({"TruncatedAt" + std::to_string(n), {rich.begin(), rich.begin() + static_cast<long>(n)}});
    for (size_t at : sizeFields)
        for (uint32_t v : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFF9u}) {
            auto b = rich;
            Put32(b, at, v);
            cases.push_back({"Size" + std::to_string(at) + "Is" + std::to_string(v), b});
        }
    {
        auto b = rich; // extraSize claiming more than the format chunk holds
        b[36] = b[37] = 0xFF;
        cases.push_back({"ExtraSizeTooLarge", b});
    }
    {
        auto b = rich;
        std::copy_n("AVI ", 4, b.begin() + 8);
        cases.push_back({"RiffThatIsNotWave", b});
    }
    {
        std::vector<unsigned char> b{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
        for (int i = 0; i < 5000; ++i)
            AppendChunk(b, "tiny", {static_cast<unsigned char>(i)}, i % 2 == 0);
        cases.push_back({"ManyTinyOddChunks", b});
    }
    cases.push_back({"RunOfFF", std::vector<unsigned char>(4096, 0xFF)});
    std::mt19937 rng(20261206);
    for (size_t n = 1; n <= 200; n += 7) {
        std::vector<unsigned char> b(n);
        for (auto& c : b)
            c = static_cast<unsigned char>(rng());
        if (n >= 4)
            std::copy_n("RIFF", 4, b.begin());
        cases.push_back({"Random" + std::to_string(n), b});
    }
    {
        auto b = rich; // fmt with a frame size that does not divide the rate
        b[32] = 3;
        cases.push_back({"OddFrameSize", b});
    }
    return cases;
}

class MalformedWav : public ::testing::TestWithParam<SCase> {};

} // namespace

TEST_P(MalformedWav, GetsAStatusOrASaneResult)
{
    const auto tStart = std::chrono::steady_clock::now();
    const std::vector<unsigned char>& bytes = GetParam().bytes;
    CTempDir dir;
    WriteBytes(dir / "in.wav", bytes);
    CFakeUi ui;
    CAllocationWatch watch;
    {
        CWaveFile file(dir / "in.wav", nullptr, ui);
        if (file.GetError() != 0) {
            EXPECT_EQ(file.ReportError(nullptr), file.GetError());
        } else {
            EXPECT_GE(file.GetDuration(), 0.0);
            file.ShowFileInformation();
            EXPECT_EQ(ui.infoLines.size(), 9u);
            EXPECT_EQ(file.SaveSelection(dir / "a.wav", 0, 1, 1), 0);
            EXPECT_EQ(file.SaveSelection(dir / "b.wav", 3, 0, 300), 0);
            file.SetOverlapTime(1);
            ui.shredAnswer = {true, 3, dir / "part"};
            EXPECT_EQ(file.ShredEqually(), 0);

            // Every output: a header that agrees with the bytes that follow it.
            const CFormatRecord& fmt = file.GetFormat();
            const size_t nHeader = 12 + (fmt.extraSize ? 26 : 24) + (file.GetFormatExtra() ? fmt.extraSize : 0) +
                                   (file.GetFactData() ? 8 + file.GetFactHeader().size : 0) + 8;
            for (const char* pName : {"a.wav", "b.wav", "PART-1.wav", "PART-2.wav", "PART-3.wav"}) {
                const auto out = ReadBytes(dir / pName);
                ASSERT_GE(out.size(), nHeader) << pName;
                EXPECT_EQ(GetU32(out, 4), out.size() - 8) << pName;
                EXPECT_EQ(GetU32(out, nHeader - 4), out.size() - nHeader) << pName;
                EXPECT_EQ(GetU32(out, nHeader - 4) % file.GetFormat().blockAlign, 0u) << pName;
            }
        }
    }
    constexpr size_t kFixedBuffers = 256 * 1024; // the file object's own buffer
    EXPECT_LE(watch.Largest(), std::max(bytes.size(), kFixedBuffers));
    EXPECT_EQ(ReadBytes(dir / "in.wav"), bytes);
    EXPECT_LT(std::chrono::steady_clock::now() - tStart, std::chrono::seconds(5));
}

INSTANTIATE_TEST_SUITE_P(Corpus, MalformedWav, ::testing::ValuesIn(MakeCorpus()),
                         [](const auto& tp) { return tp.param.strName; });
