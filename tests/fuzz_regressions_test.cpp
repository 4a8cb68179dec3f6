#include "fuzz/FuzzTargets.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CollectInputs()
{
    std::vector<fs::path> inputs;
    for (const char* pSet : {"corpus", "regressions"})
        for (const char* pTarget : {"fuzz_wav", "fuzz_mp3", "fuzz_cut", "fuzz_cue", "fuzz_plan", "fuzz_silence"})
            for (std::error_code ec; const auto& entry :
                                     fs::directory_iterator(fs::path(TOLVANE_SOURCE_DIR) / "fuzz" / pSet / pTarget, ec))
                inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

class FuzzReplay : public ::testing::TestWithParam<fs::path> {};

} // namespace

TEST_P(FuzzReplay, LeavesTheSourceAndWritesFilesThatAgreeWithThemselves)
{
    const std::string strTarget = GetParam().parent_path().filename().string();
    const auto target = strTarget == "fuzz_wav"   ? FuzzOpenWave
                        : strTarget == "fuzz_mp3" ? FuzzOpenMp3
                        : strTarget == "fuzz_cue" ? FuzzCue
                        : strTarget == "fuzz_plan" ? FuzzPlan
                        : strTarget == "fuzz_silence" ? FuzzSilence
                                                  : FuzzCut;
    const Bytes bytes = ReadBytes(GetParam().string());
    EXPECT_EQ(target(bytes.data(), bytes.size()), 0) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Inputs, FuzzReplay, ::testing::ValuesIn(CollectInputs()));
