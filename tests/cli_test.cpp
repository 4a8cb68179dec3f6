#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/Mp3Builder.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <sys/stat.h>

namespace {

using Args = std::vector<std::string>;

CCommandResult Cut(Args args)
{
    args.insert(args.begin(), TOLVANE_CUT);
    return RunCommand(args);
}

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
    // Of standard error, or of standard output when nothing went to standard error.
    std::string strFirstLine;
    // The entries the run adds to its folder; a refusal adds none.
    std::vector<std::string> added = {};
};

const std::string kLongName = std::string(300, 'x') + ".wav";

// Run in a folder that holds song.wav (10 s), -n.wav, bad.wav (no header), the
// folders folder.wav and TAKE-2.wav, and the pipe fifo.wav.
const SCliCase kCliCases[] = {
    {{}, 2, "tolvane-cut: missing command"},
    {{"play", "song.wav"}, 2, "tolvane-cut: unknown command 'play'"},
    {{"info", "song.wav", "other.wav"}, 2, "tolvane-cut: extra operand 'other.wav'"},
    {{"info", "song.wav", "--frob"}, 2, "tolvane-cut: unrecognized option '--frob'"},
    {{"save", "song.wav", "--from", "0", "-o", "o.wav", "--to"}, 2, "tolvane-cut: option '--to' needs a value"},
    {{"save", "song.wav", "--from", "0", "--to", "2", "-o", "o.wav", "--overlap", "1"}, 2,
     "tolvane-cut: save does not take --overlap"},
    {{"save", "song.wav", "--from", "0", "--to", "2", "-o", "o.wav", "--estimate"}, 2,
     "tolvane-cut: save does not take --estimate"},
    {{"info", "song.wav", "-n", "3"}, 2, "tolvane-cut: info does not take -n"},
    {{"shred", "song.wav", "--overlap", "1"}, 2, "tolvane-cut: shred needs -n"},
    {{"save", "song.wav", "--from", "1.5", "--to", "3", "-o", "o.wav"}, 2,
     "tolvane-cut: invalid time '1.5' for --from: whole seconds only, no fractions"},
    {{"save", "song.wav", "--from", "0", "--to", "1:60", "-o", "o.wav"}, 2,
     "tolvane-cut: invalid time '1:60' for --to: give SS, MM:SS or HH:MM:SS"},
    {{"shred", "song.wav", "-n", "2.5"}, 2, "tolvane-cut: invalid number of fragments '2.5': give a whole number"},

    {{"--version"}, 0, "tolvane-cut 0.1.0"},
    {{"help"}, 0, "Usage: tolvane-cut info FILE"},
    {{"info", "--", "-n.wav"}, 0, "Filename - -n.wav"},
    {{"save", "song.wav", "--from", "0:02", "--to=0:05", "-o", "-"}, 0, "This selection will last for 3.00 seconds"},
    {{"shred", "song.wav", "-n", "2", "--base", "folder.wav"}, 0, "Source filename - SONG.WAV",
     {"folder.wav/SONG-1.wav", "folder.wav/SONG-2.wav"}},
    {{"shred", "song.wav", "-n3", "--overlap", "0:03"}, 0,
     "tolvane-cut: warning: the overlap of 3 second(s) is longer than half a fragment (3.33 seconds); the split "
     "goes on with it",
     {"SONG-1.wav", "SONG-2.wav", "SONG-3.wav"}},

    {{"info", "nope.wav"}, 1, "tolvane-cut: nope.wav: Cannot open audio file. (No such file or directory)"},
    {{"info", "folder.wav"}, 1, "tolvane-cut: folder.wav: Cannot open audio file. (Is a directory)"},
    {{"info", "fifo.wav"}, 1, "tolvane-cut: fifo.wav: Cannot open audio file. (not a regular file)"},
    {{"save", "song.wav", "--from", "0", "--to", "1", "-o", "nowhere/o.wav"}, 1,
     "tolvane-cut: nowhere/o.wav: Cannot create destination file. (No such file or directory)"},
    {{"save", "song.wav", "--from", "0", "--to", "1", "-o", kLongName}, 1,
     "tolvane-cut: " + kLongName + ": Cannot create destination file. (File name too long)"},
    {{"save", "song.wav", "--from", "0", "--to", "1", "-o", "song.wav"}, 1,
     "tolvane-cut: song.wav: Cannot create destination file. (it is the source file)"},
    {{"save", "song.wav", "--from", "0", "--to", "1", "-o", "fifo.wav"}, 1,
     "tolvane-cut: fifo.wav: Cannot create destination file. (not a regular file)"},
    {{"save", "song.wav", "--from", "0", "--to", "1", "-o", "o.MP3"}, 1,
     "tolvane-cut: o.MP3: the file written would be WAV, not MP3"},
    {{"save", "song.wav", "--from", "10", "--to", "10", "-o", "o.wav"}, 1,
     "tolvane-cut: song.wav: no audio from 0:10 to 0:10; the audio ends at 0:10.00"},
    {{"save", "song.wav", "--from", "1:00:05", "--to", "1:00:00", "-o", "o.wav"}, 1,
     "tolvane-cut: song.wav: no audio from 1:00:00 to 1:00:05; the audio ends at 0:10.00"},
    {{"info", "bad.wav"}, 1, "tolvane-cut: bad.wav: AIFF Wave header not found. This WAV file is corrupted."},
    {{"shred", "bad.wav", "-n", "2"}, 1, "tolvane-cut: bad.wav: AIFF Wave header not found. This WAV file is corrupted."},
    {{"shred", "song.wav", "-n", "1"}, 1, "tolvane-cut: song.wav: Please enter fragment value greater than 1."},
    {{"shred", "song.wav", "-n", "11"}, 1,
     "tolvane-cut: song.wav: The number of fragments is too large so that it will not play even for 1 second."},
    {{"shred", "song.wav", "-n", "3", "--base", "take"}, 1,
     "tolvane-cut: TAKE-2.wav: Cannot create output file. (Is a directory)"},
    {{"shred", "song.wav", "-n", "2", "--base", "nowhere/"}, 1,
     "tolvane-cut: nowhere/SONG-1.wav: Cannot create output file. (No such file or directory)"},
};

