#include "split/CueSheet.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <thread>

const std::string kAlbum = "PERFORMER \"The Band\"\nTITLE \"Live at Home\"\nFILE \"live.mp3\" MP3\n"
                           "  TRACK 01 AUDIO\n    TITLE \"Opening\"\n    INDEX 01 00:00:00\n"
                           "  TRACK 02 AUDIO\n    TITLE \"Second\"\n    PERFORMER \"Guest\"\n"
                           "    INDEX 00 03:58:00\n    INDEX 01 04:00:10\n"
                           "  TRACK 03 AUDIO\n    INDEX 01 07:30:00\n"
                           "  TRACK 04 AUDIO\n    TITLE \"Fourth\"\n    INDEX 01 10:00:74\n"
                           "  TRACK 05 AUDIO\n    TITLE \"Last\"\n    INDEX 01 61:02:03\n";
const std::string kHead = "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";

static void ExpectTheAlbum(const CCueResult& r)
{
    ASSERT_TRUE(r.sheet) << r.nLine << ": " << r.strError;
    std::string strTracks = r.sheet->strTitle + "|" + r.sheet->strPerformer + "|" + r.sheet->strFile + ": ";
    for (const CCueTrack& t : r.sheet->tracks)
        strTracks += std::to_string(t.nNumber) + " " + std::to_string(t.nStart75) + " " + t.strTitle + "/" +
                     t.strPerformer + "; ";
    EXPECT_EQ(strTracks, "Live at Home|The Band|live.mp3: 1 0 Opening/; 2 18010 Second/Guest; 3 33750 /; 4 45074 Fourth/; 5 274653 Last/; ");
}

TEST(CueSheet, ReadsTheAlbumHoweverItsLinesEnd)
{
    std::string strCrLf = "\xEF\xBB\xBF";
    for (char c : kAlbum.substr(0, kAlbum.size() - 1))
        strCrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ExpectTheAlbum(ReadCueSheet(strCrLf));
}

TEST(CueSheet, RefusesWithTheLine)
{
    for (const auto& [strText, strError, nLine] : std::vector<std::tuple<std::string, std::string, unsigned>>{
             {kHead + "FILE \"b.wav\" WAVE\nTRACK 02 AUDIO\nINDEX 01 1:00:00\n", "more than one FILE", 0},
             {kHead + "TRACK 03 AUDIO\nINDEX 01 99:xx:00\nTRACK 04 AUDIO\n", "bad character 'x'", 5},
             {"REM REPLAYGAIN_ALBUM_GAIN\n" + kHead, "cannot be read", 1},
             {kHead + "  TRACK 02 AUDIO\n    INDEX 00 01:00:00\n", "track 2 has no INDEX 01", 4},
             {kHead + "TRACK 02 AUDIO\nINDEX 01 00:00:00\n", "track 2 does not start after", 4},
             {kHead + std::string("TITLE \"a\0b\"\n", 12), "NUL", 4},
             {kHead + "REM COMMENT \"" + std::string(1 << 20, 'x') + "\"\n", "too large", 0}}) {
        const CCueResult r = ReadCueSheet(strText);
        EXPECT_FALSE(r.sheet);
        EXPECT_NE(r.strError.find(strError), std::string::npos) << r.strError;
        EXPECT_EQ(r.nLine, nLine) << r.strError;
        ExpectTheAlbum(ReadCueSheet(kAlbum)); // libcue's scanner state must not leak into the next sheet
    }
}

TEST(CueSheet, LibcuesOwnPrintingStaysOffTheTerminal)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::fputs("before", stdout);
    std::fputs("before", stderr);
    EXPECT_FALSE(ReadCueSheet("REM REPLAYGAIN_ALBUM_GAIN\nBAD LINE\n" + kHead).sheet);
    EXPECT_EQ(testing::internal::GetCapturedStderr() + testing::internal::GetCapturedStdout(), "beforebefore");
}

TEST(CueSheet, ReadsFromSeveralThreadsAtOnce)
{
    std::vector<int> wrong(4);
    std::vector<std::jthread> threads;
    for (size_t t = 0; t < wrong.size(); ++t)
        threads.emplace_back([&, t] {
            for (size_t i = 0; i < 100; ++i) {
                const bool bGood = (i + t) % 2 == 0;
                const CCueResult r = ReadCueSheet(bGood ? kAlbum : kHead + "BAD\n");
                wrong[t] += bGood ? !r.sheet || r.sheet->tracks.size() != 5 : r.nLine != 4;
            }
        });
    threads.clear();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}
