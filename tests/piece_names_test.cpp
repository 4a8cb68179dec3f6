#include "split/PieceNames.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const CNameFields kFields{3, 12, "Side/A", "The Band", "..Live", "concert.2024"};

struct SNameCase {
    const char* pName;
    std::string strTemplate;
    std::string strExpected;   // empty when refused
    std::string strError = {}; // a part of the reason
};

struct SPathCase {
    const char* pName;
    std::vector<std::string> paths; // in a folder that holds in.mp3, sub/, old.mp3 and links to both files
    std::string strRefused;         // the answer after the folder's path; empty for none
};

class PieceNameTemplate : public testing::TestWithParam<SNameCase> {};
class PieceNameSafe : public testing::TestWithParam<std::pair<std::string, std::string>> {};
class PieceNamePaths : public testing::TestWithParam<SPathCase> {};

const auto kByName = [](const auto& info) { return std::string(info.param.pName); };

} // namespace

TEST_P(PieceNameTemplate, ExpandsOrNamesTheFault)
{
    std::string strError = "stale";
    EXPECT_EQ(ExpandNameTemplate(GetParam().strTemplate, kFields, strError), GetParam().strExpected);
    EXPECT_EQ(strError.empty(), GetParam().strError.empty()) << strError;
    EXPECT_NE(strError.find(GetParam().strError), std::string::npos) << strError;
}

INSTANTIATE_TEST_SUITE_P(
    PieceName, PieceNameTemplate,
    testing::Values(SNameCase{"NumberAndTitle", "{nn} - {title}", "03 - Side_A"},
                    SNameCase{"NumberOfCount", "{n} of {N}", "3 of 12"},
                    SNameCase{"EveryField", "{performer}/{album}/{base}-{n}", "The Band/Live/concert.2024-3"},
                    SNameCase{"TextKeptAsTyped", "../{album}/{nn}", "../Live/03"},
                    SNameCase{"LoneClosingBrace", "a}b{nn}", "a}b03"},
                    SNameCase{"Unknown", "{nn}-{foo}.mp3", {}, "unknown placeholder '{foo}'"},
                    SNameCase{"CaseMatters", "{Title}", {}, "'{Title}'"}, SNameCase{"Empty", "{}", {}, "'{}'"},
                    SNameCase{"Unclosed", "{nn} - {title", {}, "unclosed '{title'"}),
    kByName);

TEST_P(PieceNameSafe, KeepsTheNameInItsFolder)
{
    EXPECT_EQ(SafeFileName(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(PieceName, PieceNameSafe,
                         testing::Values(std::pair{"AC/DC", "AC_DC"}, std::pair{"../../etc/passwd", "_.._etc_passwd"},
                                         std::pair{".hidden", "hidden"}, std::pair{"...", ""},
                                         std::pair{"a..b.", "a..b."}, std::pair{std::string("a\0b", 3), "a_b"}));

TEST(PieceNameCue, NumberAndTitleOrTheNumberAlone)
{
    EXPECT_EQ(CueTrackFileName({3, 9, "Title", "", "", ""}, ".mp3"), "03 - Title.mp3");
    EXPECT_EQ(CueTrackFileName({3, 9, "", "P", "A", "base"}, ".mp3"), "03.mp3");
    EXPECT_EQ(CueTrackFileName({3, 9, "..", "", "", ""}, ".mp3"), "03.mp3");
    EXPECT_EQ(CueTrackFileName({100, 120, "Either/Or", "", "", ""}, ".wav"), "100 - Either_Or.wav");
}

TEST_P(PieceNamePaths, RefusesBeforeAnythingIsWritten)
{
    CTempDir dir;
    WriteBytes(dir / "in.mp3", Bytes(10, 1));
    WriteBytes(dir / "old.mp3", Bytes(10, 2));
    ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0755), 0);
    ASSERT_EQ(::link((dir / "old.mp3").c_str(), (dir / "hard.mp3").c_str()), 0);
    ASSERT_EQ(::symlink("in.mp3", (dir / "soft.mp3").c_str()), 0);
    std::vector<std::string> paths;
    for (const std::string& strPath : GetParam().paths)
        paths.push_back(dir / strPath);
    const std::string strRefused = RefusedPiecePaths(paths, dir / "in.mp3");
    EXPECT_EQ(strRefused, GetParam().strRefused.empty() ? "" : dir / GetParam().strRefused);
}

INSTANTIATE_TEST_SUITE_P(
    PieceName, PieceNamePaths,
    testing::Values(SPathCase{"Fine", {"01.mp3", "02.mp3", "sub/03.mp3", "old.mp3"}, ""},
                    SPathCase{"Source", {"01.mp3", "in.mp3"}, "in.mp3: it is the source file"},
                    SPathCase{"SourceSpelledOtherwise", {"sub/../in.mp3"}, "sub/../in.mp3: it is the source file"},
                    SPathCase{"SourceThroughALink", {"soft.mp3"}, "soft.mp3: it is the source file"},
                    SPathCase{"Twice", {"01.mp3", "sub/02.mp3", "./01.mp3"}, "./01.mp3: named twice"},
                    SPathCase{"TwiceThroughAHardLink", {"old.mp3", "hard.mp3"}, "hard.mp3: named twice"},
                    SPathCase{"Folder", {"01.mp3", "sub"}, "sub: is a folder"}),
    kByName);
