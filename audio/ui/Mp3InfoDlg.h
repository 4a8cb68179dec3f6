#pragma once

#include "audio/Mp3Info.h"

#include <QDialog>
#include <memory>

namespace Ui {
class Mp3InfoDlg;
}

// The modal "File Information" window of an MP3 file: the ID3v1 tag's fields
// in read-only fields on the left, the frame header's values on the right, and
// an OK button, which has the focus. It only displays.
class CMp3InfoDlg : public QDialog {
    Q_OBJECT
public:
    CMp3InfoDlg(const CMp3InfoValues& info, QWidget* pOwner);
    ~CMp3InfoDlg() override;

private:
    std::unique_ptr<Ui::Mp3InfoDlg> m_pUi;
};

void ShowMp3InformationDialog(const CMp3InfoValues& info, QWidget* pOwner);
