#include "platform/ui/QtFileDialogs.h"

#include "platform/ui/QtWindow.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

namespace {

// Qt's spelling of a choice: the description without its own "(...)" tail,
// then the globs in parentheses, separated by blanks.
QString QtNameFilter(const CFileFilter& filter)
{
    QString strDescription = QString::fromStdString(filter.strDescription);
    if (strDescription.endsWith(QLatin1Char(')'))) {
        const qsizetype nOpen = strDescription.lastIndexOf(QLatin1Char('('));
        if (nOpen > 0)
            strDescription = strDescription.left(nOpen).trimmed();
    }
    QStringList globs;
    for (const std::string& strGlob : filter.globs)
        globs << QString::fromStdString(strGlob);
    return strDescription + QStringLiteral(" (") + globs.join(QLatin1Char(' ')) + QLatin1Char(')');
}

// Lists directories and the files the dialog's selected choice matches,
// without regard to case; Qt's own name filters are left at "*".
class CFilterProxy : public QSortFilterProxyModel {
public:
    CFilterProxy(QFileDialog& dialog, QStringList qtFilters, std::vector<CFileFilter> filters)
        : QSortFilterProxyModel(&dialog), m_dialog(dialog), m_qtFilters(std::move(qtFilters)),
          m_filters(std::move(filters))
    {
    }

    // Keeps the file system model's own order: folders first.
    void sort(int nColumn, Qt::SortOrder order) override
    {
        if (sourceModel())
            sourceModel()->sort(nColumn, order);
    }

protected:
    bool filterAcceptsRow(int nRow, const QModelIndex& parent) const override
    {
        const auto* pFiles = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!pFiles)
            return true;
        const QModelIndex index = pFiles->index(nRow, 0, parent);
        if (pFiles->isDir(index))
            return true;
        const qsizetype nChoice = m_qtFilters.indexOf(m_dialog.selectedNameFilter());
        if (nChoice < 0 || static_cast<std::size_t>(nChoice) >= m_filters.size())
            return true;
        return MatchesFilter(pFiles->fileName(index).toStdString(), m_filters[static_cast<std::size_t>(nChoice)].globs);
    }

private:
    QFileDialog& m_dialog;
    QStringList m_qtFilters;
    std::vector<CFileFilter> m_filters;
};

// Undoes the case-sensitive name filters the dialog gives its model on each
// change of choice, and lists again by the new choice.
void ListEveryName(QSortFilterProxyModel& proxy)
{
    if (auto* pFiles = qobject_cast<QFileSystemModel*>(proxy.sourceModel()))
        pFiles->setNameFilters({QStringLiteral("*")});
    proxy.invalidate();
}

std::optional<std::string> Run(QFileDialog& dialog, const std::string& strDefaultExt)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const std::string strPath = QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath().toStdString();
    return dialog.acceptMode() == QFileDialog::AcceptSave ? WithDefaultSuffix(strPath, strDefaultExt) : strPath;
}

} // namespace

std::unique_ptr<QFileDialog> CQtFileDialogs::MakeDialog(QWidget* pParent, const CFileDialogArgs& args, bool bSave)
{
    auto pDialog = std::make_unique<QFileDialog>(pParent);
    pDialog->setOption(QFileDialog::DontUseNativeDialog);
    pDialog->setWindowTitle(QString::fromStdString(args.strTitle));

    std::vector<CFileFilter> filters = ParseFileFilter(args.strFilter);
    QStringList qtFilters;
    for (const CFileFilter& filter : filters)
        qtFilters << QtNameFilter(filter);
    auto* pProxy = new CFilterProxy(*pDialog, qtFilters, std::move(filters));
    pDialog->setProxyModel(pProxy);
    if (!qtFilters.isEmpty())
        pDialog->setNameFilters(qtFilters);
    ListEveryName(*pProxy);
    // The dialog sets its model's filters before it tells of a new choice.
    QObject::connect(pDialog.get(), &QFileDialog::filterSelected, pProxy, [pProxy] { ListEveryName(*pProxy); });

    if (bSave) {
        pDialog->setAcceptMode(QFileDialog::AcceptSave);
        pDialog->setFileMode(QFileDialog::AnyFile);
        pDialog->setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        pDialog->setAcceptMode(QFileDialog::AcceptOpen);
        pDialog->setFileMode(QFileDialog::ExistingFile);
    }
    pDialog->setDefaultSuffix(QString::fromStdString(DefaultSuffix(args.strDefaultExt)));
    const QString strFolder = QString::fromStdString(args.strInitialFolder);
    if (!strFolder.isEmpty() && QFileInfo(strFolder).isDir())
        pDialog->setDirectory(strFolder);
    if (!args.strInitialName.empty())
        pDialog->selectFile(QString::fromStdString(args.strInitialName));
    return pDialog;
}

std::optional<std::string> CQtFileDialogs::OpenFile(CWnd* pOwner, const CFileDialogArgs& args)
{
    const auto pDialog = MakeDialog(CQtWnd::WidgetOf(pOwner), args, false);
    return Run(*pDialog, args.strDefaultExt);
}

std::optional<std::string> CQtFileDialogs::SaveFile(CWnd* pOwner, const CFileDialogArgs& args)
{
    const auto pDialog = MakeDialog(CQtWnd::WidgetOf(pOwner), args, true);
    return Run(*pDialog, args.strDefaultExt);
}
