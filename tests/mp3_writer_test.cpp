#include "audio/Mp3File.h"
#include "split/ShredChecks.h"
#include "support/FakeUi.h"
#include "support/Mp3Builder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

struct SOpened {
    CTempDir dir;
    CFakeUi ui;
    Bytes source;
    std::unique_ptr<CMp3File> file;
};

std::unique_ptr<SOpened> Open(const Bytes& bytes, const std::string& strName = "a.mp3")
{
    auto p = std::make_unique<SOpened>();
    p->source = bytes;
    WriteBytes(p->dir / strName, bytes);
    p->file = std::make_unique<CMp3File>(p->dir / strName, nullptr, p->ui);
    return p;
}

Bytes Slice(const Bytes& b, size_t nFrom, size_t nTo)
{
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(nFrom), b.begin() + static_cast<std::ptrdiff_t>(nTo));
}

const CFrameSpec k128 = Mpeg1Layer3At128k();
const Bytes kTag = Id3v1Tag("Song", "Band");

// 128 kbit/s at 48000 Hz: frames of 384 bytes, exactly 16000 bytes a second.
const CFrameSpec kAt48000Hz{3, 1, 9, 1};

// An ID3v2 tag larger than the search reach and an "Info" frame before 1000
// frames of 384 bytes: the audio starts at 3010 + 384.
Bytes TaggedWithInfoFrame()
{
    return Id3v2Tag(3000) + XingFrame(kAt48000Hz, 384, "Info", 1000, 384384) + Stream(kAt48000Hz, 384, 1000) + kTag;
}
constexpr size_t kInfoAudio = 3394;

// An information frame giving 200 frames and 62500 bytes: 11962.890625 bytes
// a second on average, where the first frames' header says 16000.
Bytes VbrWithXing()
{
    return XingFrame(k128, 417, "Xing", 200, 62917) + Stream(k128, 417, 100) + Stream(CFrameSpec{3, 1, 5}, 208, 100);
}

// 200000 bytes: 479 frames and the start of another.
Bytes Bytes200000()
{
    Bytes b = Stream(k128, 417, 480);
    b.resize(200000);
    return b;
}

struct SSaveCase {
    const char* name;
    Bytes source;
    int32_t nStart, nEnd, nSecsPerStep;
    size_t nFrom, nTo; // the source bytes copied
    bool bTag;
    const char* seconds;
};

class SaveSelection : public testing::TestWithParam<SSaveCase> {};

TEST_P(SaveSelection, CopiesFromAFrameAndAppendsTheTag)
{
    const SSaveCase& c = GetParam();
    const auto p = Open(c.source);
    ASSERT_EQ(p->file->GetError(), 0);
    ASSERT_EQ(p->file->SaveSelection(p->dir / "out.mp3", c.nStart, c.nEnd, c.nSecsPerStep), 0);
    EXPECT_EQ(ReadBytes(p->dir / "out.mp3"), Slice(c.source, c.nFrom, c.nTo) + (c.bTag ? kTag : Bytes{}));
    ASSERT_EQ(p->ui.messages.size(), 1u);
    EXPECT_EQ(p->ui.messages[0].strText, std::string("This selection will last for ") + c.seconds + " seconds");
    EXPECT_EQ(p->ui.messages[0].strCaption, "Fragment Saved");
}

// At 128 kbit/s, steps 2 to 5 of 3 seconds are 96000 bytes on and 144000
// long; the first frame at or after 96000 is frame 231, at 96327.
INSTANTIATE_TEST_SUITE_P(
    Cases, SaveSelection,
    testing::Values(
        SSaveCase{"At128k", Stream(k128, 417, 600), 2, 5, 3, 96327, 96327 + 144000, false, "9.00"},
        SSaveCase{"Reversed", Stream(k128, 417, 600), 5, 2, 3, 96327, 96327 + 144000, false, "9.00"},
        SSaveCase{"NearTheEnd", Bytes200000(), 2, 5, 3, 96327, 200000, false, "6.50"},
        SSaveCase{"WithId3v1", Stream(k128, 417, 600) + kTag, 2, 5, 3, 96327, 96327 + 144000, true, "9.00"},
        SSaveCase{"StopsBeforeTheId3v1Tag", Bytes200000() + kTag, 2, 5, 3, 96327, 200000, true, "6.50"},
        SSaveCase{"StartPastTheEnd", Stream(k128, 417, 600) + kTag, 20, 30, 1, 0, 0, true, "0.00"},
        SSaveCase{"StartPastTheEndWithoutTag", Stream(k128, 417, 600), 30, 20, 1, 0, 0, false, "0.00"},
        SSaveCase{"AfterId3v2AndInfoFrame", TaggedWithInfoFrame(), 2, 5, 3, kInfoAudio + 96000,
                  kInfoAudio + 240000, true, "9.00"},
        SSaveCase{"AtTheAverageRate", VbrWithXing(), 1, 3, 1, 417 + 29 * 417, 417 + 29 * 417 + 23925, false, "2.00"},
        SSaveCase{"FromTheStartSkipsTheInfoFrame", TaggedWithInfoFrame(), 0, 1, 3, kInfoAudio, kInfoAudio + 48000,
                  true, "3.00"}),
    ByName());

