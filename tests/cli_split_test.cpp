// tolvane-cut split, --exact and several files: what lands in the folder, and
// what is refused before anything is written.
#include "support/Mp3Builder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using Args = std::vector<std::string>;

struct CliSplit : testing::Test {
    void SetUp() override
    {
        WriteBytes(src, source);
        const std::string strSheet = kSheet;
        WriteBytes(dir / "sheet.cue", Bytes(strSheet.begin(), strSheet.end()));
    }
    void TearDown() override { EXPECT_EQ(ReadBytes(src), source) << "the source was touched"; }
    CCommandResult Cut(const Args& args) { return RunCommand(Args{"env", "-C", dir.Path(), TOLVANE_CUT} + args); }

    static constexpr const char* kSheet = "PERFORMER \"Band\"\nTITLE \"Live\"\nFILE \"song.wav\" WAVE\n"
                                          "  TRACK 01 AUDIO\n    TITLE \"Intro\"\n    INDEX 01 00:00:00\n"
                                          "  TRACK 02 AUDIO\n    TITLE \"A/B\"\n    INDEX 00 00:01:00\n"
                                          "    INDEX 01 00:02:37\n"
                                          "  TRACK 03 AUDIO\n    TITLE \".hidden\"\n    INDEX 01 00:04:00\n"
                                          "  TRACK 04 AUDIO\n    INDEX 01 00:06:74\n"
                                          "  TRACK 05 AUDIO\n    TITLE \"End\"\n    PERFORMER \"Guest\"\n"
                                          "    INDEX 01 00:09:00\n";
    CTempDir dir;
    std::string src = dir / "song.wav";
    Bytes source = BuildWav({}); // 10 s of 16-bit stereo at 44100 Hz
};

constexpr uint64_t kFrame = 4;

// The pieces' data, joined, are the source's data; each is as long as asked.
TEST_F(CliSplit, ExactPiecesAtTimesJoinIntoTheSource)
{
    const CCommandResult r = Cut({"split", "song.wav", "--exact", "--at", "1.5,44101s,0:07.25", "-o", "out"});
    EXPECT_EQ(r.nExit, 2) << "the second time comes before the first";
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"sheet.cue", "song.wav"}));
    std::filesystem::create_directory(dir / "out");
    ASSERT_EQ(Cut({"split", "song.wav", "--exact", "--at", "44101s,1.5,0:07.25", "-o", "out"}).nExit, 0);
    const uint64_t bounds[] = {0, 44101, 66150, 319725, 441000};
    Bytes joined;
    for (int i = 1; i <= 4; ++i) {
        const std::string strPiece = dir / ("out/SONG-" + std::to_string(i) + ".wav");
        const CWrittenWav out = ReadWrittenWav(strPiece);
        EXPECT_EQ(out.nDataSize, (bounds[i] - bounds[i - 1]) * kFrame) << i;
        joined = joined + out.audio;
        if (HaveProgram("ffprobe")) {
            const CCommandResult probe = RunCommand({"ffprobe", "-v", "error", "-show_entries", "stream=duration_ts",
                                                     "-of", "default=nw=1:nk=1", strPiece});
            EXPECT_EQ(std::strtoull(probe.strOut.c_str(), nullptr, 10), bounds[i] - bounds[i - 1]) << i;
        }
    }
    EXPECT_EQ(joined, Bytes(source.begin() + 44, source.end()));
}

