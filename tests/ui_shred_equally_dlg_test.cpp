#include "platform/FileDialogs.h"
#include "platform/ui/QtWindow.h"
#include "split/ui/ShredEquallyDlg.h"
#include "support/UiControls.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <gtest/gtest.h>
#include <optional>

namespace {

// 2 fragments of this WAV source play 9.6 seconds each; 19 play 1.01, 20 less than 1.
CWaveShredArgs WaveArgs(int32_t nOverlap)
{
    CWaveShredArgs a;
    a.fmt.avgBytesPerSec = 176400;
    a.fmt.blockAlign = 4;
    a.dataHeader.size = 3386880;
    a.strSourceName = "song.wav";
    a.strSourcePath = "/music/song.wav";
    a.nOverlap = nOverlap;
    return a;
}

// An MP3 source of 62.5 seconds.
CMp3ShredArgs Mp3Args()
{
    CMp3ShredArgs a;
    a.nFileLength = 1000000;
    a.nBitrate = 128000;
    a.strSourceName = "song.mp3";
    return a;
}

// Every window the dialog reaches, scripted, with one log of what was shown
// or asked: "Error: ...", "Confirm: ...", "Customize", "Browse: ...", and
// the Estimate window's overlap line.
struct CWindows : IMessageBoxes, IShredDlgOwner, IFileDialogs, IEstimateWindow {
    std::deque<bool> yes;              // answers to the questions, in turn
    std::deque<uint32_t> customized;   // what each Customize leaves
    std::optional<std::string> chosen; // what Browse chooses
    bool bConfirm = true;
    uint32_t nOverlap = 0;
    std::vector<std::string> log;
    std::vector<QWidget*> boxOwners;

