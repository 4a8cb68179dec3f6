#pragma once

#include <QMessageBox>
#include <functional>
#include <string>
#include <vector>

class QUrl;

// Opens a folder in the desktop's file manager; the program's own goes
// through QDesktopServices, tests give one that only records.
using FolderOpener = std::function<void(const QUrl&)>;

// The notice at the end of a split that wrote files (caption "Information"):
// the files written, an "Open Folder" button that opens the folder of the
// first through the opener, and OK.
class CSplitNotice : public QMessageBox {
    Q_OBJECT
public:
    CSplitNotice(const std::vector<std::string>& written, FolderOpener opener, QWidget* pParent);

    QAbstractButton* GetOpenFolderButton() const { return m_pOpenFolder; }

private:
    QAbstractButton* m_pOpenFolder;
};
