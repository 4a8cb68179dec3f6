#include "app/QtAudioUi.h"

#include "app/MainDlg.h"
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

CShredAnswer CQtAudioUi::RunWaveShredDialog(const CWaveShredArgs&)
{
    return {};
}

CShredAnswer CQtAudioUi::RunMp3ShredDialog(const CMp3ShredArgs&)
{
    return {};
}

void CQtAudioUi::ShowWaveInformation(const CWaveInfoValues&) {}

void CQtAudioUi::ShowMp3Information(const CMp3InfoValues&) {}
