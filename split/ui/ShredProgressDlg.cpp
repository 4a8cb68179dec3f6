#include "split/ui/ShredProgressDlg.h"

#include "platform/ui/KeyFilter.h"
#include "ui_ShredProgressDlg.h"

#include <QCloseEvent>
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

// Set while a progress window handles events for its writer, so that an
// event handled then never handles events again from here.
bool g_bHandlingEvents = false;

} // namespace

CShredProgressDlg::CShredProgressDlg(QWidget* pOwner)
    : QDialog(pOwner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_pUi(std::make_unique<Ui::ShredProgressDlg>())
{
    m_pUi->setupUi(this);
    CKeyFilter::SwallowEnterAndEscape(this);
    connect(m_pUi->cancelButton, &QPushButton::clicked, this, &CShredProgressDlg::RequestCancel);
    m_pGrossBar = m_pUi->grossBar;
    m_pFileBar = m_pUi->fileBar;
    for (QProgressBar* pBar : {m_pGrossBar, m_pFileBar}) {
        pBar->setRange(0, kBarScale);
        pBar->setValue(0);
    }
    setWindowModality(Qt::ApplicationModal);
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

bool CShredProgressDlg::IsCancelled()
{
    if (!g_bHandlingEvents && isVisible()) {
        g_bHandlingEvents = true;
        QCoreApplication::processEvents();
        g_bHandlingEvents = false;
    }
    return CShredProgressState::IsCancelled();
}

void CShredProgressDlg::RequestCancel()
{
    Cancel();
    m_pUi->cancelButton->setEnabled(false);
}

void CShredProgressDlg::closeEvent(QCloseEvent* pEvent)
{
    pEvent->ignore();
    RequestCancel();
}

void CShredProgressDlg::reject()
{
    RequestCancel();
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
// paints itself synchronously (repaint) on every step, and events are handled
// only when the writer asks IsCancelled(), between two batches of a copy.
// What can run then is safe there: the window is application-modal, so no
// command of the main window starts; playback was stopped before the writing
// began; and the player's events touch the time line and the buttons, never
// the file being cut.
void CShredProgressDlg::WaitUntilShown()
{
    QElapsedTimer waited;
    waited.start();
    constexpr auto kFlags = QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers;
    while (!(windowHandle() && windowHandle()->isExposed()) && waited.elapsed() < 250)
        QCoreApplication::processEvents(kFlags, 10);
    repaint();
}
