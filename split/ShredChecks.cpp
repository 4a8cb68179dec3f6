#include "split/ShredChecks.h"

#include "audio/FragmentNames.h"
#include "audio/Mp3Header.h"
#include "audio/RiffRecords.h"
#include "platform/FormatText.h"

#include <algorithm>
#include <cmath>

int32_t ParseFragmentCount(const std::string& strText)
{
    // atoi's conversion, without its undefined behaviour on overflow.
    size_t i = 0;
    while (i < strText.size() && (strText[i] == ' ' || (strText[i] >= '\t' && strText[i] <= '\r')))
        ++i;
    bool bNegative = false;
    if (i < strText.size() && (strText[i] == '+' || strText[i] == '-'))
        bNegative = strText[i++] == '-';
    int64_t nValue = 0;
    for (; i < strText.size() && strText[i] >= '0' && strText[i] <= '9'; ++i)
        nValue = std::min<int64_t>(nValue * 10 + (strText[i] - '0'), int64_t{INT32_MAX} + 1);
    if (bNegative)
        nValue = -nValue;
    return static_cast<int32_t>(std::clamp<int64_t>(nValue, INT32_MIN, INT32_MAX));
}

CCountCheck CheckFragmentCount(const std::string& strText, uint64_t nBytesToDivide, uint64_t nBytesPerSecond)
{
    if (strText.empty())
        return {kCheckNoCount, kNoCountText, 0};
    const auto n = static_cast<uint32_t>(ParseFragmentCount(strText));
    if (n <= 1)
        return {kCheckCountTooSmall, kCountTooSmallText, n};
    if (nBytesToDivide / n < nBytesPerSecond)
        return {kCheckTooShort, kTooShortText, n};
    if (n > kMaxFragments)
        return {kCheckTooManyFragments, kTooManyFragmentsText, n};
    return {kCheckOk, nullptr, n};
}

namespace {

uint64_t WaveAudioBytes(const CWaveShredArgs& args)
{
    return args.nAudioBytes.value_or(args.dataHeader.size);
}

} // namespace

CCountCheck CheckWaveFragmentCount(const std::string& strText, const CWaveShredArgs& args)
{
    return CheckFragmentCount(strText, WaveAudioBytes(args), args.fmt.avgBytesPerSec);
}

namespace {

double Mp3BytesPerSecond(const CMp3ShredArgs& args)
{
    return mp3::BytesPerSecond(args.dBytesPerSecond, args.nBitrate);
}

} // namespace

CCountCheck CheckMp3FragmentCount(const std::string& strText, const CMp3ShredArgs& args)
{
    return CheckFragmentCount(strText, args.nFileLength, static_cast<uint64_t>(std::ceil(Mp3BytesPerSecond(args))));
}

CEstimate EstimateWave(const CWaveShredArgs& args, uint32_t n)
{
    const uint64_t nAlign = args.fmt.blockAlign ? args.fmt.blockAlign : 1;
    const uint64_t nPer = n ? WaveAudioBytes(args) / n : 0;
    const uint64_t nBytes = (nPer + nAlign - 1) / nAlign * nAlign;
    CEstimate e;
    e.nFragmentSize = CWaveLayout::For(args.fmt.extraSize, args.fmt.extraSize, args.factHeader.size != 0,
                                       args.factHeader.size, nBytes)
                          .FileBytes();
    e.dPlaytime = args.fmt.avgBytesPerSec ? static_cast<double>(nBytes) / args.fmt.avgBytesPerSec : 0.0;
    return e;
}

CEstimate EstimateMp3(const CMp3ShredArgs& args, uint32_t n)
{
    const uint64_t nPer = n ? args.nFileLength / n : 0;
    const double dBytesPerSecond = Mp3BytesPerSecond(args);
    CEstimate e;
    e.nFragmentSize = args.bNoTag ? nPer : nPer + 128;
    e.dPlaytime = dBytesPerSecond > 0.0 ? static_cast<double>(nPer) / dBytesPerSecond : 0.0;
    return e;
}

std::string FormatOverlapQuestion(uint32_t nOverlap, uint32_t nPlaytime, uint32_t nHalf)
{
    return FormatText(kOverlapQuestionFormat, nOverlap, nPlaytime, nHalf);
}

std::array<std::string, 6> FormatEstimateLines(const std::string& strSourceName, uint32_t n, uint32_t nOverlap,
                                               const CEstimate& estimate)
{
    const std::string strName = ToUpperUtf8(strSourceName);
    return {
        FormatText(kEstimateFormat, strName.c_str(), n),
        "Source filename - " + strName,
        FormatText("Number of fragments - %u", n),
        FormatText("Fragments' size - %lu bytes", static_cast<unsigned long>(estimate.nFragmentSize)),
        FormatText("Fragments' playtime - %.2lf Second(s)", estimate.dPlaytime),
        FormatText("Overlaping time - %u Second(s)", nOverlap),
    };
}
