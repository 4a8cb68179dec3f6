// A cancelled write removes the file under way and keeps, and names, those finished.
#include "audio/Mp3File.h"
#include "audio/WaveFile.h"
#include "doubles/FakeUi.h"
#include "support/Mp3Builder.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Strings = std::vector<std::string>;

// Sources of about 6 MB, so that every write takes several batches.
class CancelledWrite : public testing::TestWithParam<std::tuple<bool, bool>> {
protected:
    bool Mp3() const { return std::get<0>(GetParam()); }
    bool Exact() const { return std::get<1>(GetParam()); }
    std::string Ext() const { return Mp3() ? ".mp3" : ".wav"; }
    std::string Fragment(int n) const { return "PIECE-" + std::to_string(n) + Ext(); }
    std::unique_ptr<CAudioFile> Open(CFakeUi& ui) const
    {
        if (Mp3())
            return std::make_unique<CMp3File>(dir / ("in" + Ext()), nullptr, ui);
        return std::make_unique<CWaveFile>(dir / ("in" + Ext()), nullptr, ui);
    }
    Strings Shred(const CTempDir& folder, CFakeUi& ui, long nCancelAfter /* -1: never */) const
    {
        auto pFile = Open(ui);
        pFile->SetExactCuts(Exact());
        ui.shredAnswer = {true, 3, folder / "piece"};
        ui.cancelAfterFileSteps = nCancelAfter;
        EXPECT_EQ(pFile->ShredEqually(), kStatusOk);
        EXPECT_EQ(pFile->WasCancelled(), nCancelAfter >= 0);
        return pFile->GetWrittenFragments();
    }
    void SetUp() override { WriteBytes(dir / ("in" + Ext()), source); }

    CTempDir dir;
    const Bytes source = Mp3() ? Stream(CFrameLayout{}, 417, 15'000) + Id3v1Tag("Cancelled")
                               : BuildWav({.dataBytes = 6'000'000});
};

TEST_P(CancelledWrite, SaveLeavesNoFileAndSaysSo)
{
    CFakeUi ui;
    ui.cancelAfterFileSteps = 1;
    auto pFile = Open(ui);
    const std::string strOut = dir / ("out" + Ext());
    EXPECT_EQ(Exact() ? pFile->SaveExactSelection(strOut, 0, 44100 * 300) : pFile->SaveSelection(strOut, 0, 300, 1),
              kStatusOk);
    EXPECT_TRUE(pFile->WasCancelled());
    EXPECT_GT(ui.Count("step file"), 1) << "the copy was under way";
    EXPECT_EQ(dir.List(), Strings{"in" + Ext()}) << "no output, no hidden temporary file";
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].strText, "The writing was cancelled. No file was written.");
}

// Cancelled in fragment 2: fragment 1 as an uncancelled run writes it, nothing after.
TEST_P(CancelledWrite, ShredKeepsTheFragmentsFinishedBefore)
{
    CTempDir whole;
    CFakeUi uncancelled, ui;
    ASSERT_EQ(Shred(whole, uncancelled, -1).size(), 3u);
    const auto& log = uncancelled.Log();
    const auto first = std::find(log.begin(), log.end(), "number 1");
    const long nFirst = std::count(first, std::find(first, log.end(), "number 2"), std::string("step file"));
    ASSERT_GT(nFirst, 100) << "a fragment takes more than one batch";
    const Strings written = Shred(dir, ui, nFirst + 1);
    ASSERT_EQ(written, Strings{dir / Fragment(1)});
    EXPECT_EQ(dir.List(), (Strings{Fragment(1), "in" + Ext()}));
    EXPECT_EQ(ReadBytes(dir / Fragment(1)), ReadBytes(whole / Fragment(1)));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].strText, "The writing was cancelled. These files were written:\n" + written[0]);
    EXPECT_EQ(ui.Count("number 2"), 1) << "fragment 2 was begun";
}

INSTANTIATE_TEST_SUITE_P(Kinds, CancelledWrite, testing::Combine(testing::Bool(), testing::Bool()), [](const auto& p) {
    return std::string(std::get<0>(p.param) ? "Mp3" : "Wav") + (std::get<1>(p.param) ? "Exact" : "WholeSeconds");
});

} // namespace
