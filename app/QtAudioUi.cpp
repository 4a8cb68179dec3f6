#include "app/QtAudioUi.h"

#include "app/MainDlg.h"
#include "audio/ui/Mp3InfoDlg.h"
#include "audio/ui/WaveInfoDlg.h"
#include "platform/ui/QtWindow.h"
#include "split/ui/ShredProgressDlg.h"

CQtAudioUi::CQtAudioUi(IMessageBoxes& boxes, IFileDialogs& files) : m_boxes(boxes), m_files(files) {}

EMsgAnswer CQtAudioUi::MessageBox(CWnd* pOwner, const std::string& strText, const std::string& strCaption,
                                  EMsgIcon icon, EMsgButtons buttons)
{
    return m_boxes.MessageBox(pOwner, strText, strCaption, icon, buttons);
}

std::unique_ptr<IShredProgress> CQtAudioUi::CreateProgress(CWnd* pOwner)
{
    return std::make_unique<CShredProgressDlg>(CQtWnd::WidgetOf(pOwner));
}

// The dialogs run over the main window, the only owner the audio file has.
CShredAnswer CQtAudioUi::RunWaveShredDialog(const CWaveShredArgs& args)
{
    return m_pMainDlg ? RunShredEquallyDialog(args, *m_pMainDlg, m_boxes, m_files, m_pMainDlg) : CShredAnswer{};
}

CShredAnswer CQtAudioUi::RunMp3ShredDialog(const CMp3ShredArgs& args)
{
    return m_pMainDlg ? RunShredEquallyDialog(args, *m_pMainDlg, m_boxes, m_files, m_pMainDlg) : CShredAnswer{};
}

void CQtAudioUi::ShowWaveInformation(const CWaveInfoValues& info)
{
    ShowWaveInformationDialog(info, m_pMainDlg);
}

void CQtAudioUi::ShowMp3Information(const CMp3InfoValues& info)
{
    ShowMp3InformationDialog(info, m_pMainDlg);
}
