#include "split/ui/EstimateDlg.h"

#include "platform/ui/DialogFlags.h"
#include "platform/ui/KeyFilter.h"
#include "ui_EstimateDlg.h"

CEstimateDlg::CEstimateDlg(QWidget* pOwner)
    : QDialog(pOwner, kDialogFlags), m_pUi(std::make_unique<Ui::EstimateDlg>())
{
    m_pUi->setupUi(this);
    setModal(true);
    CKeyFilter::SwallowEnterAndEscape(this);
    // The summary wraps within the width of the lines below it.
    m_pUi->summaryLine->setMinimumWidth(m_pUi->summaryLine->fontMetrics().averageCharWidth() * 60);
    connect(m_pUi->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CEstimateDlg::~CEstimateDlg() = default;

bool CEstimateDlg::Show(const std::array<std::string, 6>& lines)
{
    QLabel* const labels[] = {m_pUi->summaryLine, m_pUi->sourceLine,   m_pUi->countLine,
                              m_pUi->sizeLine,    m_pUi->playtimeLine, m_pUi->overlapLine};
    for (size_t i = 0; i < lines.size(); ++i)
        labels[i]->setText(QString::fromStdString(lines[i]));
    m_pUi->okButton->setFocus();
    return exec() == QDialog::Accepted;
}
