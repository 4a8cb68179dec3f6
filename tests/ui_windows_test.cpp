#include "app/AboutDlg.h"
#include "platform/ui/QtMessageBoxes.h"
#include "platform/ui/QtWindow.h"
#include "split/ui/ShredProgressDlg.h"
#include "support/UiControls.h"

#include <QApplication>
#include <QProgressBar>
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

// The progress window paints each step at once, without running timers or queued events.
TEST(ProgressWindow, RepaintsWithoutRunningEventsDuringSteps)
{
    CShredProgressDlg dlg(nullptr);
    dlg.SetTotalFiles(4);
    dlg.SetFileBytes(100000);
    CPaintCounter counter;
    auto* pFileBar = ByControlId<QProgressBar>(dlg, 1028);
    pFileBar->installEventFilter(&counter);
    bool bQueuedRan = false;
    QMetaObject::invokeMethod(&dlg, [&] { bQueuedRan = true; }, Qt::QueuedConnection);
    dlg.StepFile();
    dlg.StepFile();
    EXPECT_GE(counter.nPaints, 2);
    EXPECT_EQ(pFileBar->value(), CShredProgressDlg::kBarScale / 5);
    EXPECT_FALSE(bQueuedRan);
}

// Own windows stay open on Enter or Escape, while message boxes answer to them; About closes with Alt+O.
TEST(KeyFilter, OwnWindowsIgnoreTheKeyMessageBoxesKeepIt)
{
    QWidget owner;
    CQtWnd wnd(&owner);
    CAboutDlg about(nullptr);
    about.show();
    for (auto [key, answer] : {std::pair{Qt::Key_Return, EMsgAnswer::Yes}, std::pair{Qt::Key_Enter, EMsgAnswer::Yes},
                               std::pair{Qt::Key_Escape, EMsgAnswer::No}}) {
        QTest::keyClick(&about, key);
        EXPECT_TRUE(about.isVisible()) << key;
        QTimer::singleShot(0, [key] { QTest::keyClick(QApplication::activeModalWidget(), key); });
        EXPECT_EQ(CQtMessageBoxes().MessageBox(&wnd, "Keep it?", "Confirm", EMsgIcon::Question, EMsgButtons::YesNo),
                  answer) << key;
    }
    QApplication::setActiveWindow(&about);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
    QTest::keyClick(&about, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !about.isVisible(); }));
}

} // namespace
