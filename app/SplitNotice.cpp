#include "app/SplitNotice.h"

#include "res/Messages.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QPushButton>
#include <QUrl>

CSplitNotice::CSplitNotice(const std::vector<std::string>& written, FolderOpener opener, QWidget* pParent)
    : QMessageBox(pParent)
{
    setWindowTitle(QString::fromUtf8(kSplitDoneCaption));
    setIcon(QMessageBox::Information);
    QString strText = QString::fromUtf8(kSplitDoneText);
    for (const std::string& strPath : written)
        strText += QLatin1Char('\n') + QString::fromStdString(strPath);
    setText(strText);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_pOpenFolder = addButton(QString::fromUtf8(kOpenFolderButton), QMessageBox::ActionRole);
    setDefaultButton(addButton(QMessageBox::Ok));
    const QString strFolder = written.empty() ? QString() : QFileInfo(QString::fromStdString(written.front())).absolutePath();
    m_pOpenFolder->setEnabled(!strFolder.isEmpty());
    // The box closes after the folder is opened, as after OK.
    connect(m_pOpenFolder, &QAbstractButton::clicked, this,
            [opener = std::move(opener), strFolder] { opener(QUrl::fromLocalFile(strFolder)); });
}
