#include "fuzz/QuietUi.h"

#include "audio/Mp3Info.h"
#include "audio/WaveInfo.h"
#include "split/ShredChecks.h"
#include "split/ShredProgressState.h"

#include <algorithm>

namespace {

// The overlap warning answered No, as a user who keeps the overlap would.
class CKeepOverlap : public IOverlapQuestions {
public:
    bool AskChangeOverlap(const std::string&) override { return false; }
    uint32_t CustomizeOverlap() override { return 0; }
    void Inform(const std::string&) override {}
};

// The dialog's estimate step, run only when the count check passed, as in the
// dialog itself.
void ComputeEstimate(const CCountCheck& check, const std::string& strSourceName, int32_t nOverlap,
                     const CEstimate& estimate)
{
    if (check.pMessage)
        return;
    CKeepOverlap keep;
    const uint32_t nUsed = CheckOverlap(static_cast<uint32_t>(std::max(0, nOverlap)), estimate.dPlaytime, keep);
    FormatEstimateLines(strSourceName, check.nFragments, nUsed, estimate);
}

} // namespace

void CQuietUi::SetShredAnswer(int32_t nFragments, std::string strBaseName)
{
    m_answer = {true, nFragments, std::move(strBaseName)};
}

EMsgAnswer CQuietUi::MessageBox(CWnd*, const std::string&, const std::string&, EMsgIcon, EMsgButtons buttons)
{
    return buttons == EMsgButtons::YesNo ? EMsgAnswer::No : EMsgAnswer::Ok;
}

std::unique_ptr<IShredProgress> CQuietUi::CreateProgress(CWnd*)
{
    return std::make_unique<CShredProgressState>();
}

// OK even when the dialog would refuse the count: fuzz inputs are short, and
// the writers must cope with fragments under a second all the same.
CShredAnswer CQuietUi::RunWaveShredDialog(const CWaveShredArgs& args)
{
    const std::string strCount = std::to_string(m_answer.nFragments);
    const CCountCheck check = CheckWaveFragmentCount(strCount, args);
    ComputeEstimate(check, args.strSourceName, args.nOverlap, EstimateWave(args, check.nFragments));
    return m_answer;
}

CShredAnswer CQuietUi::RunMp3ShredDialog(const CMp3ShredArgs& args)
{
    const std::string strCount = std::to_string(m_answer.nFragments);
    const CCountCheck check = CheckMp3FragmentCount(strCount, args);
    ComputeEstimate(check, args.strSourceName, args.nOverlap, EstimateMp3(args, check.nFragments));
    return m_answer;
}

void CQuietUi::ShowWaveInformation(const CWaveInfoValues& info)
{
    FormatWaveInfoLines(info);
}

void CQuietUi::ShowMp3Information(const CMp3InfoValues& info)
{
    FormatMp3InfoText(info);
}
