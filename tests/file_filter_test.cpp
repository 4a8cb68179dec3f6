#include "platform/FileDialogs.h"

#include <gtest/gtest.h>

TEST(FileFilter, MatchesWhateverTheCase)
{
    const std::vector<std::tuple<std::string, std::vector<std::string>, bool>> cases{
        {"Song.Wav", {"*.WAV"}, true}, {"song.wave", {"*.wav"}, false}, {"a.mp3", {"*.wav", "*.mp3"}, true},
        {"README", {"*.*"}, true}};
    for (const auto& [strName, globs, bMatch] : cases)
        EXPECT_EQ(MatchesFilter(strName, globs), bMatch) << strName;
}

// A name without a suffix takes the filter's, in lower case; a dot in a folder's name is no suffix.
TEST(FileFilter, DefaultSuffix)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> cases{
        {"*.WAV", "/m/song.mp3", "/m/song.mp3"}, {"*.WAV", "/m.d/song", "/m.d/song.wav"},
        {"*.*", "/m/song", "/m/song"}};
    for (const auto& [strExt, strPath, strResult] : cases)
        EXPECT_EQ(WithDefaultSuffix(strPath, strExt), strResult) << strExt << " " << strPath;
}
