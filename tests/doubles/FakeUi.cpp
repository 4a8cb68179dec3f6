#include "doubles/FakeUi.h"

#include "audio/Mp3Info.h"
#include "audio/WaveInfo.h"

#include <algorithm>

class CFakeUi::CProgress : public CShredProgressState {
public:
    explicit CProgress(CFakeUi& ui) : m_ui(ui) {}
    ~CProgress() override { m_ui.m_log.push_back("deleted"); }
    void SetTotalFiles(unsigned n) override { Note("total " + std::to_string(n)); CShredProgressState::SetTotalFiles(n); }
    void SetFileBytes(uint64_t n) override { Note("bytes " + std::to_string(n)); CShredProgressState::SetFileBytes(n); }
    void StepGross() override { Note("step gross"); CShredProgressState::StepGross(); }
    void StepFile() override
    {
        ++m_nFileSteps;
        Note("step file", m_ui.onStepFile);
        CShredProgressState::StepFile();
    }
    // Not logged: the writers ask it between batches, which the log leaves out.
    bool IsCancelled() override
    {
        return m_ui.cancelAfterFileSteps >= 0 && m_nFileSteps >= m_ui.cancelAfterFileSteps;
    }
    void ShowFileNames(std::string a, std::string b) override
    {
        Note("names " + a + " " + b); CShredProgressState::ShowFileNames(a, b);
    }
    void ShowFileNumber(unsigned n) override { Note("number " + std::to_string(n)); CShredProgressState::ShowFileNumber(n); }
    void DestroyWindow() override { Note("destroy"); }

private:
    void Note(const std::string& strEntry, const std::function<void()>& hook = {})
    {
        m_ui.m_log.push_back(strEntry);
        if (hook)
            hook();
    }
    CFakeUi& m_ui;
    long m_nFileSteps = 0;
};

EMsgAnswer CFakeUi::MessageBox(CWnd*, const std::string& strText, const std::string& strCaption, EMsgIcon icon,
                               EMsgButtons buttons)
{
    messages.push_back({strText, strCaption, icon, buttons});
    m_log.push_back("message " + strCaption);
    return buttons == EMsgButtons::Ok ? EMsgAnswer::Ok : questionAnswer;
}

std::unique_ptr<IShredProgress> CFakeUi::CreateProgress(CWnd*)
{
    m_log.push_back("created");
    return std::make_unique<CProgress>(*this);
}

EMsgAnswer CScriptedWindows::MessageBox(CWnd*, const std::string& strText, const std::string& strCaption, EMsgIcon,
                                        EMsgButtons buttons)
{
    shown.push_back(strCaption + ": " + strText);
    if (buttons != EMsgButtons::YesNo)
        return EMsgAnswer::Ok;
    const bool bYes = m_nAsked < yes.size() && yes[m_nAsked];
    ++m_nAsked;
    return bYes ? EMsgAnswer::Yes : EMsgAnswer::No;
}

template <typename Args>
CShredAnswer CFakeUi::RunShredDialog(const Args& args)
{
    dialog.nOverlap = static_cast<uint32_t>(std::max(0, args.nOverlap));
    validations.push_back(ValidateAndEstimate(std::to_string(shredAnswer.nFragments), args, dialog.nOverlap, dialog.Windows()));
    CShredAnswer answer = shredAnswer;
    answer.nOverlap = static_cast<int32_t>(validations.back().nOverlap);
    return answer;
}

CShredAnswer CFakeUi::RunWaveShredDialog(const CWaveShredArgs& args)
{
    waveShredArgs.push_back(args);
    return RunShredDialog(args);
}

CShredAnswer CFakeUi::RunMp3ShredDialog(const CMp3ShredArgs& args)
{
    return RunShredDialog(args);
}

void CFakeUi::ShowWaveInformation(const CWaveInfoValues& info)
{
    const auto lines = FormatWaveInfoLines(info);
    infoLines.assign(lines.begin(), lines.end());
}

void CFakeUi::ShowMp3Information(const CMp3InfoValues& info)
{
    infoLines = FormatMp3InfoText(info);
}

long CFakeUi::Count(const std::string& strEntry) const
{
    return std::count(m_log.begin(), m_log.end(), strEntry);
}
