#include "platform/ui/QtMessageBoxes.h"
#include "platform/ui/QtWindow.h"
#include "split/ui/ShredProgressDlg.h"
#include "support/UiControls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
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

} // namespace

TEST(ProgressWindow, RepaintsWithoutRunningEventsDuringSteps)
{
    CShredProgressDlg dlg(nullptr);
    dlg.SetTotalFiles(4);
    dlg.SetFileBytes(100000);
    CPaintCounter counter;
    QProgressBar* pFileBar = qobject_cast<QProgressBar*>(ByControlId(dlg, 1028));
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
    CQtMessageBoxes boxes;
    const std::vector<std::tuple<EMsgIcon, EMsgButtons, QMessageBox::StandardButton, EMsgAnswer>> cases{
        {EMsgIcon::Question, EMsgButtons::YesNo, QMessageBox::No, EMsgAnswer::No},
        {EMsgIcon::Stop, EMsgButtons::Ok, QMessageBox::Ok, EMsgAnswer::Ok}};
    for (const auto& [icon, buttons, press, answer] : cases) {
        QString strSeen;
        QTimer::singleShot(0, [&, press = press] {
            auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            strSeen = pBox->windowTitle() + QStringLiteral(": ") + pBox->text() +
                      (pBox->parentWidget() == &owner ? QString() : QStringLiteral(" (unowned)"));
            pBox->button(press)->click();
        });
        EXPECT_EQ(boxes.MessageBox(&wnd, "Keep it?", "Confirm", icon, buttons), answer);
        EXPECT_EQ(strSeen, QStringLiteral("Confirm: Keep it?"));
    }
}
