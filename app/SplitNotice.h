#pragma once

#include <QMessageBox>
#include <functional>
#include <string>
#include <vector>

class QUrl;

// The names, one a line after the text; past kListedNames of them, the first
// of those and how many more.
inline constexpr size_t kListedNames = 10;
std::string TextWithNames(const std::string& strText, const std::vector<std::string>& names);

// Opens a folder in the desktop's file manager; the program's own goes
// through QDesktopServices, tests give one that only records.
using FolderOpener = std::function<void(const QUrl&)>;

// The notice at the end of a split that wrote files (caption "Information"):
// the files written (all of them under Show Details when the list is cut
// short), an "Open Folder" button that opens the folder of the
// first through the opener, and OK.
class CSplitNotice : public QMessageBox {
    Q_OBJECT
public:
    CSplitNotice(const std::vector<std::string>& written, FolderOpener opener, QWidget* pParent);

    QAbstractButton* GetOpenFolderButton() const { return m_pOpenFolder; }

private:
    QAbstractButton* m_pOpenFolder;
};
