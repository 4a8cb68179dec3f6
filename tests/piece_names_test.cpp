#include "split/PieceNames.h"
#include "support/TempDir.h"
#include <gtest/gtest.h>
#include <unistd.h>

TEST(PieceName, TemplateExpandsOrNamesTheFault)
{
    const CNameFields fields{3, 12, "Side/A", "The Band", "..Live", "concert.2024"};
    for (const auto& [strTemplate, strExpected, strFault] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"{nn} - {title} {n} of {N}", "03 - Side_A 3 of 12", ""},
             {"{performer}/{album}/{base}", "The Band/Live/concert.2024", ""},
             {"{nn}-{foo}.mp3", "", "unknown placeholder '{foo}'"},
             {"{nn} - {title", "", "unclosed '{title'"}}) {
        std::string strError = "stale";
        EXPECT_EQ(ExpandNameTemplate(strTemplate, fields, strError), strExpected);
        EXPECT_EQ(strError.empty(), strFault.empty()) << strError;
        EXPECT_NE(strError.find(strFault), std::string::npos) << strError;
    }
    for (const auto& [strIn, strOut] : std::vector<std::pair<std::string, std::string>>{
             {"../../etc/passwd", "_.._etc_passwd"}, {"...", ""}, {std::string("a\0b", 3), "a_b"}})
        EXPECT_EQ(SafeFileName(strIn), strOut);
    EXPECT_EQ(CueTrackFileName({3, 9, "Either/Or", "", "", ""}, ".mp3"), "03 - Either_Or.mp3");
    EXPECT_EQ(CueTrackFileName({3, 9, "..", "P", "A", "base"}, ".wav"), "03.wav");
}

TEST(PieceName, RefusedPathsBeforeAnythingIsWritten)
{
    CTempDir dir;
    WriteBytes(dir / "in.mp3", Bytes(10, 1));
    WriteBytes(dir / "old.mp3", Bytes(10, 2));
    ASSERT_EQ(::link((dir / "old.mp3").c_str(), (dir / "hard.mp3").c_str()), 0);
    ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("in.mp3", (dir / "soft.mp3").c_str()), 0);
    for (const auto& [paths, strRefused] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"01.mp3", "sub/02.mp3", "old.mp3"}, ""}, {{"soft.mp3"}, "soft.mp3: it is the source file"},
             {{"01.mp3", "sub/../in.mp3"}, "sub/../in.mp3: it is the source file"},
             {{"old.mp3", "hard.mp3"}, "hard.mp3: named twice"},
             {{"01.mp3", "sub/02.mp3", "./01.mp3"}, "./01.mp3: named twice"},
             {{"01.mp3", "sub"}, "sub: is a folder"}}) {
        std::vector<std::string> full;
        for (const std::string& strPath : paths)
            full.push_back(dir / strPath);
        EXPECT_EQ(RefusedPiecePaths(full, dir / "in.mp3"), strRefused.empty() ? "" : dir / strRefused);
    }
}