TEST(Mp3SaveSelection, ProgressAndRefusedOutput)
{
    const auto p = Open(Stream(k128, 417, 600));
    ASSERT_EQ(p->file->SaveSelection(p->file->GetFilePath(), 0, 1, 1), kStatusCannotCreate);
    EXPECT_TRUE(p->ui.Log().empty());
    EXPECT_TRUE(p->ui.messages.empty());
    EXPECT_EQ(ReadBytes(p->file->GetFilePath()), p->source);

    ASSERT_EQ(p->file->SaveSelection(p->dir / "out.mp3", 2, 5, 3), 0);
    const auto& log = p->ui.Log();
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 5),
              (std::vector<std::string>{"created", "total 1", "bytes 144000", "names a.mp3 out.mp3", "number 1"}));
    EXPECT_EQ(std::count(log.begin(), log.end(), "step file"), 14);
    EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
              (std::vector<std::string>{"step gross", "destroy", "message Fragment Saved", "deleted"}));
}

TEST(Mp3SaveSelection, OffsetsBeyond4GiBDoNotWrap)
{
    CTempDir dir;
    const std::string strPath = dir / "big.mp3";
    WriteBytes(strPath, Stream(k128, 417, 10));
    std::filesystem::resize_file(strPath, 5000000000ULL);
    const Bytes far = Stream(k128, 417, 100);
    {
        std::fstream out(strPath, std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(4320000000LL); // 270000 s at 16000 bytes a second
        out.write(reinterpret_cast<const char*>(far.data()), static_cast<std::streamsize>(far.size()));
    }
    CFakeUi ui;
    CMp3File file(strPath, nullptr, ui);
    ASSERT_EQ(file.GetError(), 0);
    EXPECT_DOUBLE_EQ(file.GetDuration(), 312500.0);
    ASSERT_EQ(file.SaveSelection(dir / "out.mp3", 270000, 270001, 1), 0);
    EXPECT_EQ(ReadBytes(dir / "out.mp3"), Slice(far, 0, 16000));
}

// The split of a 1,600,128-byte file, 1,600,000 bytes of 417-byte frames and
// an ID3v1 tag, into 4: 400000 bytes each, every fragment after the first
// starting on the first frame after the previous one's end.
Bytes Bytes1600128()
{
    Bytes b = Stream(k128, 417, 3837);
    b.resize(1600000);
    return b + kTag;
}
constexpr size_t kStarts[] = {0, 400320, 800640, 1200960};

struct SShred {
    std::unique_ptr<SOpened> p;
    std::vector<Bytes> fragments;
    int32_t nStatus = 0;
};

SShred Shred(const Bytes& source, int32_t n, int32_t nOverlap, const std::string& strBase = "")
{
    SShred s;
    s.p = Open(source);
    s.p->file->SetOverlapTime(nOverlap);
    s.p->ui.shredAnswer = {true, n, strBase};
    s.nStatus = s.p->file->ShredEqually();
    for (int32_t i = 1; i <= n; ++i)
        s.fragments.push_back(ReadBytes(s.p->dir / ("A-" + std::to_string(i) + ".mp3")));
    return s;
}

TEST(Mp3ShredEqually, FourFragmentsWithoutOverlap)
{
    const Bytes source = Bytes1600128();
    const SShred s = Shred(source, 4, 0);
    ASSERT_EQ(s.nStatus, 0);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(s.fragments[i].size(), 400128u);
        EXPECT_EQ(s.fragments[i], Slice(source, kStarts[i], kStarts[i] + 400000) + kTag) << i;
    }
    // The last stops at the tag, which comes once.
    EXPECT_EQ(s.fragments[3], Slice(source, kStarts[3], 1600000) + kTag);
    EXPECT_TRUE(s.p->ui.messages.empty());

    const CMp3ShredArgs& args = s.p->ui.mp3ShredArgs.at(0);
    EXPECT_EQ(args.nFileLength, 1600128u);
    EXPECT_EQ(args.nBitrate, 128000u);
    EXPECT_DOUBLE_EQ(args.dBytesPerSecond, 16000.0);
    EXPECT_FALSE(args.bNoTag);
}

