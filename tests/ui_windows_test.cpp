#include "app/AboutDlg.h"
#include "platform/ui/QtMessageBoxes.h"
#include "platform/ui/QtWindow.h"
#include "split/ui/ShredProgressDlg.h"
#include "support/UiControls.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct CPaintCounter : QObject {
    int nPaints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        nPaints += e->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

TEST(ProgressWindow, RepaintsWithoutRunningEventsDuringSteps)
{
    CShredProgressDlg dlg(nullptr);
    dlg.SetTotalFiles(4);
    dlg.SetFileBytes(100000);
    CPaintCounter counter;
    auto* pFileBar = ByControlId<QProgressBar>(dlg, 1028);
    pFileBar->installEventFilter(&counter);
    bool bTimerFired = false, bQueuedRan = false;
    QTimer::singleShot(0, [&] { bTimerFired = true; });
    QMetaObject::invokeMethod(&dlg, [&] { bQueuedRan = true; }, Qt::QueuedConnection);
    for (int i = 0; i < 5; ++i) {
        dlg.StepFile();
        dlg.ShowFileNames("a.wav", "A-" + std::to_string(i) + ".wav");
        QThread::msleep(60);
    }
    EXPECT_GE(counter.nPaints, 4);
    EXPECT_EQ(pFileBar->value(), CShredProgressDlg::kBarScale / 2);
    EXPECT_FALSE(bTimerFired || bQueuedRan);
    QApplication::processEvents();
    EXPECT_TRUE(bTimerFired && bQueuedRan);
}

TEST(QtMessageBoxes, ShowTheTextAndReturnTheButtonPressed)
{
    QWidget owner;
    CQtWnd wnd(&owner);
    for (const auto& [buttons, press, answer] :
         {std::tuple{EMsgButtons::YesNo, QMessageBox::No, EMsgAnswer::No},
          std::tuple{EMsgButtons::Ok, QMessageBox::Ok, EMsgAnswer::Ok}}) {
        QString strSeen;
        QTimer::singleShot(0, [&, press = press] {
            auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            strSeen = pBox->windowTitle() + QStringLiteral(": ") + pBox->text() +
                      (pBox->parentWidget() == &owner ? QString() : QStringLiteral(" (unowned)"));
            pBox->button(press)->click();
        });
        EXPECT_EQ(CQtMessageBoxes().MessageBox(&wnd, "Keep it?", "Confirm", EMsgIcon::Question, buttons), answer);
        EXPECT_EQ(strSeen, QStringLiteral("Confirm: Keep it?"));
    }
}

class KeyFilter : public ::testing::TestWithParam<Qt::Key> {};

// The program's own windows stay open whatever Enter or Escape would do (each
// dialog's table presses them too); a message box still answers to them.
TEST_P(KeyFilter, OwnWindowsIgnoreTheKeyMessageBoxesKeepIt)
{
    CAboutDlg about(nullptr);
    about.show();
    QTest::keyClick(&about, GetParam());
    EXPECT_TRUE(about.isVisible());

    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    box.show();
    QTest::keyClick(&box, GetParam());
    EXPECT_FALSE(box.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyFilter, ::testing::Values(Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape));

TEST(AboutDlg, OkClosesItAltOIncluded)
{
    CAboutDlg about(nullptr);
    about.show();
    QApplication::setActiveWindow(&about);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
    EXPECT_TRUE(about.findChild<QLabel*>(QStringLiteral("versionLabel"))->text().startsWith(u"Tolvane Version "));
    QTest::keyClick(&about, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !about.isVisible(); }));
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

} // namespace
