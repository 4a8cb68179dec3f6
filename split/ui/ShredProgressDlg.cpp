#include "split/ui/ShredProgressDlg.h"

#include "ui_ShredProgressDlg.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QElapsedTimer>
#include <QScreen>
#include <QWindow>

namespace {

int ScaledPos(const CStepBar& bar)
{
    const int64_t nSpan = bar.GetMax() - bar.GetMin();
    if (nSpan <= 0)
        return 0;
    return static_cast<int>((bar.GetPos() - bar.GetMin()) * CShredProgressDlg::kBarScale / nSpan);
}

} // namespace

CShredProgressDlg::CShredProgressDlg(QWidget* pOwner)
    : QDialog(pOwner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_pUi(std::make_unique<Ui::ShredProgressDlg>())
{
    m_pUi->setupUi(this);
    m_pGrossBar = m_pUi->grossBar;
    m_pFileBar = m_pUi->fileBar;
    for (QProgressBar* pBar : {m_pGrossBar, m_pFileBar}) {
        pBar->setRange(0, kBarScale);
        pBar->setValue(0);
    }
    setModal(false);
    adjustSize();
    if (!pOwner && screen())
        move(screen()->availableGeometry().center() - rect().center());
    show();
    WaitUntilShown();
}

CShredProgressDlg::~CShredProgressDlg() = default;

void CShredProgressDlg::DestroyWindow()
{
    hide();
}

void CShredProgressDlg::OnBarsChanged()
{
    // QProgressBar repaints at once when its value changes visibly.
    m_pGrossBar->setValue(ScaledPos(GetGrossBar()));
    m_pFileBar->setValue(ScaledPos(GetFileBar()));
}

void CShredProgressDlg::OnLinesChanged()
{
    m_pUi->line1->setText(QString::fromStdString(GetLine1()));
    m_pUi->line2->setText(QString::fromStdString(GetLine2()));
    m_pUi->line1->repaint();
    m_pUi->line2->repaint();
}

// Lets the window system map and expose the window before the first byte is
// copied, handling no user input and firing no timer. From then on the window
// paints itself synchronously (repaint) and no event is handled until the
// writer returns: a timer or a queued call of the program (the playback
// timer, a player's event) must not run in the middle of a copy.
void CShredProgressDlg::WaitUntilShown()
{
    QElapsedTimer waited;
    waited.start();
    constexpr auto kFlags = QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers;
    while (!(windowHandle() && windowHandle()->isExposed()) && waited.elapsed() < 250)
        QCoreApplication::processEvents(kFlags, 10);
    repaint();
}
