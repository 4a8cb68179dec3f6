#include "split/PieceNames.h"

#include "platform/File.h"
#include "platform/FormatText.h"

#include <algorithm>
#include <set>
#include <utility>

#include <sys/stat.h>

namespace {

std::string AtLeastTwoDigits(unsigned n)
{
    return FormatText("%02u", n);
}

// The value of placeholder strName ("title" for {title}); false for an unknown one.
bool FieldValue(const std::string& strName, const CNameFields& fields, std::string& strValue)
{
    if (strName == "n")
        strValue = std::to_string(fields.nNumber);
    else if (strName == "nn")
        strValue = AtLeastTwoDigits(fields.nNumber);
    else if (strName == "N")
        strValue = std::to_string(fields.nCount);
    else if (strName == "title")
        strValue = SafeFileName(fields.strTitle);
    else if (strName == "performer")
        strValue = SafeFileName(fields.strPerformer);
    else if (strName == "album")
        strValue = SafeFileName(fields.strAlbum);
    else if (strName == "base")
        strValue = SafeFileName(fields.strBase);
    else
        return false;
    return true;
}

// A file's identity on disk; false when nothing stands at the path.
bool Identity(const std::string& strPath, std::pair<dev_t, ino_t>& id, bool& bFolder)
{
    struct stat st {};
    if (::stat(strPath.c_str(), &st) != 0)
        return false;
    id = {st.st_dev, st.st_ino};
    bFolder = S_ISDIR(st.st_mode);
    return true;
}

} // namespace

std::string SafeFileName(const std::string& strValue)
{
    std::string strSafe = strValue.substr(std::min(strValue.find_first_not_of('.'), strValue.size()));
    for (char& c : strSafe)
        if (c == '/' || c == '\0')
            c = '_';
    return strSafe;
}

std::string ExpandNameTemplate(const std::string& strTemplate, const CNameFields& fields, std::string& strError)
{
    strError.clear();
    std::string strName;
    for (size_t i = 0; i < strTemplate.size();) {
        const size_t nOpen = strTemplate.find('{', i);
        strName.append(strTemplate, i, nOpen - i);
        if (nOpen == std::string::npos)
            break;
        const size_t nClose = strTemplate.find('}', nOpen);
        if (nClose == std::string::npos) {
            strError = "the name template has an unclosed '" + strTemplate.substr(nOpen) + "'";
            return {};
        }
        std::string strValue;
        if (!FieldValue(strTemplate.substr(nOpen + 1, nClose - nOpen - 1), fields, strValue)) {
            const std::string strPlaceholder = strTemplate.substr(nOpen, nClose - nOpen + 1);
            strError = "the name template has an unknown placeholder '" + strPlaceholder +
                       "' (known: {n} {nn} {N} {title} {performer} {album} {base})";
            return {};
        }
        strName += strValue;
        i = nClose + 1;
    }
    return strName;
}

std::string CueTrackFileName(const CNameFields& fields, const std::string& strExt)
{
    const std::string strTitle = SafeFileName(fields.strTitle);
    const std::string strNumber = AtLeastTwoDigits(fields.nNumber);
    return (strTitle.empty() ? strNumber : strNumber + " - " + strTitle) + strExt;
}

std::string RefusedPiecePaths(const std::vector<std::string>& paths, const std::string& strSourcePath)
{
    const std::string strSource = AbsolutePath(strSourcePath);
    std::pair<dev_t, ino_t> sourceId{};
    bool bSourceFolder = false;
    const bool bSourceExists = Identity(strSourcePath, sourceId, bSourceFolder);

    std::set<std::string> named;
    std::set<std::pair<dev_t, ino_t>> existing;
    for (const std::string& strPath : paths) {
        const std::string strAbsolute = AbsolutePath(strPath);
        std::pair<dev_t, ino_t> id{};
        bool bFolder = false;
        const bool bExists = Identity(strPath, id, bFolder);
        // Another name for the same file (a link, "..") is the same file.
        if (strAbsolute == strSource || (bExists && bSourceExists && id == sourceId))
            return strPath + ": it is the source file";
        if (bFolder)
            return strPath + ": is a folder";
        if (!named.insert(strAbsolute).second || (bExists && !existing.insert(id).second))
            return strPath + ": named twice";
    }
    return {};
}
