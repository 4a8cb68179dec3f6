// tolvane-cut split, --exact and several files: what is written, and what is refused before writing.
#include "support/Mp3Builder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

struct CliSplit : testing::Test {
    void SetUp() override { WriteBytes(src, source), Write("sheet.cue", kSheet); }
    void Write(const std::string& strName, std::string_view s) { WriteBytes(dir / strName, Bytes(s.begin(), s.end())); }
    void TearDown() override { EXPECT_EQ(ReadBytes(src), source) << "the source was touched"; }
    CCommandResult Cut(const Args& args) { return RunCommand(Args{"env", "-C", dir.Path(), TOLVANE_CUT} + args); }

    static constexpr const char* kSheet =
        "PERFORMER \"Band\"\nTITLE \"Live\"\nFILE \"song.wav\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"Intro\"\n"
        "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    TITLE \"A/B\"\n    INDEX 00 00:01:00\n    INDEX 01 00:02:37\n"
        "  TRACK 03 AUDIO\n    TITLE \".hidden\"\n    INDEX 01 00:04:00\n  TRACK 04 AUDIO\n    INDEX 01 00:06:74\n"
        "  TRACK 05 AUDIO\n    TITLE \"End\"\n    PERFORMER \"Guest\"\n    INDEX 01 00:09:00\n";
    CTempDir dir;
    std::string src = dir / "song.wav";
    Bytes source = BuildWav({}); // 10 s of 16-bit stereo at 44100 Hz
    static constexpr uint64_t kFrame = 4;
};

// Each piece is as long as asked, also to ffprobe, and they join into the source's data.
TEST_F(CliSplit, ExactPiecesAtTimesJoinIntoTheSource)
{
    ASSERT_EQ(Cut({"split", "song.wav", "--exact", "--at", "44101s,1.5,0:07.25"}).nExit, 0);
    const uint64_t bounds[] = {0, 44101, 66150, 319725, 441000};
    Bytes joined;
    for (int i = 1; i <= 4; ++i) {
        const std::string strPiece = dir / ("SONG-" + std::to_string(i) + ".wav");
        const CWrittenWav out = ReadWrittenWav(strPiece);
        EXPECT_EQ(out.nDataSize, (bounds[i] - bounds[i - 1]) * kFrame) << i;
        joined = joined + out.audio;
        if (HaveProgram("ffprobe")) {
            EXPECT_EQ(std::stoull(RunCommand({"ffprobe", "-v", "error", "-show_entries", "stream=duration_ts", "-of",
                                              "default=nw=1:nk=1", strPiece}).strOut),
                      bounds[i] - bounds[i - 1]) << i;
        }
    }
    EXPECT_EQ(joined, Bytes(source.begin() + 44, source.end()));
}

TEST_F(CliSplit, ExactSaveTakesFractionsAndSampleCounts)
{
    const CCommandResult r = Cut({"save", "song.wav", "--exact", "--from", "0.25", "--to", "88201s", "-o", "o.wav"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "This selection will last for 1.75 seconds\n");
    const CWrittenWav out = ReadWrittenWav(dir / "o.wav");
    EXPECT_EQ(out.nDataSize, (88201 - 11025) * kFrame);
    EXPECT_TRUE(out.IsSourceAudioFrom(11025 * kFrame));
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
    ASSERT_EQ(Cut({"split", "song.wav", "--cue", "sheet.cue", "--exact", "--name", "{nn} {performer} - {album}"}).nExit,
              0);
    EXPECT_TRUE(std::filesystem::exists(dir / "05 Guest - Live.wav"));
    EXPECT_TRUE(std::filesystem::exists(dir / "01 Band - Live.wav"));
}

struct SRefusal {
    const char* name;
    Args args;
    int nExit;
    std::string strErrStart;
    std::string strSheet = {}; // after a first track, to bad.cue for split --cue bad.cue
};
constexpr const char* kTrack1 = "FILE \"song.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";

const SRefusal kRefusals[] = {
    {"FractionWithoutExact", {"split", "song.wav", "--at", "1.5"}, 2, "invalid time '1.5' for --at: whole seconds"},
    {"SamplesWithoutExact", {"save", "song.wav", "--from", "441s", "--to", "3", "-o", "o.wav"}, 2,
     "invalid time '441s' for --from: a time in samples needs --exact"},
    {"PastTheEnd", {"split", "song.wav", "--at", "4,10"}, 2, "song.wav: the time '10' lies at or past"},
    {"TimesOutOfOrder", {"split", "song.wav", "--exact", "--at", "1.5,44101s"}, 2, ""},
    {"CueWithTwoFiles", {"split", "song.wav", "song.wav", "--cue", "sheet.cue"}, 2, "split --cue takes one FILE"},
    {"NameTwice", {"split", "song.wav", "--at", "3", "--name", "same"}, 1, ""},
    {"NameIsTheSource", {"split", "song.wav", "--at", "3", "--name", "song", "-o", "."}, 1, ""},
    {"TwoFileLines", {}, 1, "bad.cue", "FILE \"b.wav\" WAVE\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n"},
    {"MalformedSheet", {}, 1, "bad.cue:5: ", "  TRACK 02 AUDIO\n    INDEX 01 xx:00:00\n"},
    {"TrackPastTheEnd", {}, 1, "bad.cue: track 2 starts", "  TRACK 02 AUDIO\n    INDEX 01 00:12:00\n"},
};

class CliSplitRefusal : public CliSplit, public testing::WithParamInterface<SRefusal> {};

TEST_P(CliSplitRefusal, WritesNothing)
{
    const SRefusal& c = GetParam();
    if (!c.strSheet.empty())
        Write("bad.cue", kTrack1 + c.strSheet);
    const std::vector<std::string> before = dir.List();
    const CCommandResult r = Cut(c.strSheet.empty() ? c.args : Args{"split", "song.wav", "--cue", "bad.cue"});
    EXPECT_EQ(r.nExit, c.nExit) << r.strErr;
    EXPECT_EQ(r.strErr.rfind("tolvane-cut: " + c.strErrStart, 0), 0u) << r.strErr;
    EXPECT_EQ(dir.List(), before);
}

INSTANTIATE_TEST_SUITE_P(Table, CliSplitRefusal, testing::ValuesIn(kRefusals), ByName);

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
