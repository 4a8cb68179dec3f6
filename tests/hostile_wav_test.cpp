// Malformed headers: a status or output that agrees with its header, never a crash, a hang or a huge
// allocation (the sanitizer run caps allocations); the source is kept.
#include "fuzz/FuzzTargets.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace {

// Size fields at 4 (RIFF), 16 (fmt), 46 (fact), 58 (LIST), 74 (data); as RF64
// 36 bytes on, after ds64's size (16) and 64-bit sizes (20, 28, 36).
Bytes Rich(const std::string& strRiffId)
{
    return BuildWav(CWavLayout{.formatTag = 2, .formatExtra = Bytes{1, 2}, .fact = Bytes{0x10, 0, 0, 0},
                               .chunksBeforeData = {{"LIST", {'I', 'N', 'F', 'O', 'd', 'a', 't', 'a'}}},
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
        for (size_t n : {11, 38, 62, 90})
            add(strId + "Cut", n, Bytes(rich.begin(), rich.begin() + static_cast<long>(n)));
        const size_t nShift = strId == "RF64" ? 36 : 0;
        for (size_t at : {4, 16, 46, 58, 74})
            for (uint32_t v : {0u, 1u, 0xFFFFFFF9u, 0xFFFFFFFFu})
                add(strId + "Size" + std::to_string(at + nShift), v, Patched(rich, at + nShift, v, 4));
    }
    for (size_t at : {20, 28, 36})
        for (uint64_t v : {uint64_t{0}, uint64_t{1} << 63, UINT64_MAX})
            add("Ds64Size" + std::to_string(at), v, Patched(Rich("RF64"), at, v, 8));
    add("NoChannels", 0, Patched(Rich("RIFF"), 22, 0, 2));
    Bytes b = Patched(Rich("RIFF"), 36, 0xFFFF, 2); // extraSize past its chunk, in a RIFF that is not WAVE
    std::copy_n("AVI ", 4, b.begin() + 8);
    add("NotWaveHugeExtra", 0, b);
    const std::pair<std::string, Bytes> tiny{"tiny", {1}};
    add("ManyTinyChunks", 5000, BuildWav({.chunksBeforeData = std::vector(5000, tiny), .dataBytes = 4000}));
    return cases;
}

class MalformedWav : public ::testing::TestWithParam<std::pair<std::string, Bytes>> {};

} // namespace

// Opened, a selection and splits in three with 1 s overlap, in memory.
TEST_P(MalformedWav, GetsAStatusOrASaneResult)
{
    const auto tStart = std::chrono::steady_clock::now();
    const Bytes input = Bytes{0x0A, 0, 1, 1} + GetParam().second;
    EXPECT_EQ(FuzzCut(input.data(), input.size()), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - tStart, std::chrono::seconds(5));
}

INSTANTIATE_TEST_SUITE_P(Corpus, MalformedWav, ::testing::ValuesIn(MalformedCorpus()),
                         [](const auto& tp) { return tp.param.first; });
