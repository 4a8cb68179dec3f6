#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class AboutDlg;
}

// The About box: the program's icon, its version and what it does. Only its
// OK button (Alt+O) closes it.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* pOwner);
    ~CAboutDlg() override;

private:
    std::unique_ptr<Ui::AboutDlg> m_pUi;
};
