#pragma once

#include "platform/FileDialogs.h"

#include <memory>

class QFileDialog;
class QWidget;

// Open and Save dialogs as Qt's own widget-based file dialog, the same on
// every desktop, owned by the owner's widget when there is one. Files are
// listed whatever the case of their names.
class CQtFileDialogs : public IFileDialogs {
public:
    std::optional<std::string> OpenFile(CWnd* pOwner, const CFileDialogArgs& args) override;
    std::optional<std::string> SaveFile(CWnd* pOwner, const CFileDialogArgs& args) override;

    // The dialog configured for Open or Save, not yet shown.
    static std::unique_ptr<QFileDialog> MakeDialog(QWidget* pParent, const CFileDialogArgs& args, bool bSave);
};
