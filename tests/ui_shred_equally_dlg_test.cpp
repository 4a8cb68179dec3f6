#include "platform/FileDialogs.h"
#include "split/ui/ShredEquallyDlg.h"
#include "support/UiControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QSpinBox>
#include <algorithm>
#include <gtest/gtest.h>
#include <optional>

namespace {

// Every window the dialog reaches, scripted, with one log of what was shown
// or asked: "Error: ...", "Confirm: ...", "Customize", "Browse [initial name]",
// and the Estimate window's overlap line.
struct CWindows : IMessageBoxes, IShredDlgOwner, IFileDialogs, IEstimateWindow {
    int nYes = 0;                      // questions answered Yes before the others are answered No
    std::optional<std::string> chosen; // what Browse chooses
    bool bConfirm = true;
    uint32_t nOverlap = 0;
    std::vector<std::string> log;

    EMsgAnswer MessageBox(CWnd*, const std::string& strText, const std::string& strCaption, EMsgIcon,
                          EMsgButtons buttons) override
    {
        log.push_back(strCaption + ": " + strText);
        if (buttons == EMsgButtons::Ok || nYes == 0)
            return EMsgAnswer::No;
        --nYes;
        return EMsgAnswer::Yes;
    }
    void Customize() override
    {
        log.push_back("Customize");
        nOverlap = nOverlap == 0 ? 6 : 3; // still too high the first time
    }
    uint32_t GetOverlapTime() const override { return nOverlap; }
    std::string GetFileFilter() const override { return "Wave Files (*.wav)|*.wav||"; }
    std::optional<std::string> OpenFile(CWnd*, const CFileDialogArgs&) override { return std::nullopt; }
    std::optional<std::string> SaveFile(CWnd*, const CFileDialogArgs& args) override
    {
        log.push_back("Browse [" + args.strInitialName + "]");
        return chosen;
    }
    bool Show(const std::array<std::string, 6>& lines) override
    {
        log.push_back(lines[5]);
        return bConfirm;
    }
};

// u/d the arrows, o "Use original filename", b Browse, s Shred, e Estimate, <count>, [base name].
const ScriptLetters kLetters{{'u', {1035, -1}}, {'d', {1035, 1}}, {'o', {1029, 0}}, {'b', {1028, 0}},
                             {'s', {1025, 0}},  {'e', {1006, 0}}, {'<', {1007, 0}}, {'[', {1024, 0}}};

// The dialog for a WAV source whose 2 fragments play 9.6 seconds each, 20 less than 1.
std::unique_ptr<CShredEquallyDlg> Shown(int32_t nOverlap, CWindows& w, const std::string& strScript)
{
    const CWaveShredArgs args{.fmt = {.avgBytesPerSec = 176400, .blockAlign = 4}, .nAudioBytes = 3386880,
                              .strSourceName = "song.wav", .strSourcePath = "/music/song.wav", .nOverlap = nOverlap};
    auto pDlg = std::make_unique<CShredEquallyDlgOf<CWaveShredArgs>>(args, w, w, w, nullptr, &w);
    pDlg->show();
    RunScript(*pDlg, strScript, kLetters);
    return pDlg;
}

struct SFieldsCase {
    std::string strScript, strCount, strBase;
    std::optional<std::string> chosen; // what Browse chooses
    std::vector<std::string> log;      // the changed name question is answered No
};
void PrintTo(const SFieldsCase& c, std::ostream* pOut) { *pOut << c.strScript << " " << c.chosen.value_or(""); }
class ShredEquallyFields : public testing::TestWithParam<SFieldsCase> {};

// The count takes digits only, its arrows never below 2; the original name box
// fills and locks the base name; Browse starts from the source's name only with
// that box checked, and asks about a changed name.
TEST_P(ShredEquallyFields, ArrowsOriginalNameAndBrowse)
{
    const SFieldsCase& c = GetParam();
    CWindows w;
    w.chosen = c.chosen;
    const auto pDlg = Shown(0, w, c.strScript);
    EXPECT_EQ(Texts(*pDlg, {1007, 1024}), (std::vector<std::string>{c.strCount, c.strBase}));
    const bool bOriginal = std::ranges::count(c.strScript, 'o') % 2 == 1;
    EXPECT_EQ(ByControlId(*pDlg, 1024)->isEnabled(), !bOriginal);
    EXPECT_EQ(w.log, c.log);
    EXPECT_TRUE(pDlg->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ShredEquallyFields,
    testing::Values(SFieldsCase{"duuud", "4", ""}, SFieldsCase{"<a9-b>", "9", ""},
                    SFieldsCase{"[x]o", "2", "/music/song.wav"}, SFieldsCase{"[x]oo", "2", ""},
                    SFieldsCase{"[x]b", "2", "x", std::nullopt, {"Browse []"}},
                    SFieldsCase{"ob", "2", "/tmp/SONG.WAV", "/tmp/SONG.WAV", {"Browse [song.wav]"}},
                    SFieldsCase{"ob", "2", "/tmp/song.wav", "/tmp/cut.wav",
                                {"Browse [song.wav]", "Confirm: Use original filename option is enabled, but you have "
                                                      "changed the base filename. Do you wish to use the changed "
                                                      "filename ?"}}));

std::string HighOverlap(int nSeconds)
{
    return "Confirm: Overlap time is " + std::to_string(nSeconds) + " Second(s), which is high for the fragments "
           "of playtime 9 Second(s). Set the overlap time about 4 Second(s). Do you wish to change the overlap time?";
}

// An error keeps the dialog open; a high overlap is asked about, Yes
// customizing it until it fits; Shred ends only with the estimate confirmed.
TEST(ShredEquallyDlg, ShredEndsOnlyWithTheEstimateConfirmed)
{
    CWindows w;
    w.nYes = 2;
    w.bConfirm = false;
    const auto pDlg = Shown(5, w, "[x]<20>s<2>s");
    EXPECT_EQ(w.log, (std::vector<std::string>{
                         "Error: The number of fragments is too large so that it will not play even for 1 second.",
                         HighOverlap(5), "Customize", HighOverlap(6), "Customize", "Overlaping time - 3 Second(s)"}));
    EXPECT_TRUE(pDlg->isVisible());

    w.bConfirm = true;
    RunScript(*pDlg, "s", kLetters);
    EXPECT_FALSE(pDlg->isVisible());
    const CShredAnswer answer = pDlg->GetAnswer();
    EXPECT_TRUE(answer.bOk);
    EXPECT_EQ(answer.nFragments, 2);
    EXPECT_EQ(answer.nOverlap, 3);
    EXPECT_EQ(answer.strBaseName, "x");
}

// The pause option starts off and leaves the answer as it was; Alt+P turns it
// on, Tab goes on to its seconds, and the answer carries them.
TEST(ShredEquallyDlg, PauseOptionByKeyboard)
{
    CWindows w;
    for (const bool bOn : {false, true}) {
        const auto pDlg = Shown(0, w, "[x]");
        auto* pCheck = ByControlId<QCheckBox>(*pDlg, 1041);
        auto* pSeconds = ByControlId<QSpinBox>(*pDlg, 1042);
        ASSERT_TRUE(pCheck && pSeconds);
        EXPECT_FALSE(pCheck->isChecked() || pSeconds->isEnabled());
        EXPECT_FALSE(pCheck->accessibleName().isEmpty() || pSeconds->accessibleName().isEmpty());
        if (bOn) {
            QApplication::setActiveWindow(pDlg.get());
            ASSERT_TRUE(QTest::qWaitForWindowActive(pDlg.get()));
            QTest::keyClick(pDlg.get(), Qt::Key_P, Qt::AltModifier); // clicks as an animated click does
            EXPECT_TRUE(QTest::qWaitFor([&] { return pCheck->isChecked(); }));
            EXPECT_TRUE(pSeconds->isEnabled() && pCheck->hasFocus());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_TRUE(pSeconds->hasFocus());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("25"));
        }
        RunScript(*pDlg, "s", kLetters);
        const CShredAnswer answer = pDlg->GetAnswer();
        EXPECT_TRUE(answer.bOk && answer.nFragments == 2 && answer.strBaseName == "x");
        EXPECT_EQ(answer.bSnap, bOn);
        EXPECT_EQ(answer.nSnapSeconds, bOn ? 25 : 0);
    }
}

} // namespace