void PrintTo(const SCliCase& c, std::ostream* pOut)
{
    *pOut << "tolvane-cut";
    for (const std::string& a : c.args)
        *pOut << ' ' << a.substr(0, 40);
}

struct CliCase : Cli, ::testing::WithParamInterface<SCliCase> {};

} // namespace

TEST_P(CliCase, ExitsWithItsStatusAndMessage)
{
    const SCliCase& c = GetParam();
    std::filesystem::copy_file(src, dir / "-n.wav");
    WriteBytes(dir / "bad.wav", Bytes(3000, 0xA5));
    std::filesystem::create_directory(dir / "folder.wav");
    std::filesystem::create_directory(dir / "TAKE-2.wav");
    ASSERT_EQ(::mkfifo((dir / "fifo.wav").c_str(), 0600), 0);
    std::vector<std::string> expected = Tree(dir.Path());
    expected.insert(expected.end(), c.added.begin(), c.added.end());
    std::sort(expected.begin(), expected.end());

    const CCommandResult r = RunCommand(Args{"env", "-C", dir.Path(), TOLVANE_CUT} + c.args);
    EXPECT_EQ(r.nExit, c.nExit) << r.strErr;
    const auto lines = Lines(r.strErr.empty() ? r.strOut : r.strErr);
    EXPECT_EQ(lines.empty() ? "" : lines[0], c.strFirstLine);
    if (c.nExit == 2) {
        EXPECT_EQ(r.strErr, c.strFirstLine + "\nTry 'tolvane-cut --help'.\n") << "one line and the hint";
    }
    EXPECT_EQ(Tree(dir.Path()), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, CliCase, ::testing::ValuesIn(kCliCases));

TEST_F(Cli, SaveWritesTheSelectionOrSaysWhyNot)
{
    CCommandResult r = Cut({"save", src, "--from", "2", "--to", "5", "-o", dir / "out.wav"});
    EXPECT_EQ(r.strOut, "This selection will last for 3.00 seconds\n");
    EXPECT_TRUE(ReadWrittenWav(dir / "out.wav").IsSourceAudioFrom(352800));
    // Standard output, into a pipe, gets the same bytes.
    r = RunCommand({"sh", "-c", "\"$0\" save \"$1\" --from 2 --to 5 -o - | cat", TOLVANE_CUT, src});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(Bytes(r.strOut.begin(), r.strOut.end()), ReadBytes(dir / "out.wav"));
    EXPECT_EQ(r.strErr, "This selection will last for 3.00 seconds\n");
}

TEST_F(Cli, FailuresKeepWhatWasWrittenAndLeaveNoPartialFile)
{
    CSmallDisk disk(dir / "disk", "size=1m");
    if (!disk.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const CCommandResult r = Cut({"shred", src, "-n", "3", "--base", dir / "disk/take"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "tolvane-cut: " + (dir / "disk/TAKE-2.wav") + ": No space left on device\n");
    EXPECT_TRUE(ReadWrittenWav(dir / "disk/TAKE-1.wav").IsSourceAudioFrom(0));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "disk"), {}), 1) << "the one that did not fit is gone";
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
        const auto info = Lines(RunCommand(env + Args{"info", strSource}).strOut);
        ASSERT_EQ(info.size(), 9u);
        EXPECT_EQ(info[1], "File size (As in Header) - 1764044 bytes");
        EXPECT_EQ(info[8], "Playing duration - 10.00 seconds");
        const CCommandResult r = RunCommand(env + Args{"shred", strSource, "-n", "3", "--overlap", "2"});
        EXPECT_EQ(r.nExit, 0) << r.strErr;
        const std::string strName = dir / "\xc3\x89T\xc3\x89";
        EXPECT_EQ(Lines(r.strOut), (std::vector<std::string>{
                                       "Source filename - \xc3\x89T\xc3\x89.WAV", "Number of fragments - 3",
                                       "Fragments' size - 588044 bytes", "Fragments' playtime - 3.33 Second(s)",
                                       "Overlaping time - 2 Second(s)", strName + "-1.wav", strName + "-2.wav",
                                       strName + "-3.wav"}));
        EXPECT_NE(r.strErr.find("warning: the overlap of 2 second(s)"), std::string::npos) << r.strErr;
        EXPECT_EQ(ReadWrittenWav(strName + "-2.wav").nDataSize, 588000u + 352800);
    }
}

