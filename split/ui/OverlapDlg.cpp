#include "split/ui/OverlapDlg.h"

#include "platform/ui/KeyFilter.h"
#include "platform/ui/QtWindow.h"
#include "split/OverlapSetting.h"
#include "ui_OverlapDlg.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

namespace {

// The arrows' scroll bar rests in the middle of this range, so that both
// arrows always have somewhere to go.
constexpr int kArrowRest = 1;

} // namespace

COverlapDlg::COverlapDlg(ISettings& settings, IMessageBoxes& boxes, QWidget* pOwner)
    : COverlapDlg(0, false, settings, boxes, pOwner)
{
}

COverlapDlg::COverlapDlg(uint32_t nOverlap, bool bUseValue, ISettings& settings, IMessageBoxes& boxes,
                         QWidget* pOwner)
    : QDialog(pOwner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_pUi(std::make_unique<Ui::OverlapDlg>()), m_settings(settings), m_boxes(boxes),
      m_nOverlap(bUseValue ? nOverlap : ReadOverlap(settings))
{
    m_pUi->setupUi(this);
    setModal(true);
    CKeyFilter::SwallowEnterAndEscape(this);

    QLineEdit* pEdit = m_pUi->timeEdit;
    pEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), pEdit));
    // Room for a few digits, in the dialog's own font.
    const QFontMetrics metrics = pEdit->fontMetrics();
    pEdit->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("0000000")) +
                         pEdit->textMargins().left() + pEdit->textMargins().right() + 2 * metrics.averageCharWidth());
    pEdit->installEventFilter(this);

    QScrollBar* pArrows = m_pUi->timeArrows;
    pArrows->setRange(kArrowRest - 1, kArrowRest + 1);
    pArrows->setSingleStep(1);
    pArrows->setPageStep(1);
    pArrows->setValue(kArrowRest);
    pArrows->setFixedHeight(pEdit->sizeHint().height());
    connect(pArrows, &QAbstractSlider::actionTriggered, this, &COverlapDlg::OnArrow);

    m_pUi->introText->setMinimumWidth(metrics.averageCharWidth() * 50);

    connect(m_pUi->saveCheck, &QCheckBox::toggled, this, &COverlapDlg::OnSaveToggled);
    connect(m_pUi->okButton, &QPushButton::clicked, this, &COverlapDlg::OnOk);
    connect(m_pUi->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

COverlapDlg::~COverlapDlg() = default;

void COverlapDlg::showEvent(QShowEvent* pEvent)
{
    ShowOverlap();
    QDialog::showEvent(pEvent);
}

// Up and Down in the field work the arrows, for those who use the keyboard.
bool COverlapDlg::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_pUi->timeEdit && pEvent->type() == QEvent::KeyPress) {
        const int nKey = static_cast<QKeyEvent*>(pEvent)->key();
        if (nKey == Qt::Key_Up || nKey == Qt::Key_Down) {
            m_pUi->timeArrows->triggerAction(nKey == Qt::Key_Up ? QAbstractSlider::SliderSingleStepSub
                                                                : QAbstractSlider::SliderSingleStepAdd);
            return true;
        }
    }
    return QDialog::eventFilter(pWatched, pEvent);
}

// The upper arrow adds a second, the lower one takes one away. They step the
// time the dialog holds, not what is typed in the field, and do nothing while
// the time is to be saved.
void COverlapDlg::OnArrow(int nAction)
{
    m_pUi->timeArrows->setSliderPosition(kArrowRest);
    if (m_pUi->saveCheck->isChecked())
        return;
    if (nAction != QAbstractSlider::SliderSingleStepSub && nAction != QAbstractSlider::SliderSingleStepAdd)
        return;
    m_nOverlap = StepOverlap(m_nOverlap, nAction == QAbstractSlider::SliderSingleStepSub);
    ShowOverlap();
}

void COverlapDlg::OnSaveToggled(bool bChecked)
{
    m_pUi->timeEdit->setEnabled(!bChecked);
}

void COverlapDlg::OnOk()
{
    m_nOverlap = ParseOverlapText(m_pUi->timeEdit->text().toStdString());
    if (m_pUi->saveCheck->isChecked()) {
        CQtWnd wnd(this);
        SaveOverlap(m_settings, m_nOverlap, m_boxes, &wnd);
    }
    accept();
}

void COverlapDlg::ShowOverlap()
{
    m_pUi->timeEdit->setText(QString::number(m_nOverlap));
}
