#include "split/ui/OverlapDlg.h"

#include "platform/ui/ArrowField.h"
#include "platform/ui/DialogFlags.h"
#include "platform/ui/KeyFilter.h"
#include "platform/ui/QtWindow.h"
#include "split/OverlapSetting.h"
#include "ui_OverlapDlg.h"

COverlapDlg::COverlapDlg(ISettings& settings, IMessageBoxes& boxes, QWidget* pOwner)
    : COverlapDlg(0, false, settings, boxes, pOwner)
{
}

COverlapDlg::COverlapDlg(uint32_t nOverlap, bool bUseValue, ISettings& settings, IMessageBoxes& boxes,
                         QWidget* pOwner)
    : QDialog(pOwner, kDialogFlags),
      m_pUi(std::make_unique<Ui::OverlapDlg>()), m_settings(settings), m_boxes(boxes),
      m_nOverlap(bUseValue ? nOverlap : ReadOverlap(settings))
{
    m_pUi->setupUi(this);
    setModal(true);
    CKeyFilter::SwallowEnterAndEscape(this);

    new CArrowField(m_pUi->timeEdit, m_pUi->timeArrows, 7, [this](int nStep) { OnArrow(nStep); });
    m_pUi->introText->setMinimumWidth(m_pUi->introText->fontMetrics().averageCharWidth() * 50);

    m_pUi->exactCheck->setChecked(ReadExactCuts(settings));
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

// The upper arrow adds a second, the lower one takes one away. They step the
// time the dialog holds, not what is typed in the field, and do nothing while
// the time is to be saved.
void COverlapDlg::OnArrow(int nStep)
{
    if (m_pUi->saveCheck->isChecked() || nStep == 0)
        return;
    m_nOverlap = StepOverlap(m_nOverlap, nStep > 0);
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
    // Exact cuts is a setting of its own: OK stores it whenever it changed.
    if (m_pUi->exactCheck->isChecked() != ReadExactCuts(m_settings)) {
        CQtWnd wnd(this);
        SaveExactCuts(m_settings, m_pUi->exactCheck->isChecked(), m_boxes, &wnd);
    }
    accept();
}

void COverlapDlg::ShowOverlap()
{
    m_pUi->timeEdit->setText(QString::number(m_nOverlap));
}
