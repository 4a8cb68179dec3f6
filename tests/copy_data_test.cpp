#include "audio/WaveFile.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Opens the block copy to tests.
class CCopyProbe : public CWaveFile {
public:
    using CWaveFile::CWaveFile;
    using CAudioFile::CopyData;
    CFile& Source() { return m_file; }
};

struct SCopyCase {
    uint32_t nAvailable; // audio bytes after the source position
    uint32_t nCount;
    uint32_t nReturned;
    size_t nSteps;
    uint64_t nWritten;
};

class CopyData : public ::testing::TestWithParam<SCopyCase> {};

} // namespace

TEST_P(CopyData, CopiesTheRemainderFirstThenWholeBlocks)
{
    const SCopyCase& c = GetParam();
    CTempDir dir;
    CWavSpec spec = CanonicalWav();
    spec.dataBytes = c.nAvailable;
    WriteBytes(dir / "in.wav", BuildWav(spec));
    CFakeUi ui;
    CCopyProbe file(dir / "in.wav", nullptr, ui);
    ASSERT_EQ(file.GetError(), 0);
    file.Source().Seek(44, CFile::EFrom::Begin);

    CFile out;
    ASSERT_TRUE(out.Open(dir / "out.raw", CFile::EMode::Create));
    std::vector<uint64_t> atSteps;
    ui.onStepFile = [&] { atSteps.push_back(out.GetPosition()); };
    auto pProgress = ui.CreateProgress(nullptr);
    EXPECT_EQ(file.CopyData(out, c.nCount, pProgress.get()), c.nReturned);
    out.Close();

    // One step per whole block, each before its block is written; the
    // remainder of count / 10000 is written first.
    ASSERT_EQ(atSteps.size(), c.nSteps);
    for (size_t k = 0; k < atSteps.size(); ++k) {
        EXPECT_LE(atSteps[k], std::min<uint64_t>(c.nCount % 10000 + k * 10000, c.nWritten)) << k;
    }
    if (!atSteps.empty()) {
        EXPECT_EQ(atSteps[0], std::min<uint64_t>(c.nCount % 10000, c.nWritten));
    }
    const auto written = ReadBytes(dir / "out.raw");
    ASSERT_EQ(written.size(), c.nWritten);
    for (size_t k = 0; k < written.size(); ++k)
        ASSERT_EQ(written[k], AudioByte(k)) << k;
}

INSTANTIATE_TEST_SUITE_P(Counts, CopyData,
                         ::testing::Values(SCopyCase{30000, 25000, 25000, 2, 25000},
                                           SCopyCase{30000, 20000, 20000, 2, 20000},
                                           SCopyCase{30000, 9999, 9999, 0, 9999},
                                           SCopyCase{30000, 0, 0, 0, 0},
                                           SCopyCase{3000000, 2999999, 2999999, 299, 2999999},
                                           // the source ends first: a step before the read that finds nothing
                                           SCopyCase{15000, 25000, 0, 2, 15000},
                                           SCopyCase{20000, 25000, 0, 3, 20000},
                                           SCopyCase{3000, 25000, 0, 1, 3000},
                                           SCopyCase{3000, 5000, 0, 1, 3000},
                                           SCopyCase{1500000, 2500000, 0, 151, 1500000}));
