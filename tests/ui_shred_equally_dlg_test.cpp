#include "platform/FileDialogs.h"
#include "platform/ui/QtWindow.h"
#include "split/ui/ShredEquallyDlg.h"
#include "support/UiControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
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
        log.push_back("Browse: " + args.strTitle + " [" + args.strInitialName + "] " + args.strFilter +
                      args.strDefaultExt);
        return chosen;
    }
    bool Show(const std::array<std::string, 6>& lines) override
    {
        log.push_back(lines[5]);
        return bConfirm;
    }
};

// Works a shown dialog: u/d the arrows, o the "Use original filename" box,
// b Browse, s Shred, e Estimate, <text> typed over the number field and
// [text] over the base file name field.
struct CShownDlg {
    template <typename Args>
    CShownDlg(const Args& args, CWindows& windows) : pDlg(Make(args, windows))
    {
        pDlg->show();
    }
    static std::unique_ptr<CShredEquallyDlg> Make(const CWaveShredArgs& args, CWindows& w)
    {
        return std::make_unique<CWaveShredEquallyDlg>(args, w, w, w, nullptr, &w);
    }
    static std::unique_ptr<CShredEquallyDlg> Make(const CMp3ShredArgs& args, CWindows& w)
    {
        return std::make_unique<CMp3ShredEquallyDlg>(args, w, w, w, nullptr, &w);
    }
    template <typename T>
    T* Control(int nId) { return ByControlId<T>(*pDlg, nId); }
    void Type(QLineEdit* pEdit, const std::string& strText)
    {
        pEdit->selectAll();
        QKeyEvent erase(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        QCoreApplication::sendEvent(pEdit, &erase);
        for (char c : strText) {
            QKeyEvent key(QEvent::KeyPress, QChar::fromLatin1(c).unicode(), Qt::NoModifier, QString(QLatin1Char(c)));
            QCoreApplication::sendEvent(pEdit, &key);
        }
    }
    void Run(const std::string& strScript)
    {
        for (size_t i = 0; i < strScript.size(); ++i) {
            switch (strScript[i]) {
            case 'u': Control<QScrollBar>(1035)->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
            case 'd': Control<QScrollBar>(1035)->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
            case 'o': Control<QCheckBox>(1029)->click(); break;
            case 'b': Control<QPushButton>(1028)->click(); break;
            case 's': Control<QPushButton>(1025)->click(); break;
            case 'e': Control<QPushButton>(1006)->click(); break;
            case '<':
            case '[': {
                const size_t nEnd = strScript.find(strScript[i] == '<' ? '>' : ']', i);
                Type(Control<QLineEdit>(strScript[i] == '<' ? 1007 : 1024), strScript.substr(i + 1, nEnd - i - 1));
                i = nEnd;
                break;
            }
            }
        }
    }
    std::string Text(int nId) { return Control<QLineEdit>(nId)->text().toStdString(); }

    std::unique_ptr<CShredEquallyDlg> pDlg;
};

const std::string kAbove1 = "Error: Please enter fragment value greater than 1.";

} // namespace

TEST(ShredEquallyDlg, FieldsArrowsAndOriginalName)
{
    struct { std::string strScript, strCount, strBase; bool bBaseEnabled; } const cases[] = {
        {"", "2", "", true},          {"d", "2", "", true},         {"<>d", "0", "", true},
        {"<>u", "1", "", true},       {"uuud", "4", "", true},      {"<a9-b>", "9", "", true},
        {"<4294967295>u", "4294967295", "", true},                  {"[x]o", "2", "/music/song.wav", false},
        {"[x]oo", "2", "", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strScript);
        CWindows w;
        CShownDlg shown(WaveArgs(0), w);
        shown.Run(c.strScript);
        EXPECT_EQ(shown.Text(1007), c.strCount);
        EXPECT_EQ(shown.Text(1024), c.strBase);
        EXPECT_EQ(shown.Control<QLineEdit>(1024)->isEnabled(), c.bBaseEnabled);
        EXPECT_TRUE(w.log.empty());
    }
    CWindows w;
    CShownDlg shown(WaveArgs(0), w);
    EXPECT_EQ(shown.Control<QLabel>(1008)->text(), QStringLiteral("Shreding file - song.wav"));
    EXPECT_EQ(shown.pDlg->focusWidget(), shown.Control<QLineEdit>(1024));
    for (int nKey : {Qt::Key_Return, Qt::Key_Escape}) {
        QKeyEvent press(QEvent::KeyPress, nKey, Qt::NoModifier);
        QCoreApplication::sendEvent(shown.Control<QLineEdit>(1024), &press);
    }
    EXPECT_TRUE(shown.pDlg->isVisible());
}

