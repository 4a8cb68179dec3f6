#include "split/CueSheet.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

namespace {

const std::string kAlbum = "PERFORMER \"The Band\"\nTITLE \"Live at Home\"\nFILE \"live.mp3\" MP3\n"
                           "  TRACK 01 AUDIO\n    TITLE \"Opening\"\n    INDEX 01 00:00:00\n"
                           "  TRACK 02 AUDIO\n    TITLE \"Second\"\n    PERFORMER \"Guest\"\n"
                           "    INDEX 00 03:58:00\n    INDEX 01 04:00:10\n"
                           "  TRACK 03 AUDIO\n    INDEX 01 07:30:00\n"
                           "  TRACK 04 AUDIO\n    TITLE \"Fourth\"\n    INDEX 01 10:00:74\n"
                           "  TRACK 05 AUDIO\n    TITLE \"Last\"\n    INDEX 01 61:02:03\n";

void ExpectTheAlbum(const CCueResult& r)
{
    ASSERT_TRUE(r.sheet) << r.nLine << ": " << r.strError;
    EXPECT_EQ(r.sheet->strTitle + "|" + r.sheet->strPerformer, "Live at Home|The Band");
    EXPECT_EQ(r.sheet->strFile, "live.mp3");
    std::string strTracks;
    for (const CCueTrack& t : r.sheet->tracks)
        strTracks += std::to_string(t.nNumber) + " " + std::to_string(t.nStart75) + " " + t.strTitle + "/" +
                     t.strPerformer + "; ";
    // mm:ss:ff at 75 frames a second: 4:00:10 is 240 * 75 + 10.
    EXPECT_EQ(strTracks, "1 0 Opening/; 2 18010 Second/Guest; 3 33750 /; 4 45074 Fourth/; 5 274653 Last/; ");
}

std::string Replaced(std::string s, const std::string& strFrom, const std::string& strTo)
{
    for (size_t i = 0; (i = s.find(strFrom, i)) != std::string::npos; i += strTo.size())
        s.replace(i, strFrom.size(), strTo);
    return s;
}

struct SForm {
    const char* pName;
    std::string strText;
};

struct SRefusal {
    const char* pName;
    std::string strText;
    std::string strError; // a part of the reason
    unsigned nLine;
};

class CueSheetForms : public testing::TestWithParam<SForm> {};
class CueRefused : public testing::TestWithParam<SRefusal> {};

const auto kByName = [](const auto& info) { return std::string(info.param.pName); };

const std::string kHead = "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";

std::string ManyTracks(int nCount)
{
    std::string s = "FILE \"a.wav\" WAVE\n";
    for (int i = 1; i <= nCount; ++i)
        s += "TRACK " + std::to_string(i) + " AUDIO\nINDEX 01 " + std::to_string(i) + ":00:00\n";
    return s;
}

} // namespace

// The same sheet however its lines are written.
TEST_P(CueSheetForms, ReadsTheAlbumTitlesAndEachTracksIndex01)
{
    ExpectTheAlbum(ReadCueSheet(GetParam().strText));
}

INSTANTIATE_TEST_SUITE_P(
    Cue, CueSheetForms,
    testing::Values(SForm{"Plain", kAlbum}, SForm{"ByteOrderMark", "\xEF\xBB\xBF" + kAlbum},
                    SForm{"CrLf", Replaced(kAlbum, "\n", "\r\n")},
                    SForm{"NoFinalLineBreak", kAlbum.substr(0, kAlbum.size() - 1)},
                    SForm{"BlankLinesAndRemarks", Replaced(kAlbum, "  TRACK 03", "\nREM COMMENT \"x\"\n\n  TRACK 03")}),
    kByName);

TEST(CueSheet, HoldsAsManyTracksAsACd)
{
    const CCueResult r = ReadCueSheet(ManyTracks(99));
    ASSERT_TRUE(r.sheet) << r.nLine << ": " << r.strError;
    ASSERT_EQ(r.sheet->tracks.size(), 99u);
    EXPECT_EQ(r.sheet->tracks.back().nStart75, 99u * 60 * 75);
}

