#include "cli/CliUi.h"

#include "audio/Mp3Info.h"
#include "audio/WaveInfo.h"
#include "cli/TerminalProgress.h"

#include <algorithm>

namespace {

// The overlap warning answered No: the split goes on with the given overlap.
class CDeclineOverlapChange : public IOverlapQuestions {
public:
    explicit CDeclineOverlapChange(std::FILE* pErr) : m_pErr(pErr) {}
    bool AskChangeOverlap(const std::string& strQuestion) override
    {
        std::fprintf(m_pErr, "%s\n", strQuestion.c_str());
        return false;
    }
    uint32_t CustomizeOverlap() override { return 0; }
    void Inform(const std::string& strText) override { std::fprintf(m_pErr, "%s\n", strText.c_str()); }

private:
    std::FILE* m_pErr;
};

} // namespace

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
    m_nFilesCompleted = 0;
    return std::make_unique<CTerminalProgress>(m_bShowProgress ? m_pErr : nullptr, m_nFilesCompleted);
}

CShredAnswer CCliUi::AnswerShred(const CCountCheck& check, const std::string& strSourceName, int32_t nOverlap,
                                 const std::function<CEstimate(uint32_t)>& estimate)
{
    if (check.pMessage) {
        std::fprintf(m_pErr, "%s\n", check.pMessage);
        m_bInputError = true;
        return {};
    }
    const CEstimate e = estimate(check.nFragments);
    CDeclineOverlapChange questions(m_pErr);
    const uint32_t nOverlapUsed = CheckOverlap(static_cast<uint32_t>(std::max(0, nOverlap)), e.dPlaytime, questions);
    const auto lines = FormatEstimateLines(strSourceName, check.nFragments, nOverlapUsed, e);
    for (size_t i = 1; i < lines.size(); ++i)
        std::fprintf(m_pOut, "%s\n", lines[i].c_str());
    std::fflush(m_pOut);
    if (m_shred.bEstimateOnly)
        return {};
    return {true, static_cast<int32_t>(check.nFragments), m_shred.strBaseName};
}

CShredAnswer CCliUi::RunWaveShredDialog(const CWaveShredArgs& args)
{
    return AnswerShred(CheckWaveFragmentCount(m_shred.strCount, args), args.strSourceName, args.nOverlap,
                       [&](uint32_t n) { return EstimateWave(args, n); });
}

CShredAnswer CCliUi::RunMp3ShredDialog(const CMp3ShredArgs& args)
{
    return AnswerShred(CheckMp3FragmentCount(m_shred.strCount, args), args.strSourceName, args.nOverlap,
                       [&](uint32_t n) { return EstimateMp3(args, n); });
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