// With 2 s of overlap (32000 bytes) the lead-in starts on the first frame at
// or after P - 32000 and ends at P: 76 whole frames, 31692 bytes.
TEST(Mp3ShredEqually, OverlapLeadInEndsAtTheFragmentsStart)
{
    const Bytes source = Bytes1600128();
    const SShred s = Shred(source, 4, 2);
    ASSERT_EQ(s.nStatus, 0);
    EXPECT_EQ(s.fragments[0], Slice(source, 0, 400000) + kTag);
    for (size_t i = 1; i < 4; ++i) {
        const size_t nEnd = std::min<size_t>(kStarts[i] + 400000, 1600000);
        EXPECT_EQ(s.fragments[i], Slice(source, kStarts[i] - 31692, nEnd) + kTag) << i;
    }
    EXPECT_EQ(s.fragments[1].size(), 31692u + 400000 + 128);
}

// 30 s of overlap reach back past the audio start from fragment 2: its lead-in
// is all that precedes it, and its own bytes still follow.
TEST(Mp3ShredEqually, OverlapLongerThanWhatPrecedesStartsAtTheAudioStart)
{
    const Bytes source = Bytes1600128();
    const SShred s = Shred(source, 4, 30);
    EXPECT_EQ(s.fragments[0], Slice(source, 0, 400000) + kTag);
    EXPECT_EQ(s.fragments[1], Slice(source, 0, kStarts[1] + 400000) + kTag);
    EXPECT_EQ(s.fragments[2], Slice(source, kStarts[2] - 479967, kStarts[2] + 400000) + kTag); // 1151 frames
}

// Fragments of 96000 bytes, 250 frames of 384: lead-ins of 1 s are 41 frames.
TEST(Mp3ShredEqually, CountsFromTheAudioStartAndNeverBeginsWithTheInfoFrame)
{
    const Bytes source = TaggedWithInfoFrame();
    const SShred s = Shred(source, 4, 1);
    ASSERT_EQ(s.nStatus, 0);
    const Bytes audioHeader = HeaderBytes(kAt48000Hz);
    for (size_t i = 0; i < 4; ++i) {
        const size_t nStart = kInfoAudio + 96000 * i;
        const size_t nLead = i == 0 ? 0 : 41 * 384;
        EXPECT_EQ(s.fragments[i], Slice(source, nStart - nLead, nStart + 96000) + kTag) << i;
    }
    EXPECT_EQ(s.p->ui.mp3ShredArgs.at(0).nFileLength, 384000u + 128);
    const CEstimate e = EstimateMp3(s.p->ui.mp3ShredArgs.at(0), 4);
    EXPECT_EQ(e.nFragmentSize, 96032u + 128);
    EXPECT_DOUBLE_EQ(e.dPlaytime, 96032 / 16000.0);
}

// A gap of 2500 bytes without frames where fragment 2 would start: its search
// gives up, its file stays empty (no tag), and fragment 3 starts behind the gap.
TEST(Mp3ShredEqually, FragmentWithoutAFrameStaysEmpty)
{
    const Bytes source = Stream(k128, 417, 100) + Filler(2500) + Stream(k128, 417, 203) + kTag;
    const SShred s = Shred(source, 3, 0);
    ASSERT_EQ(s.nStatus, 0);
    EXPECT_EQ(s.fragments[0], Slice(source, 0, 42950) + kTag);
    EXPECT_TRUE(s.fragments[1].empty());
    EXPECT_EQ(s.fragments[2], Slice(source, 44200, 44200 + 42950) + kTag);
    EXPECT_EQ(s.p->dir.List(), (std::vector<std::string>{"A-1.mp3", "A-2.mp3", "A-3.mp3", "a.mp3"}));
}