    EMsgAnswer MessageBox(CWnd* pOwner, const std::string& strText, const std::string& strCaption, EMsgIcon,
                          EMsgButtons buttons) override
    {
        log.push_back(strCaption + ": " + strText);
        boxOwners.push_back(CQtWnd::WidgetOf(pOwner));
        if (buttons == EMsgButtons::Ok)
            return EMsgAnswer::Ok;
        const bool b = !yes.empty() && yes.front();
        if (!yes.empty())
            yes.pop_front();
        return b ? EMsgAnswer::Yes : EMsgAnswer::No;
    }
    void Customize() override
    {
        log.push_back("Customize");
        nOverlap = customized.front();
        customized.pop_front();
    }
    uint32_t GetOverlapTime() const override { return nOverlap; }
    std::string GetFileFilter() const override { return "Wave Files (*.wav)|*.wav||"; }
    std::optional<std::string> OpenFile(CWnd*, const CFileDialogArgs&) override { return std::nullopt; }
    std::optional<std::string> SaveFile(CWnd*, const CFileDialogArgs& args) override
    {
        log.push_back("Browse: [" + args.strInitialName + "] " + args.strTitle + " " + args.strFilter +
                      args.strDefaultExt);
        return chosen;
    }
    bool Show(const std::array<std::string, 6>& lines) override
    {
        log.push_back(lines[5]);
        return bConfirm;
    }
};

// u/d the arrows, o "Use original filename", b Browse, s Shred, e Estimate,
// <n> the number of fragments, [name] the base file name.
const ScriptLetters kLetters{{'u', {1035, -1}}, {'d', {1035, 1}}, {'o', {1029, 0}}, {'b', {1028, 0}},
                             {'s', {1025, 0}},  {'e', {1006, 0}}, {'<', {1007, 0}}, {'[', {1024, 0}}};

template <typename Args>
std::unique_ptr<CShredEquallyDlg> Shown(const Args& args, CWindows& w, const std::string& strScript)
{
    auto pDlg = std::make_unique<CShredEquallyDlgOf<Args>>(args, w, w, w, nullptr, &w);
    pDlg->show();
    RunScript(*pDlg, strScript, kLetters);
    return pDlg;
}

const std::string kBrowse = "Browse: [] Browse - Base filename Wave Files (*.wav)|*.wav||";
const std::string kBrowseOriginal = "Browse: [song.wav] Browse - Base filename Wave Files (*.wav)|*.wav||";
const std::string kChanged = "Confirm: Use original filename option is enabled, but you have changed the base "
                             "filename. Do you wish to use the changed filename ?";

struct SFieldsCase {
    std::string strScript, strCount, strBase;
    std::optional<std::string> chosen; // what Browse chooses
    bool bYes;                         // the answer to the changed name question
    std::vector<std::string> log;
};
void PrintTo(const SFieldsCase& c, std::ostream* pOut)
{
    *pOut << c.strScript << " " << c.chosen.value_or("") << (c.bYes ? " yes" : "");
}
class ShredEquallyFields : public testing::TestWithParam<SFieldsCase> {};

// The count field takes digits only and its arrows never go below 2 nor wrap;
// the original name box fills and locks the base name; Browse starts from the
// source's name only with that box checked, and a changed name is asked about;
// Enter and Escape leave the dialog open.
TEST_P(ShredEquallyFields, ArrowsOriginalNameAndBrowse)
{
    const SFieldsCase& c = GetParam();
    CWindows w;
    w.chosen = c.chosen;
    w.yes = {c.bYes};
    const auto pDlg = Shown(WaveArgs(0), w, c.strScript);
    EXPECT_EQ(Texts(*pDlg, {1007, 1024}), (std::vector<std::string>{c.strCount, c.strBase}));
    const bool bOriginal = std::ranges::count(c.strScript, 'o') % 2 == 1;
    EXPECT_EQ(ByControlId<QAbstractButton>(*pDlg, 1029)->isChecked(), bOriginal);
    EXPECT_EQ(ByControlId(*pDlg, 1024)->isEnabled(), !bOriginal);
    EXPECT_EQ(w.log, c.log);
    EXPECT_TRUE(pDlg->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ShredEquallyFields,
    testing::Values(SFieldsCase{"dRNXuuud", "4", ""}, SFieldsCase{"<>du", "1", ""}, SFieldsCase{"<a9-b>", "9", ""},
                    SFieldsCase{"<4294967295>u", "4294967295", ""}, SFieldsCase{"[x]o", "2", "/music/song.wav"},
                    SFieldsCase{"[x]oo", "2", ""}, SFieldsCase{"[x]b", "2", "x", std::nullopt, false, {kBrowse}},
                    SFieldsCase{"b", "2", "/tmp/cut.wav", "/tmp/cut.wav", false, {kBrowse}},
                    SFieldsCase{"ob", "2", "/tmp/SONG.WAV", "/tmp/SONG.WAV", false, {kBrowseOriginal}},
                    SFieldsCase{"ob", "2", "/tmp/cut.wav", "/tmp/cut.wav", true, {kBrowseOriginal, kChanged}},
                    SFieldsCase{"ob", "2", "/tmp/song.wav", "/tmp/cut.wav", false, {kBrowseOriginal, kChanged}},
                    SFieldsCase{"ob", "2", "/song.wav", "/cut.wav", false, {kBrowseOriginal, kChanged}}));

const std::string kAbove1 = "Error: Please enter fragment value greater than 1.";
const std::string kTooShort = "Error: The number of fragments is too large so that it will not play even for 1 second.";
std::string HighOverlap(int nSeconds)
{
    return "Confirm: Overlap time is " + std::to_string(nSeconds) + " Second(s), which is high for the fragments "
           "of playtime 9 Second(s). Set the overlap time about 4 Second(s). Do you wish to change the overlap time?";
}
std::string Estimated(int nSeconds) { return "Overlaping time - " + std::to_string(nSeconds) + " Second(s)"; }

struct SShredCase {
    int32_t nOverlap; // -1: the MP3 source
    std::string strScript;
    std::deque<bool> yes;
    std::deque<uint32_t> customized;
    bool bConfirm;
    std::vector<std::string> log;
    bool bOk;
    int32_t nFragments, nAnswerOverlap;
};
void PrintTo(const SShredCase& c, std::ostream* pOut) { *pOut << c.nOverlap << " " << c.strScript; }
class ShredEquallyChecks : public testing::TestWithParam<SShredCase> {};

// Shred and Estimate check the fields, each error keeping the dialog open;
// a high overlap is asked about, Yes customizing it again until it fits;
// Shred ends the dialog only once the estimate is confirmed.
TEST_P(ShredEquallyChecks, ShredEndsOnlyWithTheEstimateConfirmed)
{
    const SShredCase& c = GetParam();
    CWindows w;
    w.yes = c.yes;
    w.customized = c.customized;
    w.bConfirm = c.bConfirm;
    const auto pDlg = c.nOverlap < 0 ? Shown(Mp3Args(), w, c.strScript) : Shown(WaveArgs(c.nOverlap), w, c.strScript);
    EXPECT_EQ(w.log, c.log);
    const CShredAnswer answer = pDlg->GetAnswer();
    EXPECT_EQ(answer.bOk, c.bOk);
    EXPECT_EQ(pDlg->isVisible(), !c.bOk);
    EXPECT_EQ(answer.nFragments, c.nFragments);
    EXPECT_EQ(answer.nOverlap, c.nAnswerOverlap);
    // Only Shred reads the base file name.
    const bool bShred = c.strScript.find('s') != std::string::npos;
    EXPECT_EQ(answer.strBaseName, c.strScript.starts_with("[x]") && bShred ? "x" : "");
    for (QWidget* pOwner : w.boxOwners)
        EXPECT_EQ(pOwner, pDlg.get());
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ShredEquallyChecks,
    testing::Values(SShredCase{0, "<>s", {}, {}, true, {"Error: Please enter the base filename."}, false, 0, 0},
                    SShredCase{0, "<>e", {}, {}, true, {"Error: Please enter the number of fragments."}, false, 0, 0},
                    SShredCase{0, "[x]<0>s<1>e", {}, {}, true, {kAbove1, kAbove1}, false, 1, 0},
                    SShredCase{0, "[x]<20>s", {}, {}, true, {kTooShort}, false, 20, 0},
                    SShredCase{0, "[x]<19>e", {}, {}, true, {Estimated(0)}, false, 19, 0},
                    SShredCase{0, "[x]<02>s", {}, {}, false, {Estimated(0)}, false, 2, 0},
                    SShredCase{4, "[x]<02>s", {}, {}, true, {Estimated(4)}, true, 2, 4},
                    SShredCase{5, "[x]<2>s", {false}, {}, true,
                               {HighOverlap(5), "Information: The fragments may not adhere to the estimate that "
                                                "will be shown.", Estimated(5)}, true, 2, 5},
                    SShredCase{5, "[x]<2>es", {true, true}, {6, 3}, true,
                               {HighOverlap(5), "Customize", HighOverlap(6), "Customize", Estimated(3), Estimated(3)},
                               true, 2, 3},
                    SShredCase{-1, "<62>e", {}, {}, true, {Estimated(0)}, false, 62, 0},
                    SShredCase{-1, "<63>e", {}, {}, true, {kTooShort}, false, 63, 0}));

// The real dialog and Estimate window, run modally as the main window runs them.
TEST(ShredEquallyDlg, RunsModallyThroughTheRealEstimateWindow)
{
    CWindows w;
    std::vector<std::string> seen;
    QTimer::singleShot(0, [&] {
        QWidget* pDlg = QApplication::activeModalWidget();
        seen = Texts(*pDlg, {1008});
        seen.push_back(pDlg->focusWidget() == ByControlId(*pDlg, 1024) ? "focus on the base name" : "focus elsewhere");
        QTimer::singleShot(0, [&] {
            QWidget* pEstimate = QApplication::activeModalWidget();
            seen.push_back(Texts(*pEstimate, {1037})[0]);
            if (pEstimate != pDlg)
                ByControlId<QAbstractButton>(*pEstimate, 1)->click();
        });
        RunScript(*pDlg, "[/tmp/cut]<3>s", kLetters);
    });
    const CShredAnswer answer = RunShredEquallyDialog(WaveArgs(0), w, w, w, nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"Shreding file - song.wav", "focus on the base name",
                                              "Source filename - SONG.WAV"}));
    EXPECT_TRUE(answer.bOk);
    EXPECT_EQ(answer.nFragments, 3);
    EXPECT_EQ(answer.strBaseName, "/tmp/cut");
}

} // namespace
