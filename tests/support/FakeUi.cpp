#include "support/FakeUi.h"

#include "audio/Mp3Info.h"
#include "audio/WaveInfo.h"

void CFakeUi::CProgress::SetTotalFiles(unsigned n)
{
    m_owner.m_log.push_back("total " + std::to_string(n));
    CShredProgressState::SetTotalFiles(n);
}

void CFakeUi::CProgress::SetFileBytes(uint32_t n)
{
    m_owner.m_log.push_back("bytes " + std::to_string(n));
    CShredProgressState::SetFileBytes(n);
}

void CFakeUi::CProgress::StepGross()
{
    m_owner.m_log.push_back("step gross");
    if (m_owner.onStepGross)
        m_owner.onStepGross();
    CShredProgressState::StepGross();
}

void CFakeUi::CProgress::StepFile()
{
    m_owner.m_log.push_back("step file");
    if (m_owner.onStepFile)
        m_owner.onStepFile();
    CShredProgressState::StepFile();
}

void CFakeUi::CProgress::ShowFileNames(std::string a, std::string b)
{
    m_owner.m_log.push_back("names " + a + " " + b);
    CShredProgressState::ShowFileNames(std::move(a), std::move(b));
}

void CFakeUi::CProgress::ShowFileNumber(unsigned n)
{
    m_owner.m_log.push_back("number " + std::to_string(n));
    CShredProgressState::ShowFileNumber(n);
}

EMsgAnswer CFakeUi::MessageBox(CWnd*, const std::string& strText, const std::string& strCaption, EMsgIcon icon,
                               EMsgButtons buttons)
{
    messages.push_back({strText, strCaption, icon, buttons});
    m_log.push_back("message " + strCaption);
    if (buttons == EMsgButtons::Ok)
        return EMsgAnswer::Ok;
    if (answers.empty())
        return EMsgAnswer::No;
    const EMsgAnswer a = answers.front();
    answers.pop_front();
    return a;
}

std::unique_ptr<IShredProgress> CFakeUi::CreateProgress(CWnd*)
{
    ++nProgressWindows;
    m_log.push_back("created");
    return std::make_unique<CProgress>(*this);
}

CShredAnswer CFakeUi::RunWaveShredDialog(const CWaveShredArgs& args)
{
    waveShredArgs.push_back(args);
    if (duringShredDialog)
        duringShredDialog();
    return shredAnswer;
}

CShredAnswer CFakeUi::RunMp3ShredDialog(const CMp3ShredArgs& args)
{
    mp3ShredArgs.push_back(args);
    if (duringShredDialog)
        duringShredDialog();
    return shredAnswer;
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
