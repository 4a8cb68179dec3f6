#pragma once

#include "split/ShredProgressState.h"

#include <QDialog>
#include <memory>

class QProgressBar;
namespace Ui {
class ShredProgressDlg;
}

// The "Shreding... " window shown while files are written: two lines, the
// gross and file bars, and a Cancel button (Alt+C); its close box cancels
// too. The writers call it from the user-interface thread while they copy,
// with no event loop running: every change is painted at once, without
// handling any event, and only when the writer asks IsCancelled() (between
// batches and files) does the window handle the events waiting, so that it
// repaints, moves and takes a click on Cancel. It is application-modal: while
// it is shown no other window of the program takes input, so nothing the
// user does can start another command in the middle of a copy.
class CShredProgressDlg : public QDialog, public CShredProgressState {
    Q_OBJECT
public:
    explicit CShredProgressDlg(QWidget* pOwner);
    ~CShredProgressDlg() override;

    void DestroyWindow() override;
    bool IsCancelled() override;

    // The bars show positions on this scale, whatever the byte counts.
    static constexpr int kBarScale = 10000;

protected:
    void OnBarsChanged() override;
    void OnLinesChanged() override;
    void closeEvent(QCloseEvent* pEvent) override;
    // Escape and anything else that would close the window cancel instead:
    // it stays up until the writer has stopped.
    void reject() override;

private:
    void WaitUntilShown();
    void RequestCancel();

    std::unique_ptr<Ui::ShredProgressDlg> m_pUi;
    QProgressBar* m_pGrossBar;
    QProgressBar* m_pFileBar;
};
