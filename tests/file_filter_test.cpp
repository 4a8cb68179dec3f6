#include "platform/FileDialogs.h"

#include <gtest/gtest.h>

using Globs = std::vector<std::string>;

TEST(FileFilter, ParsesChoices)
{
    const std::vector<std::pair<std::string, std::vector<CFileFilter>>> cases{
        {"WAV files (*.wav)|*.wav|All files (*.*)|*.*||", {{"WAV files (*.wav)", {"*.wav"}}, {"All files (*.*)", {"*.*"}}}},
        {"Wave Files (*.wav)|*.wav|MP3 Files (*.mp3)|*.mp3|Sound Files (*.wav;*.mp3)|*.wav;*.mp3|All Files (*.*)|*.*||",
         {{"Wave Files (*.wav)", {"*.wav"}},
          {"MP3 Files (*.mp3)", {"*.mp3"}},
          {"Sound Files (*.wav;*.mp3)", {"*.wav", "*.mp3"}},
          {"All Files (*.*)", {"*.*"}}}},
        {"All files (*.*) | *.*||", {{"All files (*.*)", {"*.*"}}}},
        {"Odd (*.x)|*.x|Alone||", {{"Odd (*.x)", {"*.x"}}}},
        {"", {}},
    };
    for (const auto& [strFilter, expected] : cases)
        EXPECT_EQ(ParseFileFilter(strFilter), expected) << strFilter;
}

TEST(FileFilter, MatchesWhateverTheCase)
{
    const std::vector<std::tuple<std::string, Globs, bool>> cases{
        {"song.wav", {"*.wav"}, true},     {"SONG.WAV", {"*.wav"}, true},  {"Song.Wav", {"*.WAV"}, true},
        {"a.mp3", {"*.wav"}, false},       {"song.wave", {"*.wav"}, false}, {"wav", {"*.wav"}, false},
        {"a.mp3", {"*.wav", "*.mp3"}, true}, {"notes.txt", {"*.wav", "*.mp3"}, false},
        {"README", {"*.*"}, true},         {"notes.txt", {"*"}, true},      {"t1.wav", {"t?.wav"}, true},
        {"song.wav", {}, false},
    };
    for (const auto& [strName, globs, bMatch] : cases)
        EXPECT_EQ(MatchesFilter(strName, globs), bMatch) << strName << " " << (globs.empty() ? "" : globs[0]);
}

TEST(FileFilter, DefaultSuffix)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> cases{
        // default extension, chosen path, path returned
        {"*.WAV", "/m/song", "/m/song.wav"},         {"*.MP3", "/m/song", "/m/song.mp3"},
        {"*.WAV", "/m/song.WAV", "/m/song.WAV"},     {"*.WAV", "/m/song.mp3", "/m/song.mp3"},
        {"*.WAV", "/m.d/song", "/m.d/song.wav"},     {"*.WAV", "/m/.song", "/m/.song.wav"},
        {"", "/m/song", "/m/song"},                  {"*.*", "/m/song", "/m/song"},
    };
    for (const auto& [strExt, strPath, strResult] : cases)
        EXPECT_EQ(WithDefaultSuffix(strPath, strExt), strResult) << strExt << " " << strPath;
    EXPECT_EQ(DefaultSuffix("*.WAV"), "wav");
    EXPECT_EQ(DefaultSuffix("*.*"), "");
    EXPECT_EQ(DefaultSuffix(""), "");
}
