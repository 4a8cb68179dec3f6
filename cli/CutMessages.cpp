#include "cli/CutMessages.h"

#include "platform/FormatText.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

void PrintFileError(std::FILE* pErr, const std::string& strPath, const std::string& strText,
                    const std::string& strReason)
{
    std::string strLine = "tolvane-cut: " + strPath + ": " + strText;
    if (!strReason.empty())
        strLine += " (" + strReason + ")";
    std::fflush(stdout);
    std::fprintf(pErr, "%s\n", strLine.c_str());
}

std::string NotRegularFileReason(const std::string& strPath)
{
    struct stat st {};
    if (::stat(strPath.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    return S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "not a regular file";
}

std::string RefusedOutputReason(const std::string& strPath, const std::string& strSourcePath)
{
    if (std::string strReason = NotRegularFileReason(strPath); !strReason.empty())
        return strReason;
    struct stat out {}, source {};
    if (::stat(strPath.c_str(), &out) == 0 && ::stat(strSourcePath.c_str(), &source) == 0 &&
        out.st_dev == source.st_dev && out.st_ino == source.st_ino)
        return "it is the source file";
    return {};
}

std::string FormatClock(double dSeconds, bool bHundredths)
{
    const auto nHundredths = static_cast<long long>(dSeconds * 100.0);
    const long long nSeconds = nHundredths / 100;
    std::string s = nSeconds >= 3600
                        ? FormatText("%lld:%02lld:%02lld", nSeconds / 3600, nSeconds / 60 % 60, nSeconds % 60)
                        : FormatText("%lld:%02lld", nSeconds / 60, nSeconds % 60);
    if (bHundredths)
        s += FormatText(".%02lld", nHundredths % 100);
    return s;
}
