#include "app/RecentFiles.h"

#include <algorithm>
#include <filesystem>

std::vector<std::string> WithRecentFile(std::vector<std::string> files, const std::string& strPath)
{
    std::erase(files, strPath);
    files.insert(files.begin(), strPath);
    if (files.size() > kMaxRecentFiles)
        files.resize(kMaxRecentFiles);
    return files;
}

std::string RecentFileMenuText(size_t nIndex, const std::string& strPath)
{
    std::string strText = "&" + std::to_string(nIndex + 1) + " ";
    for (char c : std::filesystem::path(strPath).filename().string())
        strText += c == '&' ? std::string("&&") : std::string(1, c);
    return strText;
}