TEST_P(CueRefused, WithItsLine)
{
    const CCueResult r = ReadCueSheet(GetParam().strText);
    EXPECT_FALSE(r.sheet);
    EXPECT_NE(r.strError.find(GetParam().strError), std::string::npos) << r.strError;
    EXPECT_EQ(r.nLine, GetParam().nLine) << r.strError;
    // libcue's scanner keeps state from text to text: a refused sheet must not change how the next one reads.
    ExpectTheAlbum(ReadCueSheet(kAlbum));
}

INSTANTIATE_TEST_SUITE_P(
    Cue, CueRefused,
    testing::Values(
        SRefusal{"Empty", "", "no track", 0}, SRefusal{"NoTrack", "TITLE \"x\"\nFILE \"a.wav\" WAVE\n", "no track", 0},
        SRefusal{"TwoFiles", kHead + "FILE \"b.wav\" WAVE\nTRACK 02 AUDIO\nINDEX 01 1:00:00\n", "than one FILE", 0},
        SRefusal{"FileAfterTheLastTrack", kHead + "FILE \"b.wav\" WAVE\n", "more than one FILE", 0},
        SRefusal{"BadTime", kHead + "TRACK 03 AUDIO\nINDEX 01 99:xx:00\nTRACK 04 AUDIO\n", "bad character 'x'", 5},
        SRefusal{"UnknownKeyword", kHead + "TRACK 02 AUDIO\nLENGTH 3\nINDEX 01 01:00:00\n", "cannot be read", 5},
        SRefusal{"TrackBeforeAnyFile", "TITLE \"x\"\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "no file", 2},
        SRefusal{"ValueMissing", "REM REPLAYGAIN_ALBUM_GAIN\n" + kHead, "cannot be read", 1},
        SRefusal{"NoIndex01", kHead + "  TRACK 02 AUDIO\n    INDEX 00 01:00:00\n", "track 2 has no INDEX 01", 4},
        SRefusal{"LastTrackEmpty", kHead + "  TRACK 02 AUDIO\n", "track 2 has no INDEX 01", 4},
        SRefusal{"OutOfOrder",
                 kHead + "TRACK 02 AUDIO\nINDEX 01 05:00:00\nTRACK 03 AUDIO\nTITLE \"x\"\nINDEX 01 04:59:74\n",
                 "track 3 does not start after track 2", 6},
        SRefusal{"SameStart", kHead + "TRACK 02 AUDIO\nINDEX 01 00:00:00\n", "track 2 does not start after", 4},
        SRefusal{"StartOverflows", kHead + "TRACK 02 AUDIO\nINDEX 01 99999999999:00:00\n", "out of range", 4},
        SRefusal{"NulByte", kHead + std::string("TITLE \"a\0b\"\n", 12), "NUL", 4},
        SRefusal{"LongLine", kHead + "TITLE " + std::string(1000, 'x') + "\n", "longer than 1000 bytes", 4},
        SRefusal{"TooLarge", kHead + "REM COMMENT \"" + std::string(1 << 20, 'x') + "\"\n", "too large", 0}),
    kByName);

// libcue prints what it skips; none of it reaches the terminal, and what the program had written before still does.
TEST(CueSheet, LibcuesOwnPrintingStaysOffTheTerminal)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::fputs("before", stdout);
    std::fputs("before", stderr);
    EXPECT_FALSE(ReadCueSheet("REM REPLAYGAIN_ALBUM_GAIN\nBAD LINE\n" + kHead).sheet);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "before");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "before");
}

TEST(CueSheet, ReadsFromSeveralThreadsAtOnce)
{
    std::vector<std::thread> threads;
    std::vector<int> wrong(4);
    for (size_t t = 0; t < wrong.size(); ++t)
        threads.emplace_back([&, t] {
            for (size_t i = 0; i < 100; ++i) {
                const bool bGood = (i + t) % 2 == 0;
                const CCueResult r = ReadCueSheet(bGood ? kAlbum : kHead + "BAD\n");
                if (bGood ? !r.sheet || r.sheet->tracks.size() != 5 : r.nLine != 4)
                    ++wrong[t];
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}
