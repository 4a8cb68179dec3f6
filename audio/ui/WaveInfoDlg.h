#pragma once

#include "audio/WaveInfo.h"

#include <QDialog>
#include <memory>

namespace Ui {
class WaveInfoDlg;
}

// The modal "File Information" window of a WAV file: nine lines read from its
// header and an OK button, which has the focus. It only displays.
class CWaveInfoDlg : public QDialog {
    Q_OBJECT
public:
    CWaveInfoDlg(const CWaveInfoValues& info, QWidget* pOwner);
    ~CWaveInfoDlg() override;

private:
    std::unique_ptr<Ui::WaveInfoDlg> m_pUi;
};

void ShowWaveInformationDialog(const CWaveInfoValues& info, QWidget* pOwner);
