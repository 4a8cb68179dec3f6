#include "audio/ui/Mp3InfoDlg.h"

#include "platform/ui/DialogFlags.h"
#include "platform/ui/KeyFilter.h"
#include "ui_Mp3InfoDlg.h"

#include <algorithm>

CMp3InfoDlg::CMp3InfoDlg(const CMp3InfoValues& info, QWidget* pOwner)
    : QDialog(pOwner, kDialogFlags), m_pUi(std::make_unique<Ui::Mp3InfoDlg>())
{
    m_pUi->setupUi(this);
    setModal(true);
    CKeyFilter::SwallowEnterAndEscape(this);

    QLabel* const labels[] = {m_pUi->line1, m_pUi->line2, m_pUi->line3, m_pUi->line4, m_pUi->line5,
                              m_pUi->line6, m_pUi->line7, m_pUi->line8, m_pUi->line9};
    const auto lines = FormatMp3InfoLines(info);
    for (size_t i = 0; i < lines.size(); ++i)
        labels[i]->setText(QString::fromStdString(lines[i]));

    // The fields scroll, so every tag field is there whole; each shows its
    // beginning. The file name's field is as wide as the name, so the name is
    // seen whole without scrolling.
    QLineEdit* const fields[] = {m_pUi->titleEdit, m_pUi->artistEdit,  m_pUi->albumEdit,
                                 m_pUi->yearEdit,  m_pUi->commentEdit, m_pUi->genreEdit};
    const auto tag = FormatMp3TagFields(info);
    for (size_t i = 0; i < tag.size(); ++i)
        fields[i]->setText(QString::fromStdString(tag[i]));
    m_pUi->fileNameEdit->setText(QString::fromStdString(info.strFileName));
    for (QLineEdit* pField : findChildren<QLineEdit*>()) {
        pField->setMinimumWidth(pField->fontMetrics().averageCharWidth() * 30);
        pField->setCursorPosition(0);
    }
    QLineEdit* pName = m_pUi->fileNameEdit;
    const QMargins margins = pName->textMargins();
    pName->setMinimumWidth(std::max(pName->minimumWidth(),
                                    pName->fontMetrics().horizontalAdvance(pName->text()) + margins.left() +
                                        margins.right() + 2 * pName->fontMetrics().averageCharWidth()));

    connect(m_pUi->okButton, &QPushButton::clicked, this, &QDialog::accept);
    m_pUi->okButton->setFocus();
}

CMp3InfoDlg::~CMp3InfoDlg() = default;

void ShowMp3InformationDialog(const CMp3InfoValues& info, QWidget* pOwner)
{
    CMp3InfoDlg dlg(info, pOwner);
    dlg.exec();
}