TEST(Mp3ShredEqually, NamesProgressAndRefusals)
{
    const auto p = Open(Stream(k128, 417, 600), "Live.mp3");
    p->ui.shredAnswer = {true, 2, p->dir / "part.mp3"};
    ASSERT_EQ(p->file->ShredEqually(), 0);
    EXPECT_EQ(p->dir.List(), (std::vector<std::string>{"Live.mp3", "PART-1.mp3", "PART-2.mp3"}));
    p->ui.shredAnswer.strBaseName.clear();
    ASSERT_EQ(p->file->ShredEqually(), 0);
    EXPECT_EQ(p->dir.List(),
              (std::vector<std::string>{"LIVE-1.mp3", "LIVE-2.mp3", "Live.mp3", "PART-1.mp3", "PART-2.mp3"}));
    const auto& log = p->ui.Log();
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 5),
              (std::vector<std::string>{"created", "total 2", "names Live.mp3 PART-1.mp3", "number 1",
                                        "bytes 125100"}));
    EXPECT_TRUE(p->ui.messages.empty());

    const auto before = p->dir.List();
    p->ui.shredAnswer = {true, 65535, ""};
    EXPECT_EQ(p->file->ShredEqually(), 0);
    ASSERT_EQ(p->ui.messages.size(), 1u);
    EXPECT_EQ(p->ui.messages[0].strText, kTooManyFragmentsText);
    p->ui.shredAnswer = {false, 2, ""};
    EXPECT_EQ(p->file->ShredEqually(), 0);
    p->ui.shredAnswer = {true, 2, p->dir / "missing/x"};
    EXPECT_EQ(p->file->ShredEqually(), kStatusCannotCreate);
    EXPECT_EQ(p->dir.List(), before);
    EXPECT_EQ(p->ui.messages.size(), 1u);
}

TEST(Mp3ShredChecks, UseTheAverageRate)
{
    CMp3ShredArgs args;
    args.nFileLength = 160000;
    args.nBitrate = 128000;
    args.dBytesPerSecond = 10000;
    EXPECT_EQ(CheckMp3FragmentCount("16", args).nResult, kCheckOk);
    EXPECT_EQ(CheckMp3FragmentCount("17", args).nResult, kCheckTooShort);
    EXPECT_DOUBLE_EQ(EstimateMp3(args, 2).dPlaytime, 8.0);
    args.dBytesPerSecond = 0; // no average: the header's 16000
    EXPECT_EQ(CheckMp3FragmentCount("11", args).nResult, kCheckTooShort);
    EXPECT_DOUBLE_EQ(EstimateMp3(args, 2).dPlaytime, 5.0);
}

} // namespace

namespace {

CCommandResult Cut(std::vector<std::string> args)
{
    args.insert(args.begin(), TOLVANE_CUT);
    return RunCommand(args);
}

TEST(Mp3Cli, InfoSaveAndShred)
{
    CTempDir dir;
    const Bytes source = Stream(k128, 417, 600) + Id3v1Tag("Song", "Band", "", "2001", "", 'x');
    WriteBytes(dir / "song.mp3", source);

    const CCommandResult info = Cut({"info", dir / "song.mp3"});
    EXPECT_EQ(info.nExit, 0) << info.strErr;
    const auto lines = Lines(info.strOut);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0], "Filename - song.mp3");
    EXPECT_EQ(lines[9], "Play Duration - 15.65 Sec(s)");
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 10, lines.end()),
              (std::vector<std::string>{"Title : Song", "Artist : Band", "Album : ", "Year : 2001", "Comments : ",
                                        "Genre : x"}));

    const CCommandResult save = Cut({"save", dir / "song.mp3", "--from", "6", "--to", "2", "-o", dir / "cut.mp3"});
    EXPECT_EQ(save.nExit, 0) << save.strErr;
    EXPECT_EQ(save.strOut, "This selection will last for 4.00 seconds\n");
    EXPECT_EQ(ReadBytes(dir / "cut.mp3"), Slice(source, 77 * 417, 77 * 417 + 64000) + Slice(source, 250200, 250328));

    const CCommandResult shred = Cut({"shred", dir / "song.mp3", "-n", "2"});
    EXPECT_EQ(shred.nExit, 0) << shred.strErr;
    EXPECT_EQ(Lines(shred.strOut).back(), dir / "SONG-2.mp3");
    EXPECT_EQ(ReadBytes(dir / "song.mp3"), source);

    WriteBytes(dir / "bad.mp3", Filler(5000));
    const CCommandResult bad = Cut({"info", dir / "bad.mp3"});
    EXPECT_EQ(bad.nExit, 1);
    EXPECT_EQ(bad.strErr, "Invalid MP3 file !!!\n");
}

} // namespace
