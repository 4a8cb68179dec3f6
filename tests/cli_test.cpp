#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/Mp3Builder.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include <sys/stat.h>

namespace {

using Args = std::vector<std::string>;

struct Cli : ::testing::Test {
    void SetUp() override { WriteBytes(src, source); }
    void TearDown() override { EXPECT_EQ(ReadBytes(src), source) << "the source was touched"; }
    CTempDir dir;
    std::string src = dir / "song.wav";
    Bytes source = BuildWav({});
};

// Every entry under the folder, folders included, relative to it.
std::vector<std::string> Tree(const std::string& strDir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(strDir))
        names.push_back(std::filesystem::relative(entry.path(), strDir).string());
    std::sort(names.begin(), names.end());
    return names;
}

struct SCliCase {
    Args args;
    int nExit;
    std::string strFirstLine; // of standard error
    std::vector<std::string> added = {}; // the entries the run adds to its folder; a refusal adds none
};
void PrintTo(const SCliCase& c, std::ostream* pOut) { *pOut << ::testing::PrintToString(c.args); }

// Run in a folder holding song.wav (10 s), gap.mp3 (no frame in its second third), folder TAKE-2.wav, pipe fifo.wav.
const SCliCase kCliCases[] = {
    {{"play", "song.wav"}, 2, "tolvane-cut: unknown command 'play'"},
    {{"info", "song.wav", "--frob"}, 2, "tolvane-cut: unrecognized option '--frob'"},
    {{"save", "song.wav", "--from", "0", "--to", "2", "-o", "o.wav", "--overlap", "1"}, 2,
     "tolvane-cut: save does not take --overlap"},
    {{"save", "song.wav", "--from", "1.5", "--to", "3", "-o", "o.wav"}, 2,
     "tolvane-cut: invalid time '1.5' for --from: whole seconds only, no fractions"},
    {{"save", "song.wav", "--from", "0", "--to", "1:60", "-o", "o.wav"}, 2,
     "tolvane-cut: invalid time '1:60' for --to: give SS, MM:SS or HH:MM:SS"},
    {{"info", "nope.wav"}, 1, "tolvane-cut: nope.wav: Cannot open audio file. (No such file or directory)"},
    {{"info", "fifo.wav"}, 1, "tolvane-cut: fifo.wav: Cannot open audio file. (not a regular file)"},
    {{"save", "song.wav", "--from", "0", "--to", "1", "-o", "song.wav"}, 1,
     "tolvane-cut: song.wav: Cannot create destination file. (it is the source file)"},
    {{"save", "song.wav", "--from", "1:00:05", "--to", "1:00:00", "-o", "o.wav"}, 1,
     "tolvane-cut: song.wav: no audio from 1:00:00 to 1:00:05; the audio ends at 0:10.00"},
    {{"shred", "song.wav", "-n", "3", "--base", "take"}, 1,
     "tolvane-cut: TAKE-2.wav: Cannot create output file. (Is a directory)"},
    {{"shred", "gap.mp3", "-n", "3", "--base", "gap"}, 1,
     "tolvane-cut: GAP-2.mp3: no frame found where the fragment starts; not written", {"GAP-1.mp3", "GAP-3.mp3"}},
};

struct CliCase : Cli, ::testing::WithParamInterface<SCliCase> {};

} // namespace

