#include "support/RunCommand.h"
#include "support/SmallDisk.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"
#include "support/WaveAssert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

CCommandResult Cut(std::vector<std::string> args)
{
    args.insert(args.begin(), TOLVANE_CUT);
    return RunCommand(args);
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_source = BuildWav(CanonicalWav());
        WriteBytes(src, m_source);
    }
    void ExpectSourceUntouched() const { EXPECT_EQ(ReadBytes(src), m_source); }

    CTempDir dir;
    std::string src = dir / "song.wav";
    std::vector<unsigned char> m_source;
};

} // namespace

TEST_F(Cli, InfoPrintsTheNineLines)
{
    const CCommandResult r = Cut({"info", src});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    const auto lines = Lines(r.strOut);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "Filename - song.wav");
    EXPECT_EQ(lines[1], "File size (As in Header) - 1764044 bytes");
    EXPECT_EQ(lines[8], "Playing duration - 10.00 seconds");
}

struct SBadInput {
    const char* pName;
    std::vector<unsigned char> bytes;
    const char* pMessage;
};

class CliBadInput : public ::testing::TestWithParam<SBadInput> {};

TEST_P(CliBadInput, GetsItsMessageAndExitOne)
{
    CTempDir dir;
    WriteBytes(dir / "bad.wav", GetParam().bytes);
    for (const auto& command : std::vector<std::vector<std::string>>{
             {"info", dir / "bad.wav"},
             {"save", dir / "bad.wav", "--from", "0", "--to", "1", "-o", dir / "out.wav"},
             {"shred", dir / "bad.wav", "-n", "2"}}) {
        const CCommandResult r = Cut(command);
        EXPECT_EQ(r.nExit, 1) << command[0];
        EXPECT_EQ(r.strErr, std::string(GetParam().pMessage) + "\n") << command[0];
        EXPECT_EQ(r.strOut, "");
    }
    EXPECT_EQ(dir.List(), std::vector<std::string>{"bad.wav"});
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, CliBadInput,
    ::testing::Values(SBadInput{"Empty", {}, "Audio file does not have any data !!! ( Zero length )"},
                      SBadInput{"OneByte", {'R'}, "AIFF Wave header not found. This WAV file is corrupted."},
                      SBadInput{"Garbage", std::vector<unsigned char>(3000, 0xA5),
                                "AIFF Wave header not found. This WAV file is corrupted."},
                      SBadInput{"Truncated",
                                [] {
                                    auto b = BuildWav(CanonicalWav());
                                    b.resize(38);
                                    return b;
                                }(),
                                "Data Chunk not found. This wav file is corrupted."},
                      SBadInput{"HugeFormatSize",
                                [] {
                                    auto b = BuildWav(CanonicalWav());
                                    b.resize(2000);
                                    b[16] = b[17] = b[18] = b[19] = 0xFF;
                                    return b;
                                }(),
                                "Data Chunk not found. This wav file is corrupted."}),
    [](const auto& tp) { return std::string(tp.param.pName); });

TEST(CliInput, MissingFileAndDirectory)
{
    CTempDir dir;
    std::filesystem::create_directory(dir / "folder.wav");
    for (const std::string& strPath : {dir / "missing.wav", dir / "folder.wav"}) {
        const CCommandResult r = Cut({"info", strPath});
        EXPECT_EQ(r.nExit, 1);
        EXPECT_EQ(r.strErr, "Cannot open audio file.\n");
    }
}

TEST(CliInput, UsageErrors)
{
    EXPECT_EQ(Cut({}).nExit, 2);
    EXPECT_EQ(Cut({"frobnicate", "a.wav"}).nExit, 2);
    EXPECT_EQ(Cut({"save", "a.wav", "--from", "1"}).nExit, 2);
    EXPECT_EQ(Cut({"shred", "a.wav"}).nExit, 2);
    EXPECT_EQ(Cut({"info", "a.wav", "--bogus"}).nExit, 2);
    const CCommandResult help = Cut({"--help"});
    EXPECT_EQ(help.nExit, 0);
    EXPECT_NE(help.strOut.find("Usage:"), std::string::npos);
    EXPECT_EQ(Cut({"info", "notes.txt"}).nExit, 1);
}

