#include "platform/ui/QtMessageBoxes.h"
#include "platform/ui/QtWindow.h"
#include "split/ui/ShredProgressDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QWidget* ByControlId(QWidget& root, int nId)
{
    for (QWidget* w : root.findChildren<QWidget*>())
        if (w->property("controlId").toInt() == nId)
            return w;
    return nullptr;
}

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
    // The writers hold the thread while they copy: the bar must paint anyway,
    // and no timer or queued call of the program runs meanwhile.
    CPaintCounter counter;
    QProgressBar* pFileBar = qobject_cast<QProgressBar*>(ByControlId(dlg, 1028));
    pFileBar->installEventFilter(&counter);
    bool bTimerFired = false, bQueuedRan = false;
    QTimer::singleShot(0, [&] { bTimerFired = true; });
    QMetaObject::invokeMethod(&dlg, [&] { bQueuedRan = true; }, Qt::QueuedConnection);
    for (int i = 0; i < 5; ++i) {
        dlg.StepFile(); // no event loop runs in between, however long a block takes
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
        QMessageBox* pSeen = nullptr;
        QString strTitle;
        QTimer::singleShot(0, [&, press = press] {
            pSeen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            strTitle = pSeen->windowTitle();
            EXPECT_EQ(pSeen->parentWidget(), &owner);
            EXPECT_EQ(pSeen->text(), QStringLiteral("Keep it?"));
            pSeen->button(press)->click();
        });
        EXPECT_EQ(boxes.MessageBox(&wnd, "Keep it?", "Confirm", icon, buttons), answer);
        EXPECT_EQ(strTitle, QStringLiteral("Confirm"));
    }
}
