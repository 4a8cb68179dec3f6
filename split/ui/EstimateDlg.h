#pragma once

#include "split/ShredValidation.h"

#include <QDialog>
#include <memory>

namespace Ui {
class EstimateDlg;
}

// The modal "Estimate" window: the summary and the five lines of a predicted
// fragment, with OK as its only button. OK confirms the estimate; the close
// box does not.
class CEstimateDlg : public QDialog, public IEstimateWindow {
    Q_OBJECT
public:
    explicit CEstimateDlg(QWidget* pOwner);
    ~CEstimateDlg() override;

    // Shows the lines (from FormatEstimateLines) modally; true when closed with OK.
    bool Show(const std::array<std::string, 6>& lines) override;

private:
    std::unique_ptr<Ui::EstimateDlg> m_pUi;
};