TEST_F(Cli, SaveWritesTheSelection)
{
    const CCommandResult r = Cut({"save", src, "--from", "2", "--to", "5", "-o", dir / "out.wav"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "This selection will last for 3.00 seconds\n");
    EXPECT_EQ(r.strErr, "");
    const CWrittenWav w = ReadWrittenWav(dir / "out.wav");
    EXPECT_EQ(w.nDataSize, 529200u);
    EXPECT_TRUE(IsSourceAudio(w.audio, 352800));
    ExpectSourceUntouched();
}

TEST_F(Cli, SaveOntoTheSourceFails)
{
    const CCommandResult r = Cut({"save", src, "--from", "2", "--to", "5", "-o", src});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Cannot create destination file.\n");
    ExpectSourceUntouched();
}

TEST_F(Cli, SaveOntoAFullDiskReportsTheSystemsText)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    const CCommandResult r = Cut({"save", src, "--from", "0", "--to", "10", "-o", "/dev/full"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("No space left on device"), std::string::npos) << r.strErr;
    ExpectSourceUntouched();
    EXPECT_EQ(dir.List(), std::vector<std::string>{"song.wav"});
}

TEST_F(Cli, ShredPrintsTheEstimateAndThePaths)
{
    const CCommandResult r = Cut({"shred", src, "-n", "3", "--base", dir / "take"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    const std::vector<std::string> expected{
        "Source filename - SONG.WAV", "Number of fragments - 3", "Fragments' size - 588044 bytes",
        "Fragments' playtime - 3.33 Second(s)", "Overlaping time - 0 Second(s)",
        dir / "TAKE-1.wav", dir / "TAKE-2.wav", dir / "TAKE-3.wav"};
    EXPECT_EQ(Lines(r.strOut), expected);
    EXPECT_EQ(ReadWrittenWav(dir / "TAKE-3.wav").nDataSize, 588000u);
    ExpectSourceUntouched();
}

TEST_F(Cli, ShredWithAnOverlapTooLongWarnsAndGoesOn)
{
    const CCommandResult r = Cut({"shred", src, "-n", "3", "--overlap", "2"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(Lines(r.strErr),
              (std::vector<std::string>{
                  "Overlap time is 2 Second(s), which is high for the fragments of playtime 3 Second(s). Set the "
                  "overlap time about 1 Second(s). Do you wish to change the overlap time?",
                  "The fragments may not adhere to the estimate that will be shown."}));
    EXPECT_EQ(ReadWrittenWav(dir / "SONG-2.wav").nDataSize, 588000u + 352800);
}

TEST_F(Cli, ShredInputErrorsWriteNothing)
{
    for (const auto& [strCount, strMessage] : std::vector<std::pair<std::string, std::string>>{
             {"1", "Please enter fragment value greater than 1."},
             {"x", "Please enter fragment value greater than 1."},
             {"11", "The number of fragments is too large so that it will not play even for 1 second."},
             {"70000", "The number of fragments cannot be more than 65534."}}) {
        const CCommandResult r = Cut({"shred", src, "-n", strCount});
        EXPECT_EQ(r.nExit, 1) << strCount;
        EXPECT_EQ(r.strErr, strMessage + "\n");
    }
    EXPECT_EQ(Cut({"shred", src, "-n", "2", "--estimate"}).nExit, 0);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"song.wav"});
}

TEST_F(Cli, ShredThatCannotCreateAFragmentSaysSo)
{
    std::filesystem::create_directory(dir / "SONG-2.wav");
    const CCommandResult r = Cut({"shred", src, "-n", "3"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Cannot create output file.\n");
    EXPECT_EQ(Lines(r.strOut).back(), dir / "SONG-1.wav");
}

TEST_F(Cli, ShredOntoADiskThatFillsUpKeepsWhatWasWritten)
{
    CSmallDisk disk(dir / "disk", "size=1m");
    if (!disk.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const CCommandResult r = Cut({"shred", src, "-n", "3", "--base", dir / "disk/take"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("No space left on device"), std::string::npos) << r.strErr;
    EXPECT_EQ(Lines(r.strOut).back(), dir / "disk/TAKE-1.wav");
    const CWrittenWav first = ReadWrittenWav(dir / "disk/TAKE-1.wav");
    EXPECT_EQ(first.audio.size(), 588000u);
    EXPECT_TRUE(IsSourceAudio(first.audio, 0));
    ExpectSourceUntouched();
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"disk", "song.wav"}));
}