TEST(ShredEquallyDlg, BrowseStartsFromTheSourceNameOnlyWithTheOriginalNameChecked)
{
    const std::string kBrowse = "Browse: Browse - Base filename [] Wave Files (*.wav)|*.wav||";
    const std::string kBrowseOriginal = "Browse: Browse - Base filename [song.wav] Wave Files (*.wav)|*.wav||";
    const std::string kQuestion = "Confirm: Use original filename option is enabled, but you have changed the base "
                                  "filename. Do you wish to use the changed filename ?";
    struct { std::string strScript; std::optional<std::string> chosen; bool bYes; std::string strBase;
             std::vector<std::string> log; } const cases[] = {
        {"[x]b", std::nullopt, false, "x", {kBrowse}},
        {"b", "/tmp/cut.wav", false, "/tmp/cut.wav", {kBrowse}},
        {"ob", "/tmp/SONG.WAV", false, "/tmp/SONG.WAV", {kBrowseOriginal}},
        {"ob", "/tmp/cut.wav", true, "/tmp/cut.wav", {kBrowseOriginal, kQuestion}},
        {"ob", "/tmp/cut.wav", false, "/tmp/song.wav", {kBrowseOriginal, kQuestion}},
        {"ob", "/cut.wav", false, "/song.wav", {kBrowseOriginal, kQuestion}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strScript + " " + c.chosen.value_or("cancelled"));
        CWindows w;
        w.chosen = c.chosen;
        w.yes = {c.bYes};
        CShownDlg shown(WaveArgs(0), w);
        shown.Run(c.strScript);
        EXPECT_EQ(shown.Text(1024), c.strBase);
        EXPECT_EQ(w.log, c.log);
        EXPECT_EQ(shown.Control<QCheckBox>(1029)->isChecked(), c.strScript[0] == 'o');
    }
}

