#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The files opened last, most recent first, as File > Recent Files lists them.
inline constexpr size_t kMaxRecentFiles = 8;

// The list with the path put first, once, and cut to kMaxRecentFiles.
std::vector<std::string> WithRecentFile(std::vector<std::string> files, const std::string& strPath);

// The menu text of the entry at that index (from 0): its number as the
// mnemonic, then the file name, any '&' in it doubled so that it shows.
std::string RecentFileMenuText(size_t nIndex, const std::string& strPath);
