#include "cli/CliUi.h"

#include "audio/AudioFile.h"
#include "audio/FragmentNames.h"
#include "audio/Mp3Info.h"
#include "audio/WaveInfo.h"
#include "cli/CutMessages.h"
#include "cli/TerminalProgress.h"
#include "platform/FormatText.h"
#include "platform/StringTable.h"

#include <algorithm>

namespace {

double FragmentPlaytime(const CWaveShredArgs& args, uint32_t n)
{
    return EstimateWave(args, n).dPlaytime;
}

double FragmentPlaytime(const CMp3ShredArgs& args, uint32_t n)
{
    return EstimateMp3(args, n).dPlaytime;
}

const char* FragmentExt(const CWaveShredArgs&)
{
    return ".wav";
}

const char* FragmentExt(const CMp3ShredArgs&)
{
    return ".mp3";
}

// Names the first fragment whose name the command line refuses to write (see
// RefusedOutputReason); true when there is one.
template <typename Args>
bool RefuseFragmentNames(std::FILE* pErr, const Args& args, uint32_t n, const std::string& strBaseName)
{
    const std::string strExt = FragmentExt(args);
    const std::string strBase = FragmentBase(strBaseName, args.strSourcePath, ToUpperUtf8(strExt));
    for (uint32_t i = 1; i <= n; ++i) {
        const std::string strPath = FragmentPath(strBase, i, strExt);
        if (const std::string strReason = RefusedOutputReason(strPath, args.strSourcePath); !strReason.empty()) {
            PrintFileError(pErr, strPath, LoadResString(kStatusCannotCreate), strReason);
            return true;
        }
    }
    return false;
}

} // namespace

CCliUi::CCliUi(std::FILE* pOut, std::FILE* pErr, bool bShowProgress, std::string strSubject)
    : m_pOut(pOut), m_pErr(pErr), m_bShowProgress(bShowProgress), m_strSubject(std::move(strSubject))
{
}

EMsgAnswer CCliUi::MessageBox(CWnd*, const std::string& strText, const std::string&, EMsgIcon icon,
                              EMsgButtons buttons)
{
    if (buttons == EMsgButtons::YesNo) {
        // The overlap question: the split keeps the overlap it was given.
        m_bOverlapTooLong = true;
        return EMsgAnswer::No;
    }
    if (icon == EMsgIcon::Information)
        std::fprintf(m_pOut, "%s\n", strText.c_str());
    else if (strText != kOverlapNotAdheredText) // the overlap warning says it
        PrintFileError(m_pErr, m_strSubject, strText);
    return EMsgAnswer::Ok;
}

std::unique_ptr<IShredProgress> CCliUi::CreateProgress(CWnd*)
{
    return std::make_unique<CTerminalProgress>(m_bShowProgress ? m_pErr : nullptr);
}

template <typename Args>
CShredAnswer CCliUi::AnswerShred(const Args& args)
{
    m_nOverlap = static_cast<uint32_t>(std::max(0, args.nOverlap));
    m_bOverlapTooLong = false;
    const CValidation v = ValidateAndEstimate(m_shred.strCount, args, m_nOverlap, {*this, nullptr, *this, *this});
    if (m_bOverlapTooLong)
        std::fprintf(m_pErr, "tolvane-cut: warning: %s\n",
                     FormatText("the overlap of %u second(s) is longer than half a fragment (%.2lf seconds); "
                                "the split goes on with it",
                                v.nOverlap, FragmentPlaytime(args, v.nFragments))
                         .c_str());
    m_bInputError = v.nResult != kCheckOk && v.nResult != kCheckEstimateCancelled;
    if (v.nResult != kCheckOk)
        return {};
    if (RefuseFragmentNames(m_pErr, args, v.nFragments, m_shred.strBaseName)) {
        m_bInputError = true;
        return {};
    }
    CShredAnswer answer;
    answer.bOk = true;
    answer.nFragments = static_cast<int32_t>(v.nFragments);
    answer.strBaseName = m_shred.strBaseName;
    answer.nOverlap = static_cast<int32_t>(v.nOverlap);
    if (m_shred.bKeepAnswer) {
        m_kept = answer;
        return {};
    }
    return answer;
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