TEST_F(Cli, Mp3FilesToo)
{
    const std::string mp3 = dir / "live.mp3";
    WriteBytes(mp3, Stream({}, 417, 200) + Id3v1Tag(std::string("Song\0", 5) + std::string(25, '\0') + "Band"));
    const auto lines = Lines(Cut({"info", mp3}).strOut);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[3], "Bitrate - 128 Kbits/sec");
    EXPECT_EQ(lines[9], "Play Duration - 5.22 Sec(s)");
    EXPECT_EQ(lines[11], "Artist : Band");
    EXPECT_EQ(Cut({"save", mp3, "--from", "1", "--to", "3", "-o", dir / "cut.mp3"}).strOut,
              "This selection will last for 2.00 seconds\n");
    EXPECT_EQ(Lines(Cut({"shred", mp3, "-n", "2"}).strOut).back(), dir / "LIVE-2.mp3");
}

// The manual page names every command and option that --help shows.
TEST(CliHelp, TheManualPageCoversEveryOptionAndCommand)
{
    const std::string strHelp = Cut({"--help"}).strOut;
    std::ifstream in(std::string(TOLVANE_SOURCE_DIR) + "/doc/tolvane-cut.1");
    std::stringstream page;
    page << in.rdbuf();
    const std::string strPage = std::regex_replace(page.str(), std::regex(R"(\\f[BIRP]|\\)"), "");
    ASSERT_FALSE(strPage.empty());
    const std::regex word(R"((?:^|[\s\[|,])(--?[a-z][a-z-]*|--(?=\s)|tolvane-cut [a-z]+))");
    int nFound = 0;
    for (auto it = std::sregex_iterator(strHelp.begin(), strHelp.end(), word); it != std::sregex_iterator(); ++it) {
        const std::string strWord = (*it)[1];
        ++nFound;
        EXPECT_NE(strPage.find(strWord.substr(strWord.rfind(' ') + 1)), std::string::npos) << strWord;
    }
    EXPECT_GE(nFound, 15);
}
