#pragma once

#include "audio/AudioUi.h"

class IFileDialogs;
class CMainDlg;

// The audio file model's windows in the desktop program: Qt message boxes,
// the progress window, and the Shred Equally and File Information dialogs
// over the main window.
class CQtAudioUi : public IAudioUi {
public:
    CQtAudioUi(IMessageBoxes& boxes, IFileDialogs& files);

    // The main window the Shred Equally dialog reaches back into.
    void SetMainWindow(CMainDlg* pMainDlg) { m_pMainDlg = pMainDlg; }

    EMsgAnswer MessageBox(CWnd* pOwner, const std::string& strText, const std::string& strCaption, EMsgIcon icon,
                          EMsgButtons buttons) override;
    std::unique_ptr<IShredProgress> CreateProgress(CWnd* pOwner) override;
    CShredAnswer RunWaveShredDialog(const CWaveShredArgs& args) override;
    CShredAnswer RunMp3ShredDialog(const CMp3ShredArgs& args) override;
    void ShowWaveInformation(const CWaveInfoValues& info) override;
    void ShowMp3Information(const CMp3InfoValues& info) override;

private:
    IMessageBoxes& m_boxes;
    IFileDialogs& m_files;
    CMainDlg* m_pMainDlg = nullptr;
};