// A fraction and a sample count pick exactly those frames, and the notice tells their length.
TEST_F(CliSplit, ExactSaveTakesFractionsAndSampleCounts)
{
    const CCommandResult r = Cut({"save", "song.wav", "--exact", "--from", "0.25", "--to", "88201s", "-o", "o.wav"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "This selection will last for 1.75 seconds\n");
    const CWrittenWav out = ReadWrittenWav(dir / "o.wav");
    EXPECT_EQ(out.nDataSize, (88201 - 11025) * kFrame);
    EXPECT_TRUE(out.IsSourceAudioFrom(11025 * kFrame));
}

// Without --exact the pieces fall on whole seconds, as shred names them; with
// an overlap each after the first starts that much earlier.
TEST_F(CliSplit, WholeSecondTimesWithOverlap)
{
    const CCommandResult r = Cut({"split", "song.wav", "--at", "2,0:05", "--overlap", "1"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(Lines(r.strOut).size(), 3u);
    EXPECT_TRUE(ReadWrittenWav(dir / "SONG-1.wav").IsSourceAudioFrom(0));
    const CWrittenWav second = ReadWrittenWav(dir / "SONG-2.wav");
    EXPECT_EQ(second.nDataSize, 4 * 176400u);
    EXPECT_TRUE(second.IsSourceAudioFrom(176400));
    EXPECT_EQ(ReadWrittenWav(dir / "SONG-3.wav").nDataSize, 6 * 176400u);
}

TEST_F(CliSplit, CueSheetNamesAndBoundsItsTracks)
{
    const CCommandResult r = Cut({"split", "song.wav", "--cue", "sheet.cue", "--exact"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    // 00:02:37 is 2 s and 37/75 s: 88200 + 21756 frames.
    const std::pair<const char*, uint64_t> pieces[] = {{"01 - Intro.wav", 0},       {"02 - A_B.wav", 109956},
                                                       {"03 - hidden.wav", 176400}, {"04.wav", 6 * 44100 + 43512},
                                                       {"05 - End.wav", 396900},    {nullptr, 441000}};
    for (size_t i = 0; i < 5; ++i) {
        const CWrittenWav out = ReadWrittenWav(dir / pieces[i].first);
        EXPECT_EQ(out.nDataSize, (pieces[i + 1].second - pieces[i].second) * kFrame) << pieces[i].first;
        EXPECT_TRUE(out.IsSourceAudioFrom(pieces[i].second * kFrame)) << pieces[i].first;
    }
    ASSERT_EQ(Cut({"split", "song.wav", "--cue", "sheet.cue", "--exact", "--name", "{nn} {performer} - {album}",
                   "-o", "."}).nExit, 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "05 Guest - Live.wav"));
    EXPECT_TRUE(std::filesystem::exists(dir / "01 Band - Live.wav"));
}

struct SRefusal {
    const char* name;
    Args args;
    int nExit;
    std::string strErrStart;
    std::string strSheet = {}; // written to bad.cue
};
void PrintTo(const SRefusal& c, std::ostream* pOut) { *pOut << c.name; }

const SRefusal kRefusals[] = {
    {"FractionWithoutExact", {"split", "song.wav", "--at", "1.5"}, 2,
     "tolvane-cut: invalid time '1.5' for --at: whole seconds only"},
    {"SamplesWithoutExact", {"save", "song.wav", "--from", "441s", "--to", "3", "-o", "o.wav"}, 2,
     "tolvane-cut: invalid time '441s' for --from: a time in samples needs --exact"},
    {"PastTheEnd", {"split", "song.wav", "--at", "4,10"}, 2, "tolvane-cut: song.wav: the time '10' lies at or past"},
    {"NeitherAtNorCue", {"split", "song.wav"}, 2, "tolvane-cut: split needs either --at or --cue"},
    {"CueWithTwoFiles", {"split", "song.wav", "song.wav", "--cue", "sheet.cue"}, 2,
     "tolvane-cut: split --cue takes one FILE"},
    {"NameTwice", {"split", "song.wav", "--at", "3", "--name", "same"}, 1, "tolvane-cut: "},
    {"NameIsTheSource", {"split", "song.wav", "--at", "3", "--name", "song", "-o", "."}, 1, "tolvane-cut: "},
    {"TwoFileLines", {"split", "song.wav", "--cue", "bad.cue"}, 1, "tolvane-cut: bad.cue",
     "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\nFILE \"b.wav\" WAVE\n  TRACK 02 AUDIO\n"
     "    INDEX 01 00:00:00\n"},
    {"MalformedSheet", {"split", "song.wav", "--cue", "bad.cue"}, 1, "tolvane-cut: bad.cue:5: ",
     "FILE \"song.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 xx:00:00\n"},
    {"TrackPastTheEnd", {"split", "song.wav", "--cue", "bad.cue"}, 1, "tolvane-cut: bad.cue: track 2 starts",
     "FILE \"song.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:12:00\n"},
};

class CliSplitRefusal : public CliSplit, public testing::WithParamInterface<SRefusal> {};

TEST_P(CliSplitRefusal, WritesNothing)
{
    const SRefusal& c = GetParam();
    if (!c.strSheet.empty())
        WriteBytes(dir / "bad.cue", Bytes(c.strSheet.begin(), c.strSheet.end()));
    const std::vector<std::string> before = dir.List();
    const CCommandResult r = Cut(c.args);
    EXPECT_EQ(r.nExit, c.nExit) << r.strErr;
    EXPECT_EQ(r.strErr.rfind(c.strErrStart, 0), 0u) << r.strErr;
    EXPECT_EQ(dir.List(), before);
}

INSTANTIATE_TEST_SUITE_P(Table, CliSplitRefusal, testing::ValuesIn(kRefusals), ByName);

// The three-hour case in small: the tenth second starts inside the last frame.
TEST_F(CliSplit, AnMp3SelectionWithNoWholeFrameIsRefused)
{
    WriteBytes(dir / "end.mp3", Stream({.bitrateIndex = 1}, 104, 385));
    const CCommandResult r = Cut({"save", "end.mp3", "--from", "10", "--to", "11", "-o", "o.mp3"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "tolvane-cut: o.mp3: This selection holds no audio. (nothing was written)\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "o.mp3"));
}

// One file that fails is named; the others are split and the status says a file failed.
TEST_F(CliSplit, SeveralFilesGoOnPastOneThatFails)
{
    std::filesystem::copy_file(src, dir / "two.wav");
    const CCommandResult r = Cut({"shred", "song.wav", "gone.wav", "two.wav", "-n", "2", "--exact"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("gone.wav: Cannot open audio file."), std::string::npos) << r.strErr;
    for (const char* pName : {"SONG-1.wav", "SONG-2.wav", "TWO-1.wav", "TWO-2.wav"})
        EXPECT_EQ(ReadWrittenWav(dir / pName).nDataSize, 220500 * kFrame) << pName;
}

} // namespace
