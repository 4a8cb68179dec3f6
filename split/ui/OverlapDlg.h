#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>

class IMessageBoxes;
class ISettings;
namespace Ui {
class OverlapDlg;
}

// The modal "Customize overlap..." dialog: a field for the overlap time in
// seconds with arrows beside it, and a check box that stores the time when the
// dialog is closed with OK. GetOverlap() is what the dialog leaves, whichever
// way it was closed: OK takes the typed number, Cancel keeps the arrow steps.
// Its "Exact cuts" box shows the stored setting, which OK stores as checked.
class COverlapDlg : public QDialog {
    Q_OBJECT
public:
    // Starts from the stored overlap time.
    COverlapDlg(ISettings& settings, IMessageBoxes& boxes, QWidget* pOwner);
    // Starts from nOverlap when bUseValue, else from the stored time.
    COverlapDlg(uint32_t nOverlap, bool bUseValue, ISettings& settings, IMessageBoxes& boxes, QWidget* pOwner);
    ~COverlapDlg() override;

    uint32_t GetOverlap() const { return m_nOverlap; }

protected:
    void showEvent(QShowEvent* pEvent) override;

private:
    void OnArrow(int nStep);
    void OnSaveToggled(bool bChecked);
    void OnOk();
    void ShowOverlap();

    std::unique_ptr<Ui::OverlapDlg> m_pUi;
    ISettings& m_settings;
    IMessageBoxes& m_boxes;
    uint32_t m_nOverlap;
};
