#include "split/ShredProgressDlg.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <gtest/gtest.h>

namespace {

QWidget* ByControlId(QWidget& root, int nId)
{
    for (QWidget* w : root.findChildren<QWidget*>())
        if (w->property("controlId").toInt() == nId)
            return w;
    return nullptr;
}

// Counts the paint events a widget receives.
class CPaintCounter : public QObject {
public:
    int nPaints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++nPaints;
        return false;
    }
};

} // namespace

TEST(ProgressWindow, LooksAsDesigned)
{
    CShredProgressDlg dlg(nullptr);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.isModal());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Shreding... "));
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowSystemMenuHint);
    QStringList titles;
    for (QGroupBox* box : dlg.findChildren<QGroupBox*>())
        titles << box->title();
    EXPECT_TRUE(titles.contains(QStringLiteral("Gross progress")));
    EXPECT_TRUE(titles.contains(QStringLiteral("File progress")));
    EXPECT_EQ(ByControlId(dlg, 1027), dlg.GetGrossBarWidget());
    EXPECT_EQ(ByControlId(dlg, 1028), dlg.GetFileBarWidget());
}

TEST(ProgressWindow, ShowsTheStateOnItsBarsAndLines)
{
    CShredProgressDlg dlg(nullptr);
    dlg.SetTotalFiles(4);
    dlg.SetFileBytes(100000);
    dlg.ShowFileNames("a.wav", "A-2.wav");
    dlg.ShowFileNumber(2);
    for (int i = 0; i < 5; ++i)
        dlg.StepFile();
    dlg.StepGross();
    EXPECT_EQ(dlg.GetFileBarWidget()->value(), CShredProgressDlg::kBarScale / 2);
    EXPECT_EQ(dlg.GetGrossBarWidget()->value(), CShredProgressDlg::kBarScale / 4);
    auto* pLine1 = qobject_cast<QLabel*>(ByControlId(dlg, 1010));
    auto* pLine2 = qobject_cast<QLabel*>(ByControlId(dlg, 1011));
    ASSERT_TRUE(pLine1 && pLine2);
    EXPECT_EQ(pLine1->text(), QStringLiteral("Shreding a.wav to A-2.wav"));
    EXPECT_EQ(pLine2->text(), QStringLiteral("2 out of 4 file(s)"));
    dlg.DestroyWindow();
    EXPECT_FALSE(dlg.isVisible());
}

// The writers hold the thread while they copy; the window must still paint.
TEST(ProgressWindow, PaintsWhileTheThreadIsBusy)
{
    CShredProgressDlg dlg(nullptr);
    CPaintCounter counter;
    dlg.GetFileBarWidget()->installEventFilter(&counter);
    dlg.SetTotalFiles(1);
    dlg.SetFileBytes(1000000);
    const int nBefore = counter.nPaints;
    for (int i = 0; i < 99; ++i)
        dlg.StepFile(); // no event loop runs in between
    EXPECT_GT(counter.nPaints, nBefore + 10);
    EXPECT_EQ(dlg.GetFileBarWidget()->value(), 9900);
}
