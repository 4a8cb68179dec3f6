// Replays the fuzz seeds and every input the fuzzers once failed on through
// the fuzz targets themselves. In the sanitizer build a fault found again
// fails here, without a fuzzer.
#include "fuzz/FuzzTargets.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using FuzzFunction = int (*)(const uint8_t*, size_t);

struct SFuzzCase {
    std::string strTarget; // fuzz_wav, fuzz_mp3 or fuzz_cut
    std::string strSet;    // corpus or regressions
    fs::path path;
};

constexpr const char* kTargets[] = {"fuzz_wav", "fuzz_mp3", "fuzz_cut"};

FuzzFunction TargetFunction(const std::string& strTarget)
{
    if (strTarget == "fuzz_wav")
        return FuzzOpenWave;
    if (strTarget == "fuzz_mp3")
        return FuzzOpenMp3;
    return FuzzCut;
}

std::vector<fs::path> FilesIn(const fs::path& dir)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<SFuzzCase> CollectCases()
{
    std::vector<SFuzzCase> cases;
    for (const char* pSet : {"corpus", "regressions"})
        for (const char* pTarget : kTargets)
            for (const fs::path& path : FilesIn(fs::path(TOLVANE_SOURCE_DIR) / "fuzz" / pSet / pTarget))
                cases.push_back({pTarget, pSet, path});
    return cases;
}

std::string CaseName(const testing::TestParamInfo<SFuzzCase>& info)
{
    std::string strName = info.param.strSet + "_" + info.param.strTarget + "_" + info.param.path.stem().string();
    std::replace_if(strName.begin(), strName.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
                    '_');
    return strName;
}

class FuzzReplay : public testing::TestWithParam<SFuzzCase> {};

// A case must finish well within the fuzzers' 5-second timeout, here with room
// for a slower sanitizer build.
TEST_P(FuzzReplay, RunsWithoutFaultInTime)
{
    const std::vector<unsigned char> bytes = ReadBytes(GetParam().path.string());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TargetFunction(GetParam().strTarget)(bytes.data(), bytes.size()), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

INSTANTIATE_TEST_SUITE_P(Inputs, FuzzReplay, testing::ValuesIn(CollectCases()), CaseName);

TEST(FuzzCorpus, EveryTargetHasSmallSeeds)
{
    for (const char* pTarget : kTargets) {
        const std::vector<fs::path> seeds = FilesIn(fs::path(TOLVANE_SOURCE_DIR) / "fuzz" / "corpus" / pTarget);
        EXPECT_GE(seeds.size(), 3u) << pTarget;
        for (const fs::path& seed : seeds)
            EXPECT_LT(fs::file_size(seed), 4096u) << seed;
    }
}

// A cut input shorter than its prefix holds no file at all.
TEST(FuzzCut, IgnoresInputsShorterThanThePrefix)
{
    const uint8_t bytes[kCutPrefixBytes] = {1, 2, 3, 4};
    for (size_t n = 0; n <= kCutPrefixBytes; ++n)
        EXPECT_EQ(FuzzCut(bytes, n), 0);
}

} // namespace
