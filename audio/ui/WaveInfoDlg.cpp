#include "audio/ui/WaveInfoDlg.h"

#include "platform/ui/DialogFlags.h"
#include "platform/ui/KeyFilter.h"
#include "ui_WaveInfoDlg.h"

CWaveInfoDlg::CWaveInfoDlg(const CWaveInfoValues& info, QWidget* pOwner)
    : QDialog(pOwner, kDialogFlags), m_pUi(std::make_unique<Ui::WaveInfoDlg>())
{
    m_pUi->setupUi(this);
    setModal(true);
    CKeyFilter::SwallowEnterAndEscape(this);
    // Each line is shown whole: the window widens for a long file name.
    QLabel* const labels[] = {m_pUi->line1, m_pUi->line2, m_pUi->line3, m_pUi->line4, m_pUi->line5,
                              m_pUi->line6, m_pUi->line7, m_pUi->line8, m_pUi->line9};
    const auto lines = FormatWaveInfoLines(info);
    for (size_t i = 0; i < lines.size(); ++i)
        labels[i]->setText(QString::fromStdString(lines[i]));
    m_pUi->line1->setMinimumWidth(m_pUi->line1->fontMetrics().averageCharWidth() * 50);
    connect(m_pUi->okButton, &QPushButton::clicked, this, &QDialog::accept);
    m_pUi->okButton->setFocus();
}

CWaveInfoDlg::~CWaveInfoDlg() = default;

void ShowWaveInformationDialog(const CWaveInfoValues& info, QWidget* pOwner)
{
    CWaveInfoDlg dlg(info, pOwner);
    dlg.exec();
}
