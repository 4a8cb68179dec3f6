#pragma once

#include "split/ShredProgressState.h"

#include <QDialog>
#include <memory>

class QProgressBar;
namespace Ui {
class ShredProgressDlg;
}

// The modeless "Shreding... " window shown while files are written: two lines
// and the gross and file bars, no close box, no input. The writers call it from
// the user-interface thread while they copy, with no event loop running, so
// every change is painted at once, without handling any event.
class CShredProgressDlg : public QDialog, public CShredProgressState {
    Q_OBJECT
public:
    explicit CShredProgressDlg(QWidget* pOwner);
    ~CShredProgressDlg() override;

    void DestroyWindow() override;

    // The bars show positions on this scale, whatever the byte counts.
    static constexpr int kBarScale = 10000;

protected:
    void OnBarsChanged() override;
    void OnLinesChanged() override;

private:
    void WaitUntilShown();

    std::unique_ptr<Ui::ShredProgressDlg> m_pUi;
    QProgressBar* m_pGrossBar;
    QProgressBar* m_pFileBar;
};
