// The progress window's Cancel button, close box and Alt+C; the main window after a cancelled save.
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
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Each way of cancelling sets the flag and leaves the window up until the writer stops.
TEST(ProgressWindowCancel, ButtonCloseBoxAndAltC)
{
    const std::function<void(CShredProgressDlg&)> ways[] = {
        [](CShredProgressDlg& dlg) { ByControlId<QAbstractButton>(dlg, 2)->click(); },
        [](CShredProgressDlg& dlg) { EXPECT_FALSE(dlg.close()); },
        [](CShredProgressDlg& dlg) {
            QApplication::setActiveWindow(&dlg);
            ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
            QTest::keyClick(&dlg, Qt::Key_Escape);
            EXPECT_FALSE(dlg.IsCancelled()) << "Escape does nothing";
            QTest::keyClick(&dlg, Qt::Key_C, Qt::AltModifier);
            EXPECT_TRUE(QTest::qWaitFor([&] { return dlg.IsCancelled(); }));
        }};
    for (const auto& cancel : ways) {
        CShredProgressDlg dlg(nullptr);
        cancel(dlg);
        EXPECT_TRUE(dlg.IsCancelled());
        EXPECT_TRUE(dlg.isVisible());
    }
}

struct CQuietServices : IFileDialogs, IMediaPlayer {
    std::optional<std::string> OpenFile(CWnd*, const CFileDialogArgs&) override { return strNext; }
    std::optional<std::string> SaveFile(CWnd*, const CFileDialogArgs&) override { return strNext; }
    void SetFileName(const std::string&) override {}
    double GetCurrentPosition() const override { return 0.0; }
    void SetCurrentPosition(double) override {}
    void Play() override {} void Stop() override {} void Pause() override {}
    std::string GetErrorDescription() const override { return {}; }
    void SetEvents(IMediaPlayerEvents*) override {}
    std::string strNext;
};

// After a cancelled save the main window shows only the Information box, and no file is left.
TEST(MainWindowAfterCancel, SaveShowsOnlyThatNothingWasWritten)
{
    CTempDir dir;
    CFakeUi ui;
    CQuietServices services;
    CQtSettings settings{QString::fromStdString(dir / "Tolvane.conf")};
    CMainDlg dlg({ui, services, settings, services});
    WriteBytes(dir / "take.wav", BuildWav({.channels = 1, .samplesPerSec = 8000, .avgBytesPerSec = 8000,
                                           .blockAlign = 1, .bitsPerSample = 8, .dataBytes = 8000 * 10}));
    services.strNext = dir / "take.wav";
    dlg.findChild<QAction*>(QStringLiteral("actionOpen"))->trigger();
    ui.cancelAfterFileSteps = 0;
    services.strNext = dir / "piece.wav";
    for (auto [nId, nSteps] : {std::pair{1046, 1}, {1040, 3}, {1042, 0}}) { // Start at 1 s, End at 4 s, Save
        for (int i = 0; i < nSteps; ++i)
            QTest::keyClick(ByControlId<QWidget>(dlg, 1039), Qt::Key_Right);
        ByControlId<QAbstractButton>(dlg, nId)->click();
    }
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].strCaption + ": " + ui.messages[0].strText,
              "Information: The writing was cancelled. No file was written.");
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"Tolvane.conf", "take.wav"}));
}

} // namespace
