#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/Mp3Builder.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

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

} // namespace

TEST_F(Cli, InfoPrintsTheNineLines)
{
    const CCommandResult r = Cut({"info", src});
    const auto lines = Lines(r.strOut);
    ASSERT_EQ(lines.size(), 9u) << r.strErr;
    EXPECT_EQ(lines[1], "File size (As in Header) - 1764044 bytes");
    EXPECT_EQ(lines[8], "Playing duration - 10.00 seconds");
}

TEST_F(Cli, BadInputGetsItsMessageAndWritesNothing)
{
    WriteBytes(dir / "bad.wav", Bytes(3000, 0xA5));
    for (const Args& args : std::vector<Args>{{"info", dir / "bad.wav"},
                                              {"save", dir / "bad.wav", "--from", "0", "--to", "1", "-o", dir / "o.wav"},
                                              {"shred", dir / "bad.wav", "-n", "2"}}) {
        const CCommandResult r = Cut(args);
        EXPECT_EQ(r.nExit, 1);
        EXPECT_EQ(r.strErr, "AIFF Wave header not found. This WAV file is corrupted.\n");
    }
    EXPECT_EQ(Cut({"info", dir / "missing.wav"}).strErr, "Cannot open audio file.\n");
    for (const auto& [strCount, strMessage] : std::vector<std::pair<std::string, std::string>>{
             {"1", "Please enter fragment value greater than 1."},
             {"11", "The number of fragments is too large so that it will not play even for 1 second."}})
        EXPECT_EQ(Cut({"shred", src, "-n", strCount}).strErr, strMessage + "\n");
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"bad.wav", "song.wav"}));
}

TEST(CliUsage, ErrorsExitTwoAndHelpPrintsTheUsage)
{
    for (const Args& args : std::vector<Args>{{}, {"save", "a.wav", "--from", "1"}, {"shred", "a.wav"}})
        EXPECT_EQ(Cut(args).nExit, 2);
    EXPECT_EQ(Cut({"--help"}).strOut.rfind("Usage:", 0), 0u);
}

TEST_F(Cli, SaveWritesTheSelectionOrSaysWhyNot)
{
    CCommandResult r = Cut({"save", src, "--from", "2", "--to", "5", "-o", dir / "out.wav"});
    EXPECT_EQ(r.strOut, "This selection will last for 3.00 seconds\n");
    EXPECT_TRUE(ReadWrittenWav(dir / "out.wav").IsSourceAudioFrom(352800));
    r = Cut({"save", src, "--from", "2", "--to", "5", "-o", src});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Cannot create destination file.\n");
    r = Cut({"save", src, "--from", "0", "--to", "10", "-o", "/dev/full"});
    EXPECT_EQ(r.strErr, "tolvane-cut: /dev/full: No space left on device\n");
}

TEST_F(Cli, ShredPrintsTheEstimateAndThePathsWritten)
{
    const CCommandResult r = Cut({"shred", src, "-n", "3", "--overlap", "2", "--base", dir / "take"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(Lines(r.strOut), (std::vector<std::string>{
                                   "Source filename - SONG.WAV", "Number of fragments - 3",
                                   "Fragments' size - 588044 bytes", "Fragments' playtime - 3.33 Second(s)",
                                   "Overlaping time - 2 Second(s)", dir / "TAKE-1.wav", dir / "TAKE-2.wav",
                                   dir / "TAKE-3.wav"}));
    // More than half a fragment: warned, answered No, kept.
    EXPECT_NE(r.strErr.find("Set the overlap time about 1 Second(s)."), std::string::npos) << r.strErr;
    EXPECT_EQ(ReadWrittenWav(dir / "TAKE-2.wav").nDataSize, 588000u + 352800);
}

TEST_F(Cli, FailuresKeepWhatWasWrittenAndLeaveNoPartialFile)
{
    std::filesystem::create_directory(dir / "SONG-2.wav");
    CCommandResult r = Cut({"shred", src, "-n", "3"});
    EXPECT_EQ(r.strErr, "Cannot create output file.\n");
    EXPECT_EQ(Lines(r.strOut).back(), dir / "SONG-1.wav");

    CSmallDisk disk(dir / "disk", "size=1m");
    if (!disk.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    r = Cut({"shred", src, "-n", "3", "--base", dir / "disk/take"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "tolvane-cut: " + (dir / "disk/TAKE-2.wav") + ": No space left on device\n");
    EXPECT_TRUE(ReadWrittenWav(dir / "disk/TAKE-1.wav").IsSourceAudioFrom(0));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "disk"), {}), 1) << "the one that did not fit is gone";
}

// Numbers and fragment names come out the same under a German locale.
TEST_F(Cli, NumbersAndNamesDoNotFollowTheLocale)
{
    const std::string strLocales = dir / "locales", strSource = dir / "\xc3\xa9t\xc3\xa9.wav"; // été.wav
    std::filesystem::create_directory(strLocales);
    if (RunCommand({"localedef", "-i", "de_DE", "-f", "UTF-8", strLocales + "/de_DE.UTF-8"}).nExit != 0)
        GTEST_SKIP() << "cannot make the de_DE.UTF-8 locale here";
    std::filesystem::copy_file(src, strSource);
    for (const std::string strLocale : {"C", "de_DE.UTF-8"}) {
        const Args env{"env", "LOCPATH=" + strLocales, "LC_ALL=" + strLocale, TOLVANE_CUT};
        EXPECT_EQ(Lines(RunCommand(env + Args{"info", strSource}).strOut).at(8), "Playing duration - 10.00 seconds");
        const auto lines = Lines(RunCommand(env + Args{"shred", strSource, "-n", "3", "--overlap", "1"}).strOut);
        ASSERT_EQ(lines.size(), 8u) << strLocale;
        EXPECT_EQ(lines[3], "Fragments' playtime - 3.33 Second(s)");
        EXPECT_EQ(lines[7], dir / "\xc3\x89T\xc3\x89-3.wav");
        for (size_t i = 5; i < 8; ++i)
            std::filesystem::remove(lines[i]);
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
