#include "split/ShredValidation.h"

namespace {

CValidation Validate(const CCountCheck& check, const CEstimate& estimate, const std::string& strSourceName,
                     uint32_t nOverlap, const CShredWindows& windows)
{
    if (check.pMessage) {
        windows.boxes.MessageBox(windows.pDialog, check.pMessage, "Error", EMsgIcon::None, EMsgButtons::Ok);
        return {check.nResult, check.nFragments, nOverlap};
    }
    nOverlap = CheckOverlap(nOverlap, estimate.dPlaytime, windows);
    const bool bConfirmed =
        windows.estimate.Show(FormatEstimateLines(strSourceName, check.nFragments, nOverlap, estimate));
    return {bConfirmed ? kCheckOk : kCheckEstimateCancelled, check.nFragments, nOverlap};
}

} // namespace

uint32_t CheckOverlap(uint32_t nOverlap, double dPlaytime, const CShredWindows& windows)
{
    const auto nHalf = static_cast<uint32_t>(dPlaytime * 0.5);
    while (nOverlap > nHalf) {
        const std::string strQuestion = FormatOverlapQuestion(nOverlap, static_cast<uint32_t>(dPlaytime), nHalf);
        if (windows.boxes.MessageBox(windows.pDialog, strQuestion, "Confirm", EMsgIcon::Question,
                                     EMsgButtons::YesNo) != EMsgAnswer::Yes) {
            windows.boxes.MessageBox(windows.pDialog, kOverlapNotAdheredText, "Information", EMsgIcon::Exclamation,
                                     EMsgButtons::Ok);
            break;
        }
        windows.owner.Customize();
        nOverlap = windows.owner.GetOverlapTime();
    }
    return nOverlap;
}

CValidation ValidateAndEstimate(const std::string& strCount, const CWaveShredArgs& args, uint32_t nOverlap,
                                const CShredWindows& windows)
{
    const CCountCheck check = CheckWaveFragmentCount(strCount, args);
    return Validate(check, check.pMessage ? CEstimate{} : EstimateWave(args, check.nFragments), args.strSourceName,
                    nOverlap, windows);
}

CValidation ValidateAndEstimate(const std::string& strCount, const CMp3ShredArgs& args, uint32_t nOverlap,
                                const CShredWindows& windows)
{
    const CCountCheck check = CheckMp3FragmentCount(strCount, args);
    return Validate(check, check.pMessage ? CEstimate{} : EstimateMp3(args, check.nFragments), args.strSourceName,
                    nOverlap, windows);
}
