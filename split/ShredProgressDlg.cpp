#include "split/ShredProgressDlg.h"

#include "ui_ShredProgressDlg.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QScreen>

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
    m_sinceEvents.start();
    LetPaintThrough(true);
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
    LetPaintThrough(false);
}

void CShredProgressDlg::OnLinesChanged()
{
    m_pUi->line1->setText(QString::fromStdString(GetLine1()));
    m_pUi->line2->setText(QString::fromStdString(GetLine2()));
    m_pUi->line1->repaint();
    m_pUi->line2->repaint();
    LetPaintThrough(false);
}

// Handles window-system events (expose, paint) but no user input, a few times
// a second, so the window stays drawn while the copy holds the thread.
void CShredProgressDlg::LetPaintThrough(bool bForce)
{
    if (!bForce && m_sinceEvents.elapsed() < 50)
        return;
    m_sinceEvents.restart();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
