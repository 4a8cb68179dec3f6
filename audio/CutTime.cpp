#include "audio/CutTime.h"

#include "platform/FormatText.h"

#include <algorithm>
#include <cmath>

namespace {

// Seconds and sample counts stay far below where 64-bit products with a rate wrap.
constexpr uint64_t kMaxSeconds = INT32_MAX;
constexpr uint64_t kMaxFrames = uint64_t{1} << 48;
constexpr size_t kMaxFractionDigits = 9;

bool AllDigits(const std::string& s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

uint64_t CCutTime::ToFrames(uint32_t nRate) const
{
    if (bSamples)
        return nValue;
    __extension__ using Wide = unsigned __int128;
    return static_cast<uint64_t>((static_cast<Wide>(nValue) * nRate * 2 + nScale) / (Wide{nScale} * 2));
}

std::optional<CCutTime> ParseCutTime(const std::string& strText, std::string& strError)
{
    const std::string strForm = "give SS, MM:SS or HH:MM:SS";
    if (strText.size() > 1 && strText.back() == 's') {
        const std::string strCount = strText.substr(0, strText.size() - 1);
        if (!AllDigits(strCount) || strCount.size() > 15 || std::stoull(strCount) > kMaxFrames) {
            strError = AllDigits(strCount) ? "too large" : strForm;
            return std::nullopt;
        }
        return CCutTime::Frames(std::stoull(strCount));
    }
    std::string strClock = strText, strFraction;
    if (const size_t nDot = strText.find('.'); nDot != std::string::npos) {
        strClock = strText.substr(0, nDot);
        strFraction = strText.substr(nDot + 1);
        if (!AllDigits(strFraction) || strFraction.size() > kMaxFractionDigits) {
            strError = strForm;
            return std::nullopt;
        }
    }
    uint64_t nSeconds = 0;
    size_t nFields = 0;
    for (size_t nStart = 0; nStart <= strClock.size(); ++nFields) {
        size_t nEnd = strClock.find(':', nStart);
        if (nEnd == std::string::npos)
            nEnd = strClock.size();
        const std::string strField = strClock.substr(nStart, nEnd - nStart);
        // The first field may be as large as the total allows; minutes and
        // seconds after it have one or two digits and stay below 60.
        const size_t nMaxDigits = nFields == 0 ? 10 : 2;
        if (nFields == 3 || !AllDigits(strField) || strField.size() > nMaxDigits ||
            (nFields > 0 && std::stoi(strField) >= 60)) {
            strError = strForm;
            return std::nullopt;
        }
        nSeconds = nSeconds * 60 + std::stoull(strField);
        nStart = nEnd + 1;
    }
    if (nSeconds > kMaxSeconds) {
        strError = "too large";
        return std::nullopt;
    }
    CCutTime time = CCutTime::Seconds(nSeconds);
    for (const char c : strFraction) {
        time.nValue = time.nValue * 10 + static_cast<uint64_t>(c - '0');
        time.nScale *= 10;
    }
    return time;
}

std::string FormatCutTime(double dSeconds)
{
    return FormatCutTime(dSeconds, false);
}

std::string FormatCutTime(double dSeconds, bool bHours)
{
    // NaN and negative times read as 0; times past 32-bit seconds are held there.
    const double dClamped = dSeconds > 0 ? std::min(dSeconds, 4294967295.0) : 0.0;
    const auto nMillis = static_cast<long long>(std::llround(dClamped * 1000.0));
    const long long nSeconds = nMillis / 1000;
    if (bHours || nSeconds >= 3600)
        return FormatText("%lld:%02lld:%02lld.%03lld", nSeconds / 3600, nSeconds / 60 % 60, nSeconds % 60,
                          nMillis % 1000);
    return FormatText("%lld:%02lld.%03lld", nSeconds / 60, nSeconds % 60, nMillis % 1000);
}
