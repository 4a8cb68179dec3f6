#include "platform/FileDialogs.h"

#include <gtest/gtest.h>

using Globs = std::vector<std::string>;

TEST(FileFilter, ParsesChoices)
{
    const std::vector<std::pair<std::string, std::vector<CFileFilter>>> cases{
        {"Sound Files (*.wav;*.mp3)|*.wav;*.mp3|All Files (*.*)|*.*||",
         {{"Sound Files (*.wav;*.mp3)", {"*.wav", "*.mp3"}}, {"All Files (*.*)", {"*.*"}}}},
        {"All files (*.*) | *.*||", {{"All files (*.*)", {"*.*"}}}},
        {"Odd (*.x)|*.x|Alone||", {{"Odd (*.x)", {"*.x"}}}}};
    for (const auto& [strFilter, expected] : cases)
        EXPECT_EQ(ParseFileFilter(strFilter), expected) << strFilter;
}

TEST(FileFilter, MatchesWhateverTheCase)
{
    const std::vector<std::tuple<std::string, Globs, bool>> cases{
        {"Song.Wav", {"*.WAV"}, true}, {"song.wave", {"*.wav"}, false}, {"a.mp3", {"*.wav", "*.mp3"}, true},
        {"README", {"*.*"}, true}};
    for (const auto& [strName, globs, bMatch] : cases)
        EXPECT_EQ(MatchesFilter(strName, globs), bMatch) << strName;
}

TEST(FileFilter, DefaultSuffix)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> cases{
        {"*.WAV", "/m/song.mp3", "/m/song.mp3"}, {"*.WAV", "/m.d/song", "/m.d/song.wav"}, {"*.*", "/m/song", "/m/song"}};
    for (const auto& [strExt, strPath, strResult] : cases)
        EXPECT_EQ(WithDefaultSuffix(strPath, strExt), strResult) << strExt << " " << strPath;
}