TEST(ShredEquallyDlg, ShredEndsOnlyWithTheEstimateConfirmed)
{
    const std::string kTooShort =
        "Error: The number of fragments is too large so that it will not play even for 1 second.";
    struct { int32_t nOverlap; std::string strScript; std::deque<bool> yes; std::deque<uint32_t> customized;
             bool bConfirm; std::vector<std::string> log; bool bOk; int32_t nFragments, nAnswerOverlap; } const cases[] = {
        {0, "<>s", {}, {}, true, {"Error: Please enter the base filename."}, false, 0, 0},
        {0, "<>e", {}, {}, true, {"Error: Please enter the number of fragments."}, false, 0, 0},
        {0, "[x]<0>s<1>e", {}, {}, true, {kAbove1, kAbove1}, false, 1, 0},
        {0, "[x]<20>s", {}, {}, true, {kTooShort}, false, 20, 0},
        {0, "[x]<19>e", {}, {}, true, {"Overlaping time - 0 Second(s)"}, false, 19, 0},
        {0, "[x]<02>s", {}, {}, false, {"Overlaping time - 0 Second(s)"}, false, 2, 0},
        {4, "[x]<02>s", {}, {}, true, {"Overlaping time - 4 Second(s)"}, true, 2, 4},
        {5, "[x]<2>s", {false}, {}, true,
         {"Confirm: Overlap time is 5 Second(s), which is high for the fragments of playtime 9 Second(s). Set the "
          "overlap time about 4 Second(s). Do you wish to change the overlap time?",
          "Information: The fragments may not adhere to the estimate that will be shown.",
          "Overlaping time - 5 Second(s)"}, true, 2, 5},
        {5, "[x]<2>es", {true, true}, {6, 3}, true,
         {"Confirm: Overlap time is 5 Second(s), which is high for the fragments of playtime 9 Second(s). Set the "
          "overlap time about 4 Second(s). Do you wish to change the overlap time?", "Customize",
          "Confirm: Overlap time is 6 Second(s), which is high for the fragments of playtime 9 Second(s). Set the "
          "overlap time about 4 Second(s). Do you wish to change the overlap time?", "Customize",
          "Overlaping time - 3 Second(s)", "Overlaping time - 3 Second(s)"}, true, 2, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strScript);
        CWindows w;
        w.yes = c.yes;
        w.customized = c.customized;
        w.bConfirm = c.bConfirm;
        CShownDlg shown(WaveArgs(c.nOverlap), w);
        shown.Run(c.strScript);
        EXPECT_EQ(w.log, c.log);
        const CShredAnswer answer = shown.pDlg->GetAnswer();
        EXPECT_EQ(answer.bOk, c.bOk);
        EXPECT_EQ(shown.pDlg->isVisible(), !c.bOk);
        EXPECT_EQ(answer.nFragments, c.nFragments);
        EXPECT_EQ(answer.nOverlap, c.nAnswerOverlap);
        // Only Shred reads the base file name.
        EXPECT_EQ(answer.strBaseName, c.strScript.starts_with("[x]") && c.strScript.find('s') != std::string::npos ? "x" : "");
        for (QWidget* pOwner : w.boxOwners)
            EXPECT_EQ(pOwner, shown.pDlg.get());
    }
}

TEST(ShredEquallyDlg, Mp3KindChecksAgainstTheBitrate)
{
    CMp3ShredArgs a; // 62.5 seconds
    a.nFileLength = 1000000;
    a.nBitrate = 128000;
    a.strSourceName = "song.mp3";
    for (const auto& [strScript, strShown] :
         {std::pair{"<62>e", "Overlaping time - 0 Second(s)"},
          std::pair{"<63>e", "Error: The number of fragments is too large so that it will not play even for 1 second."}}) {
        CWindows w;
        CShownDlg shown(a, w);
        shown.Run(strScript);
        EXPECT_EQ(w.log, std::vector<std::string>{strShown}) << strScript;
    }
}

// The real dialog and Estimate window, run modally as the main window runs them.
TEST(ShredEquallyDlg, RunsModallyThroughTheRealEstimateWindow)
{
    CWindows w;
    QString strSummary;
    QTimer::singleShot(0, [&] {
        auto* pDlg = qobject_cast<CShredEquallyDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(pDlg, nullptr);
        ByControlId<QLineEdit>(*pDlg, 1024)->setText(QStringLiteral("/tmp/cut"));
        ByControlId<QLineEdit>(*pDlg, 1007)->setText(QStringLiteral("3"));
        QTimer::singleShot(0, [&] {
            QWidget* pEstimate = QApplication::activeModalWidget();
            ASSERT_NE(pEstimate, pDlg);
            strSummary = ByControlId<QLabel>(*pEstimate, 1037)->text();
            ByControlId<QPushButton>(*pEstimate, 1)->click();
        });
        ByControlId<QPushButton>(*pDlg, 1025)->click();
    });
    const CShredAnswer answer = RunShredEquallyDialog(WaveArgs(0), w, w, w, nullptr);
    EXPECT_EQ(strSummary, QStringLiteral("Source filename - SONG.WAV"));
    EXPECT_TRUE(answer.bOk);
    EXPECT_EQ(answer.nFragments, 3);
    EXPECT_EQ(answer.strBaseName, "/tmp/cut");
}
