// The progress window's Cancel button, its close box and its mnemonic; the
// main window after a cancelled save or split.
#include "app/MainDlg.h"
#include "doubles/FakeUi.h"
#include "platform/FileDialogs.h"
#include "platform/ui/QtSettings.h"
#include "split/ui/ShredProgressDlg.h"
#include "support/TempDir.h"
#include "support/UiControls.h"
#include "support/WavBuilder.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <deque>
#include <gtest/gtest.h>

namespace {

constexpr int kCancelId = 2;

QPushButton& CancelButton(CShredProgressDlg& dlg)
{
    return *ByControlId<QPushButton>(dlg, kCancelId);
}

// The button is named for screen readers by its text, with its mnemonic.
TEST(ProgressWindowCancel, TheButtonCancelsAndTheWindowStays)
{
    CShredProgressDlg dlg(nullptr);
    QPushButton& button = CancelButton(dlg);
    EXPECT_EQ(button.text(), QStringLiteral("&Cancel"));
    EXPECT_EQ(dlg.windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dlg.IsCancelled());
    button.click();
    EXPECT_TRUE(dlg.IsCancelled());
    EXPECT_FALSE(button.isEnabled()) << "a second click has nothing left to do";
    EXPECT_TRUE(dlg.isVisible()) << "the window stays until the writer stops";
}

TEST(ProgressWindowCancel, TheCloseBoxCancelsWithoutClosing)
{
    CShredProgressDlg dlg(nullptr);
    EXPECT_FALSE(dlg.close());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.IsCancelled());
}

// Alt+C cancels; Enter and Escape, like in every window of the program, do nothing.
TEST(ProgressWindowCancel, KeyboardAltCCancelsEnterAndEscapeDoNot)
{
    CShredProgressDlg dlg(nullptr);
    QApplication::setActiveWindow(&dlg);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(&dlg, key);
        EXPECT_FALSE(dlg.IsCancelled()) << key;
        EXPECT_TRUE(dlg.isVisible()) << key;
    }
    QTest::keyClick(&dlg, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dlg.IsCancelled(); }));
}

// While the writer copies no event is handled, except when it asks whether
// the user cancelled: a click waiting then is taken at once.
TEST(ProgressWindowCancel, AClickWaitingIsTakenWhenTheWriterAsks)
{
    CShredProgressDlg dlg(nullptr);
    QMetaObject::invokeMethod(&CancelButton(dlg), &QPushButton::click, Qt::QueuedConnection);
    dlg.SetTotalFiles(2);
    dlg.SetFileBytes(100000);
    dlg.StepFile();
    EXPECT_TRUE(CancelButton(dlg).isEnabled()) << "a step handles no event";
    EXPECT_TRUE(dlg.IsCancelled());
    dlg.DestroyWindow();
    EXPECT_FALSE(dlg.isVisible());
}

// The file dialogs answer in turn; the player does nothing.
struct CQuietServices : IFileDialogs, IMediaPlayer {
    std::optional<std::string> OpenFile(CWnd*, const CFileDialogArgs&) override { return Next(); }
    std::optional<std::string> SaveFile(CWnd*, const CFileDialogArgs&) override { return Next(); }
    std::optional<std::string> Next()
    {
        std::optional<std::string> answer;
        if (!answers.empty())
            answer = answers.front(), answers.pop_front();
        return answer;
    }
    void SetFileName(const std::string&) override {}
    double GetCurrentPosition() const override { return 0.0; }
    void SetCurrentPosition(double) override {}
    void Play() override {}
    void Stop() override {}
    void Pause() override {}
    std::string GetErrorDescription() const override { return {}; }
    void SetEvents(IMediaPlayerEvents*) override {}
    std::deque<std::optional<std::string>> answers;
};

// The main window shows only what the model told after a cancel: no error.
class MainWindowAfterCancel : public ::testing::Test {
protected:
    MainWindowAfterCancel() : dlg({ui, services, settings, services})
    {
        WriteBytes(strWav, BuildWav({.channels = 1, .samplesPerSec = 8000, .avgBytesPerSec = 8000, .blockAlign = 1,
                                     .bitsPerSample = 8, .dataBytes = 8000 * 10}));
        services.answers = {strWav};
        dlg.findChild<QAction*>(QStringLiteral("actionOpen"))->trigger();
    }
    void Click(int nId) { ByControlId<QAbstractButton>(dlg, nId)->click(); }

    CTempDir dir;
    CFakeUi ui;
    CQuietServices services;
    CQtSettings settings{QString::fromStdString(dir / "Tolvane.conf")};
    CMainDlg dlg;
    std::string strWav = dir / "take.wav";
};

TEST_F(MainWindowAfterCancel, SaveShowsOnlyThatNothingWasWritten)
{
    auto& slider = *ByControlId<QWidget>(dlg, 1039);
    QTest::keyClick(&slider, Qt::Key_Right);
    Click(1046); // Start
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&slider, Qt::Key_Right);
    Click(1040); // End
    ui.cancelAfterFileSteps = 0;
    services.answers = {dir / "piece.wav"};
    Click(1042); // Save
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].strCaption, "Information");
    EXPECT_EQ(ui.messages[0].strText, "The writing was cancelled. No file was written.");
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"Tolvane.conf", "take.wav"}));
}

TEST_F(MainWindowAfterCancel, ShredShowsOnlyTheFragmentsWritten)
{
    ui.shredAnswer = {.bOk = true, .nFragments = 3, .strBaseName = dir / "part"};
    ui.cancelAfterFileSteps = 2; // fragment 1 of 26666 bytes steps twice
    dlg.findChild<QAction*>(QStringLiteral("actionShred"))->trigger();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].strCaption, "Information");
    EXPECT_EQ(ui.messages[0].strText, "The writing was cancelled. These files were written:\n" + dir / "PART-1.wav");
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"PART-1.wav", "Tolvane.conf", "take.wav"}));
}

} // namespace
