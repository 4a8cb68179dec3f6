// Writing cancelled in the progress window: the file being written goes, the
// files finished before stay whole, and the user is told which were written.
#include "audio/Mp3File.h"
#include "audio/WaveFile.h"
#include "doubles/FakeUi.h"
#include "support/Mp3Builder.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

// A source of about 6 MB, so that every fragment of three and every save
// below takes several batches of the copy.
struct SKind {
    const char* pszName;
    std::string strExt;
    std::function<Bytes()> build;
    std::function<std::unique_ptr<CAudioFile>(const std::string&, IAudioUi&)> open;
};

const SKind kWav{"Wav", ".wav", [] { return BuildWav({.dataBytes = 6'000'000}); },
                 [](const std::string& strPath, IAudioUi& ui) { return std::make_unique<CWaveFile>(strPath, nullptr, ui); }};
const SKind kMp3{"Mp3", ".mp3",
                 [] { return Stream(CFrameLayout{}, 417, 15'000) + Id3v1Tag("Cancelled"); },
                 [](const std::string& strPath, IAudioUi& ui) { return std::make_unique<CMp3File>(strPath, nullptr, ui); }};

void PrintTo(const SKind& kind, std::ostream* pOut)
{
    *pOut << kind.pszName;
}

std::string CancelledText(const std::vector<std::string>& written)
{
    std::string strText = "The writing was cancelled. ";
    strText += written.empty() ? "No file was written." : "These files were written:";
    for (const std::string& strPath : written)
        strText += "\n" + strPath;
    return strText;
}

// The captions of the message boxes shown, in order.
std::vector<std::string> Captions(const CFakeUi& ui)
{
    std::vector<std::string> captions;
    for (const auto& message : ui.messages)
        captions.push_back(message.strCaption);
    return captions;
}

class CancelledWrite : public testing::TestWithParam<std::tuple<SKind, bool>> {
protected:
    CancelledWrite() { WriteBytes(dir / Source(), Kind().build()); }

    const SKind& Kind() const { return std::get<0>(GetParam()); }
    std::string Source() const { return "in" + Kind().strExt; }
    std::string Fragment(int n) const { return "PART-" + std::to_string(n) + Kind().strExt; }

    // Shreds the source into three fragments in the folder, cancelled once
    // the progress window has been stepped nCancelAfter times (-1: never).
    int32_t Shred(const CTempDir& folder, CFakeUi& ui, long nCancelAfter)
    {
        auto pFile = Kind().open(dir / Source(), ui);
        pFile->SetExactCuts(std::get<1>(GetParam()));
        ui.shredAnswer = {true, 3, folder / "part"};
        ui.cancelAfterFileSteps = nCancelAfter;
        const int32_t nStatus = pFile->ShredEqually();
        bCancelled = pFile->WasCancelled();
        written = pFile->GetWrittenFragments();
        return nStatus;
    }

    // The file steps of fragment 1 in an uncancelled run.
    long StepsOfFirstFragment(const CFakeUi& ui) const
    {
        const auto& log = ui.Log();
        const auto first = std::find(log.begin(), log.end(), "number 1");
        const auto second = std::find(first, log.end(), "number 2");
        return std::count(first, second, std::string("step file"));
    }

    CTempDir dir;
    bool bCancelled = false;
    std::vector<std::string> written;
};

TEST_P(CancelledWrite, SaveLeavesNoFileAndSaysSo)
{
    CFakeUi ui;
    ui.cancelAfterFileSteps = 1;
    auto pFile = Kind().open(dir / Source(), ui);
    ASSERT_EQ(pFile->GetError(), kStatusOk);
    const Bytes source = ReadBytes(dir / Source());
    const int32_t nStatus = std::get<1>(GetParam()) ? pFile->SaveExactSelection(dir / ("out" + Kind().strExt), 0, 44100 * 300)
                                                    : pFile->SaveSelection(dir / ("out" + Kind().strExt), 0, 300, 1);
    EXPECT_EQ(nStatus, kStatusOk) << "the cancel was reported already";
    EXPECT_TRUE(pFile->WasCancelled());
    EXPECT_GT(ui.Count("step file"), 1) << "the copy was under way";
    EXPECT_EQ(dir.List(), std::vector<std::string>{Source()}) << "no output, no hidden part";
    EXPECT_EQ(ReadBytes(dir / Source()), source);
    ASSERT_EQ(Captions(ui), std::vector<std::string>{"Information"}) << "no \"Fragment Saved\"";
    EXPECT_EQ(ui.messages[0].strText, CancelledText({}));
    EXPECT_EQ(ui.messages[0].icon, EMsgIcon::Information);
    const auto& log = ui.Log();
    EXPECT_LT(std::find(log.begin(), log.end(), "destroy"), std::find(log.begin(), log.end(), "message Information"))
        << "the progress window goes before the message comes";
}

TEST_P(CancelledWrite, SaveOverAFileKeepsThatFile)
{
    const std::string strOut = dir / ("out" + Kind().strExt);
    WriteBytes(strOut, Bytes(1000, 0x5A));
    CFakeUi ui;
    ui.cancelAfterFileSteps = 1;
    EXPECT_EQ(Kind().open(dir / Source(), ui)->SaveSelection(strOut, 0, 300, 1), kStatusOk);
    EXPECT_EQ(ReadBytes(strOut), Bytes(1000, 0x5A));
    EXPECT_EQ(dir.List(), (std::vector<std::string>{Source(), "out" + Kind().strExt}));
}

// Cancelled while fragment 2 is copied, or just after fragment 1 was closed:
// fragment 1 as an uncancelled run writes it, nothing of fragment 2 or later.
TEST_P(CancelledWrite, ShredKeepsTheFragmentsFinishedBefore)
{
    CTempDir whole;
    CFakeUi uncancelled;
    ASSERT_EQ(Shred(whole, uncancelled, -1), kStatusOk);
    ASSERT_EQ(whole.List(), (std::vector<std::string>{Fragment(1), Fragment(2), Fragment(3)}));
    const long nFirst = StepsOfFirstFragment(uncancelled);
    ASSERT_GT(nFirst, 100) << "a fragment takes more than one batch";

    for (const long nCancelAfter : {nFirst + 1, nFirst}) {
        for (int n = 1; n <= 3; ++n)
            std::filesystem::remove(dir / Fragment(n));
        CFakeUi ui;
        EXPECT_EQ(Shred(dir, ui, nCancelAfter), kStatusOk) << nCancelAfter;
        EXPECT_TRUE(bCancelled);
        EXPECT_EQ(dir.List(), (std::vector<std::string>{Fragment(1), Source()})) << nCancelAfter;
        EXPECT_EQ(ReadBytes(dir / Fragment(1)), ReadBytes(whole / Fragment(1))) << nCancelAfter;
        ASSERT_EQ(written, std::vector<std::string>{dir / Fragment(1)});
        ASSERT_EQ(Captions(ui), std::vector<std::string>{"Information"});
        EXPECT_EQ(ui.messages[0].strText, CancelledText(written));
        EXPECT_EQ(ui.Count("number 2"), nCancelAfter > nFirst ? 1 : 0) << "fragment 2 was begun only when asked later";
        EXPECT_EQ(ui.Count("number 3"), 0);
    }
}

TEST_P(CancelledWrite, ShredCancelledAtOnceWritesNothing)
{
    CFakeUi ui;
    EXPECT_EQ(Shred(dir, ui, 0), kStatusOk);
    EXPECT_TRUE(bCancelled);
    EXPECT_TRUE(written.empty());
    EXPECT_EQ(dir.List(), std::vector<std::string>{Source()});
    ASSERT_EQ(Captions(ui), std::vector<std::string>{"Information"});
    EXPECT_EQ(ui.messages[0].strText, CancelledText({}));
}

// Nobody cancels: the same files and the same steps as ever, and nothing said of a cancel.
TEST_P(CancelledWrite, NeverAskedMeansNothingChanges)
{
    CTempDir first, second;
    CFakeUi ui, late;
    ASSERT_EQ(Shred(first, ui, -1), kStatusOk);
    EXPECT_FALSE(bCancelled);
    EXPECT_TRUE(ui.messages.empty());
    // A cancel that would come only after the last step never comes.
    ASSERT_EQ(Shred(second, late, ui.Count("step file") + 1), kStatusOk);
    EXPECT_FALSE(bCancelled);
    EXPECT_EQ(late.Log(), ui.Log());
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(ReadBytes(second / Fragment(n)), ReadBytes(first / Fragment(n))) << n;
}

INSTANTIATE_TEST_SUITE_P(Kinds, CancelledWrite, testing::Combine(testing::Values(kWav, kMp3), testing::Bool()),
                         [](const auto& p) {
                             return std::string(std::get<0>(p.param).pszName) +
                                    (std::get<1>(p.param) ? "Exact" : "WholeSeconds");
                         });

} // namespace