TEST_P(CliCase, ExitsWithItsStatusAndMessage)
{
    const SCliCase& c = GetParam();
    WriteBytes(dir / "gap.mp3", Stream({}, 417, 100) + Filler(10000) + Stream({}, 417, 190) + Id3v1Tag("Song"));
    std::filesystem::create_directory(dir / "TAKE-2.wav");
    ASSERT_EQ(::mkfifo((dir / "fifo.wav").c_str(), 0600), 0);
    std::vector<std::string> expected = Tree(dir.Path()) + c.added;
    std::sort(expected.begin(), expected.end());
    const CCommandResult r = RunCommand(Args{"env", "-C", dir.Path(), TOLVANE_CUT} + c.args);
    EXPECT_EQ(r.nExit, c.nExit) << r.strErr;
    EXPECT_EQ(Lines(r.strErr).at(0), c.strFirstLine);
    if (c.nExit == 2) {
        EXPECT_EQ(r.strErr, c.strFirstLine + "\nTry 'tolvane-cut --help'.\n") << "one line and the hint";
    }
    EXPECT_EQ(Tree(dir.Path()), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, CliCase, ::testing::ValuesIn(kCliCases));

// Clock times; standard output, into a pipe, gets the bytes a file gets; the message goes to standard error.
TEST_F(Cli, SaveWritesTheSelectionToAFileOrAPipe)
{
    CCommandResult r = RunCommand({TOLVANE_CUT, "save", src, "--from", "0:02", "--to=0:05", "-o", dir / "out.wav"});
    EXPECT_EQ(r.strOut, "This selection will last for 3.00 seconds\n");
    EXPECT_TRUE(ReadWrittenWav(dir / "out.wav").IsSourceAudioFrom(352800));
    r = RunCommand({"sh", "-c", "\"$0\" save \"$1\" --from 2 --to 5 -o - | cat", TOLVANE_CUT, src});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(Bytes(r.strOut.begin(), r.strOut.end()), ReadBytes(dir / "out.wav"));
}

// info and shred print the same numbers and names in C and, where it can be made, a German locale.
TEST_F(Cli, InfoAndShredPrintTheSameUnderAnyLocale)
{
    const std::string strLocales = dir / "locales", strSource = dir / "\xc3\xa9t\xc3\xa9.wav"; // été.wav
    std::filesystem::create_directory(strLocales);
    std::filesystem::copy_file(src, strSource);
    std::vector<std::string> locales{"C"};
    if (RunCommand({"localedef", "-i", "de_DE", "-f", "UTF-8", strLocales + "/de_DE.UTF-8"}).nExit == 0)
        locales.push_back("de_DE.UTF-8");
    for (const std::string& strLocale : locales) {
        SCOPED_TRACE(strLocale);
        const Args env{"env", "LOCPATH=" + strLocales, "LC_ALL=" + strLocale, TOLVANE_CUT};
        EXPECT_EQ(Lines(RunCommand(env + Args{"info", strSource}).strOut).at(8), "Playing duration - 10.00 seconds");
        const CCommandResult r = RunCommand(env + Args{"shred", strSource, "-n", "3", "--overlap", "2"});
        EXPECT_EQ(r.nExit, 0) << r.strErr;
        const std::string strName = dir / "\xc3\x89T\xc3\x89";
        EXPECT_EQ(Lines(r.strOut), (std::vector<std::string>{
                                       "Source filename - \xc3\x89T\xc3\x89.WAV", "Number of fragments - 3",
                                       "Fragments' size - 588044 bytes", "Fragments' playtime - 3.33 Second(s)",
                                       "Overlaping time - 2 Second(s)", strName + "-1.wav", strName + "-2.wav",
                                       strName + "-3.wav"}));
    }
}

// The manual page names every command and option that --help shows.
TEST(CliHelp, TheManualPageCoversEveryOptionAndCommand)
{
    const std::string strHelp = RunCommand({TOLVANE_CUT, "--help"}).strOut;
    std::ifstream in(std::string(TOLVANE_SOURCE_DIR) + "/doc/tolvane-cut.1");
    const std::string strPage =
        std::regex_replace(std::string(std::istreambuf_iterator<char>(in), {}), std::regex(R"(\\f[BIRP]|\\)"), "");
    const std::regex word(R"((?:^|[\s\[|,])(--?[a-z][a-z-]*|--(?=\s)|tolvane-cut [a-z]+))");
    int nFound = 0;
    for (auto it = std::sregex_iterator(strHelp.begin(), strHelp.end(), word); it != std::sregex_iterator(); ++it) {
        const std::string strWord = (*it)[1];
        ++nFound;
        EXPECT_NE(strPage.find(strWord.substr(strWord.rfind(' ') + 1)), std::string::npos) << strWord;
    }
    EXPECT_GE(nFound, 15);
}
