#include "platform/FileDialogs.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Trimmed(const std::string& str)
{
    const auto bBlank = [](unsigned char c) { return std::isspace(c) != 0; };
    const auto first = std::find_if_not(str.begin(), str.end(), bBlank);
    const auto last = std::find_if_not(str.rbegin(), str.rend(), bBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

std::vector<std::string> Split(const std::string& str, char cSep)
{
    std::vector<std::string> parts;
    std::string::size_type nStart = 0;
    for (;;) {
        const auto nEnd = str.find(cSep, nStart);
        parts.push_back(Trimmed(str.substr(nStart, nEnd - nStart)));
        if (nEnd == std::string::npos)
            return parts;
        nStart = nEnd + 1;
    }
}

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Glob match with "*" and "?", letters compared without case.
bool GlobMatch(const char* pGlob, const char* pName)
{
    const char* pStar = nullptr;
    const char* pResume = nullptr;
    while (*pName) {
        if (*pGlob == '*') {
            pStar = pGlob++;
            pResume = pName;
        } else if (*pGlob && (*pGlob == '?' || Lower(*pGlob) == Lower(*pName))) {
            ++pGlob;
            ++pName;
        } else if (pStar) {
            pGlob = pStar + 1;
            pName = ++pResume;
        } else {
            return false;
        }
    }
    while (*pGlob == '*')
        ++pGlob;
    return *pGlob == '\0';
}

} // namespace

std::vector<CFileFilter> ParseFileFilter(const std::string& strFilter)
{
    std::vector<CFileFilter> filters;
    const std::vector<std::string> fields = Split(strFilter, '|');
    for (std::size_t i = 0; i + 1 < fields.size() && !fields[i].empty(); i += 2) {
        CFileFilter filter{fields[i], {}};
        for (std::string& strGlob : Split(fields[i + 1], ';'))
            if (!strGlob.empty())
                filter.globs.push_back(std::move(strGlob));
        if (filter.globs.empty())
            break;
        filters.push_back(std::move(filter));
    }
    return filters;
}

bool MatchesFilter(const std::string& strFileName, const std::vector<std::string>& globs)
{
    return std::any_of(globs.begin(), globs.end(), [&](const std::string& strGlob) {
        return strGlob == "*.*" || GlobMatch(strGlob.c_str(), strFileName.c_str());
    });
}

std::string DefaultSuffix(const std::string& strDefaultExt)
{
    std::string strSuffix = Trimmed(strDefaultExt);
    if (strSuffix.starts_with('*'))
        strSuffix.erase(0, 1);
    if (strSuffix.starts_with('.'))
        strSuffix.erase(0, 1);
    if (strSuffix.find_first_of("*?./\\") != std::string::npos)
        return {};
    std::transform(strSuffix.begin(), strSuffix.end(), strSuffix.begin(), Lower);
    return strSuffix;
}

std::string WithDefaultSuffix(const std::string& strPath, const std::string& strDefaultExt)
{
    const std::string strSuffix = DefaultSuffix(strDefaultExt);
    const auto nSlash = strPath.find_last_of('/');
    const std::string strName = nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
    // A leading dot names a hidden file, not an extension.
    if (strSuffix.empty() || strName.empty() || strName.find('.', 1) != std::string::npos)
        return strPath;
    return strPath + "." + strSuffix;
}
