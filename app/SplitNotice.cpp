#include "app/SplitNotice.h"

#include "platform/FormatText.h"
#include "res/Messages.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QPushButton>
#include <QUrl>

std::string TextWithNames(const std::string& strText, const std::vector<std::string>& names)
{
    std::string strAll = strText;
    const size_t nListed = names.size() > kListedNames + 1 ? kListedNames : names.size();
    for (size_t i = 0; i < nListed; ++i)
        strAll += "\n" + names[i];
    if (nListed < names.size())
        strAll += "\n" + FormatText(kAndMoreFormat, names.size() - nListed);
    return strAll;
}

CSplitNotice::CSplitNotice(const std::vector<std::string>& written, FolderOpener opener, QWidget* pParent)
    : QMessageBox(pParent)
{
    setWindowTitle(QString::fromUtf8(kSplitDoneCaption));
    setIcon(QMessageBox::Information);
    setText(QString::fromStdString(TextWithNames(kSplitDoneText, written)));
    if (written.size() > kListedNames + 1) {
        QStringList all;
        for (const std::string& strPath : written)
            all << QString::fromStdString(strPath);
        setDetailedText(all.join(QLatin1Char('\n')));
    }
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_pOpenFolder = addButton(QString::fromUtf8(kOpenFolderButton), QMessageBox::ActionRole);
    setDefaultButton(addButton(QMessageBox::Ok));
    // The fragments of a split share one folder.
    const QString strFolder =
        written.empty() ? QString() : QFileInfo(QString::fromStdString(written.front())).absolutePath();
    m_pOpenFolder->setEnabled(!strFolder.isEmpty());
    // The box closes after the folder is opened, as after OK.
    connect(m_pOpenFolder, &QAbstractButton::clicked, this,
            [opener = std::move(opener), strFolder] { opener(QUrl::fromLocalFile(strFolder)); });
}
