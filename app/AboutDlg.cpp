#include "app/AboutDlg.h"

#include "platform/ui/KeyFilter.h"
#include "ui_AboutDlg.h"

#include <QApplication>

CAboutDlg::CAboutDlg(QWidget* pOwner)
    : QDialog(pOwner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_pUi(std::make_unique<Ui::AboutDlg>())
{
    m_pUi->setupUi(this);
    CKeyFilter::SwallowEnterAndEscape(this);
    const int nIconSize = fontMetrics().height() * 4;
    m_pUi->iconLabel->setPixmap(QApplication::windowIcon().pixmap(nIconSize, nIconSize));
    m_pUi->versionLabel->setText(QStringLiteral("Tolvane Version %1").arg(QStringLiteral(TOLVANE_VERSION)));
    connect(m_pUi->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;
