// Every WAV file the writers make must be read by an independent reader with
// the expected number of sample frames.
#include "audio/WaveFile.h"
#include "support/FakeUi.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

namespace {

struct SFormat {
    const char* pName;
    uint16_t channels, bitsPerSample;
};

class IndependentReader : public ::testing::TestWithParam<SFormat> {
protected:
    static uint64_t SoxSamples(const std::string& strPath)
    {
        const CCommandResult r = RunCommand({"sox", "--i", "-s", strPath});
        EXPECT_EQ(r.nExit, 0) << strPath << ": " << r.strErr;
        return r.nExit == 0 ? std::stoull(r.strOut) : ~0ull;
    }
};

} // namespace

TEST_P(IndependentReader, AcceptsEverySelectionAndFragment)
{
    if (!HaveProgram("sox"))
        GTEST_SKIP() << "sox is not installed";
    const SFormat& f = GetParam();
    CWavSpec spec = CanonicalWav();
    spec.channels = f.channels;
    spec.bitsPerSample = f.bitsPerSample;
    spec.blockAlign = static_cast<uint16_t>(f.channels * f.bitsPerSample / 8);
    spec.samplesPerSec = 8000;
    spec.avgBytesPerSec = 8000u * spec.blockAlign;
    spec.dataBytes = spec.avgBytesPerSec * 7 + spec.blockAlign * 3; // 7 s and 3 frames
    spec.chunksBeforeData = {{"LIST", {'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 1, 0, 0, 0, 'x'}}};

    CTempDir dir;
    WriteBytes(dir / "in.wav", BuildWav(spec));
    CFakeUi ui;
    CWaveFile file(dir / "in.wav", nullptr, ui);
    ASSERT_EQ(file.GetError(), 0);

    ASSERT_EQ(file.SaveSelection(dir / "sel.wav", 2, 5, 1), 0);
    EXPECT_EQ(SoxSamples(dir / "sel.wav"), 3u * 8000);
    ASSERT_EQ(file.SaveSelection(dir / "end.wav", 6, 9, 1), 0);
    EXPECT_EQ(SoxSamples(dir / "end.wav"), 8000u + 3);
    ASSERT_EQ(file.SaveSelection(dir / "none.wav", 9, 9, 1), 0);
    EXPECT_EQ(SoxSamples(dir / "none.wav"), 0u);

    file.SetOverlapTime(1);
    ui.shredAnswer = {true, 3, dir / "part"};
    ASSERT_EQ(file.ShredEqually(), 0);
    const uint64_t nOwnFrames = spec.dataBytes / 3 / spec.blockAlign;
    EXPECT_EQ(SoxSamples(dir / "PART-1.wav"), nOwnFrames);
    EXPECT_EQ(SoxSamples(dir / "PART-2.wav"), nOwnFrames + 8000);
    EXPECT_EQ(SoxSamples(dir / "PART-3.wav"), nOwnFrames + 8000);
}

INSTANTIATE_TEST_SUITE_P(Formats, IndependentReader,
                         ::testing::Values(SFormat{"Mono8", 1, 8}, SFormat{"Stereo16", 2, 16},
                                           SFormat{"Mono24", 1, 24}, SFormat{"Stereo24", 2, 24},
                                           SFormat{"Quad16", 4, 16}, SFormat{"Stereo32", 2, 32}),
                         [](const auto& tp) { return std::string(tp.param.pName); });
