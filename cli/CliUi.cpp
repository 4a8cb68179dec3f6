#include "cli/CliUi.h"

#include "audio/Mp3Info.h"
#include "audio/WaveInfo.h"
#include "cli/TerminalProgress.h"

#include <algorithm>

CCliUi::CCliUi(std::FILE* pOut, std::FILE* pErr, bool bShowProgress)
    : m_pOut(pOut), m_pErr(pErr), m_bShowProgress(bShowProgress)
{
}

EMsgAnswer CCliUi::MessageBox(CWnd*, const std::string& strText, const std::string&, EMsgIcon icon,
                              EMsgButtons buttons)
{
    std::fprintf(icon == EMsgIcon::Information ? m_pOut : m_pErr, "%s\n", strText.c_str());
    return buttons == EMsgButtons::YesNo ? EMsgAnswer::No : EMsgAnswer::Ok;
}

std::unique_ptr<IShredProgress> CCliUi::CreateProgress(CWnd*)
{
    return std::make_unique<CTerminalProgress>(m_bShowProgress ? m_pErr : nullptr);
}

template <typename Args>
CShredAnswer CCliUi::AnswerShred(const Args& args)
{
    m_nOverlap = static_cast<uint32_t>(std::max(0, args.nOverlap));
    const CValidation v = ValidateAndEstimate(m_shred.strCount, args, m_nOverlap, {*this, nullptr, *this, *this});
    m_bInputError = v.nResult != kCheckOk && v.nResult != kCheckEstimateCancelled;
    if (v.nResult != kCheckOk)
        return {};
    return {true, static_cast<int32_t>(v.nFragments), m_shred.strBaseName, static_cast<int32_t>(v.nOverlap)};
}

// The estimate's five lines; the split goes on unless only they were asked for.
bool CCliUi::Show(const std::array<std::string, 6>& lines)
{
    for (size_t i = 1; i < lines.size(); ++i)
        std::fprintf(m_pOut, "%s\n", lines[i].c_str());
    std::fflush(m_pOut);
    return !m_shred.bEstimateOnly;
}

CShredAnswer CCliUi::RunWaveShredDialog(const CWaveShredArgs& args)
{
    return AnswerShred(args);
}

CShredAnswer CCliUi::RunMp3ShredDialog(const CMp3ShredArgs& args)
{
    return AnswerShred(args);
}

void CCliUi::ShowWaveInformation(const CWaveInfoValues& info)
{
    for (const std::string& line : FormatWaveInfoLines(info))
        std::fprintf(m_pOut, "%s\n", line.c_str());
}

void CCliUi::ShowMp3Information(const CMp3InfoValues& info)
{
    for (const std::string& line : FormatMp3InfoText(info))
        std::fprintf(m_pOut, "%s\n", line.c_str());
}
