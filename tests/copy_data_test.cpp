#include "audio/WaveFile.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

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
    std::vector<uint64_t> outputAtEachStep;
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

    EXPECT_EQ(atSteps, c.outputAtEachStep);
    const auto written = ReadBytes(dir / "out.raw");
    ASSERT_EQ(written.size(), c.nWritten);
    for (size_t k = 0; k < written.size(); ++k)
        ASSERT_EQ(written[k], AudioByte(k)) << k;
}

INSTANTIATE_TEST_SUITE_P(Counts, CopyData,
                         ::testing::Values(SCopyCase{30000, 25000, 25000, {5000, 15000}, 25000},
                                           SCopyCase{30000, 20000, 20000, {0, 10000}, 20000},
                                           SCopyCase{30000, 9999, 9999, {}, 9999},
                                           SCopyCase{30000, 0, 0, {}, 0},
                                           SCopyCase{15000, 25000, 0, {5000, 15000}, 15000},
                                           SCopyCase{3000, 25000, 0, {3000}, 3000}));
