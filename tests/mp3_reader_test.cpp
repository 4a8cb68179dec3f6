#include "audio/Mp3File.h"
#include "audio/Mp3Info.h"
#include "support/FakeUi.h"
#include "support/Mp3Builder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Shows where the reader left the source.
class CProbedMp3File : public CMp3File {
public:
    using CMp3File::CMp3File;
    uint64_t Position() const { return m_file.GetPosition(); }
};

struct SOpened {
    CTempDir dir;
    CFakeUi ui;
    std::unique_ptr<CProbedMp3File> file;
};

std::unique_ptr<SOpened> Open(const Bytes& bytes)
{
    auto p = std::make_unique<SOpened>();
    WriteBytes(p->dir / "a.mp3", bytes);
    p->file = std::make_unique<CProbedMp3File>(p->dir / "a.mp3", nullptr, p->ui);
    return p;
}

// Version, layer and bitrate index: 128 kbit/s (417-byte frames at 44100 Hz),
// 64 kbit/s (208 bytes) and free format.
const CFrameSpec k128 = Mpeg1Layer3At128k();
CFrameSpec At64k()
{
    return {3, 1, 5};
}
const Bytes kHugeId3v2Header{'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};

TEST(Mp3Reader, StreamAt128kPlaysForItsLengthOver16000)
{
    const auto p = Open(Stream(k128, 417, 600));
    ASSERT_EQ(p->file->GetError(), 0);
    EXPECT_DOUBLE_EQ(p->file->GetDuration(), 250200 / 16000.0);
    EXPECT_EQ(p->file->GetBitrate(), 128000u);
    EXPECT_EQ(p->file->GetSamplingRate(), 44100u);
    EXPECT_EQ(p->file->GetFrameLength(), 417u);
    EXPECT_FALSE(p->file->HasTag());
    EXPECT_EQ(p->file->GetDataLength(), 250200u);
    EXPECT_EQ(p->file->GetDefaultExt(), "*.MP3");
    EXPECT_EQ(p->file->GetFilter(), "MP3 files (*.mp3)|*.mp3|All files (*.*)|*.*||");
}

TEST(Mp3Reader, Id3v1TagShortensTheDataButNotThePlayingTime)
{
    const auto p = Open(Stream(k128, 417, 600) + Id3v1Tag("t"));
    ASSERT_EQ(p->file->GetError(), 0);
    EXPECT_TRUE(p->file->HasTag());
    EXPECT_EQ(p->file->GetDataLength(), 250200u);
    EXPECT_DOUBLE_EQ(p->file->GetDuration(), 250328 / 16000.0);
}

struct SLeadCase {
    const char* name;
    Bytes lead;      // what stands before the stream
    int32_t nStatus;
    uint64_t nFirstFrame; // where the reader leaves the source
};

class LeadingBytes : public testing::TestWithParam<SLeadCase> {};

TEST_P(LeadingBytes, SearchReachAndStraySyncs)
{
    const SLeadCase& c = GetParam();
    const auto p = Open(c.lead + Stream(k128, 417, 40));
    ASSERT_EQ(p->file->GetError(), c.nStatus);
    if (c.nStatus == 0) {
        EXPECT_EQ(p->file->Position(), c.nFirstFrame);
        EXPECT_EQ(p->file->GetHeader(), PackedHeader(k128));
        EXPECT_DOUBLE_EQ(p->file->GetDuration(), (c.lead.size() + 40 * 417) / 16000.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LeadingBytes,
    testing::Values(SLeadCase{"HeaderAt999", Filler(999), 0, 999}, SLeadCase{"HeaderAt1000", Filler(1000), 109, 0},
                    SLeadCase{"StrayFFE0", Bytes{0xFF, 0xE0} + Filler(50), 0, 52},
                    SLeadCase{"StrayHeaderNotFollowed", HeaderBytes(At64k()) + Filler(100), 0, 104}),
    ByName());

Bytes Garbage(size_t n)
{
    std::mt19937 gen(7);
    Bytes out(n);
    for (auto& b : out)
        b = static_cast<unsigned char>(gen());
    return out;
}

struct SBadCase {
    const char* name;
    Bytes bytes;
};

class InvalidMp3 : public testing::TestWithParam<SBadCase> {};

TEST_P(InvalidMp3, GivesStatus109)
{
    const auto p = Open(GetParam().bytes);
    EXPECT_EQ(p->file->GetError(), kStatusInvalidMp3);
    p->file->ReportError(nullptr);
    ASSERT_EQ(p->ui.messages.size(), 1u);
    EXPECT_EQ(p->ui.messages[0].strText, "Invalid MP3 file !!!");
}

INSTANTIATE_TEST_SUITE_P(
    Files, InvalidMp3,
    testing::Values(SBadCase{"SingleFrame", Frame(k128, 417)},
                    SBadCase{"OneFramePlusId3v1", Frame(k128, 417) + Id3v1Tag("x")},
                    SBadCase{"FreeFormat", Stream(CFrameSpec{3, 1, 0}, 417, 20)},
                    SBadCase{"TwoMpeg25FramesIn96Bytes", Stream(CFrameSpec{0, 1, 1, 1}, 48, 2)},
                    SBadCase{"Garbage", Garbage(20000)}, SBadCase{"AllSyncBytes", Bytes(100000, 0xFF)},
                    SBadCase{"FrameCutShort", Frame(k128, 300)},
                    SBadCase{"Id3v2Only", Id3v2Tag(3000) + Filler(500)},
                    SBadCase{"HugeId3v2Size", kHugeId3v2Header + Filler(2000) + Stream(k128, 417, 10)},
                    SBadCase{"InformationFrameWithoutAudio", XingFrame(k128, 417, "Xing", 1, 834) + Frame(k128, 417)}),
    ByName());

struct SId3v2Case {
    const char* name;
    Bytes lead;
    uint64_t nAudioStart;
};

class Id3v2Tags : public testing::TestWithParam<SId3v2Case> {};

TEST_P(Id3v2Tags, AreNotAudio)
{
    const SId3v2Case& c = GetParam();
    const auto p = Open(c.lead + Stream(k128, 417, 100) + Id3v1Tag("t"));
    ASSERT_EQ(p->file->GetError(), 0);
    EXPECT_EQ(p->file->GetAudioStart(), c.nAudioStart);
    EXPECT_EQ(p->file->Position(), c.lead.size());
    EXPECT_EQ(p->file->GetDataLength(), c.lead.size() - c.nAudioStart + 41700);
    EXPECT_DOUBLE_EQ(p->file->GetDuration(), (c.lead.size() - c.nAudioStart + 41700 + 128) / 16000.0);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, Id3v2Tags,
    testing::Values(SId3v2Case{"LargerThanTheSearchReach", Id3v2Tag(5000), 5010},
                    SId3v2Case{"TwoInARow", Id3v2Tag(1200) + Id3v2Tag(300, 4), 1520},
                    SId3v2Case{"WithFooter", Id3v2Tag(2000, 4, true), 2020},
                    SId3v2Case{"FollowedByPadding", Id3v2Tag(1500) + Filler(300), 1510},
                    SId3v2Case{"SizePastTheEnd", kHugeId3v2Header, 0}),
    ByName());

// 100 frames at 128 kbit/s and 100 at 64 kbit/s: 62500 bytes, 200 × 1152
// samples at 44100 Hz.
Bytes VbrStream()
{
    return Stream(k128, 417, 100) + Stream(At64k(), 208, 100);
}
constexpr double kVbrSeconds = 200 * 1152 / 44100.0;
constexpr double kVbrRate = 62500 / kVbrSeconds;

struct SInfoCase {
    const char* name;
    Bytes bytes;
    double dBytesPerSecond;
    double dDuration;
};

class InformationFrame : public testing::TestWithParam<SInfoCase> {};

TEST_P(InformationFrame, IsNotAudioAndGivesTheAverageRate)
{
    const SInfoCase& c = GetParam();
    const auto p = Open(c.bytes);
    ASSERT_EQ(p->file->GetError(), 0);
    EXPECT_TRUE(p->file->HasInfoFrame());
    EXPECT_EQ(p->file->GetAudioStart(), 417u);
    EXPECT_EQ(p->file->Position(), 417u);
    EXPECT_DOUBLE_EQ(p->file->GetBytesPerSecond(), c.dBytesPerSecond);
    EXPECT_DOUBLE_EQ(p->file->GetDuration(), c.dDuration);
    EXPECT_EQ(p->file->GetBitrate(), 128000u); // the header's own, for the information window
}

INSTANTIATE_TEST_SUITE_P(
    Counts, InformationFrame,
    testing::Values(
        SInfoCase{"Xing", XingFrame(k128, 417, "Xing", 200, 62917) + VbrStream(), kVbrRate, kVbrSeconds},
        SInfoCase{"Vbri", VbriFrame(k128, 417, 200, 62917) + VbrStream(), kVbrRate, kVbrSeconds},
        SInfoCase{"InfoWithoutByteCount", XingFrame(k128, 417, "Info", 200, {}) + VbrStream() + Id3v1Tag("t"), kVbrRate,
                  kVbrSeconds},
        SInfoCase{"TruncatedDownload",
                  XingFrame(k128, 417, "Xing", 200, 62917) + Stream(k128, 417, 100) + Stream(At64k(), 208, 50),
                  kVbrRate, 52100 / kVbrRate},
        SInfoCase{"ZeroFrames", XingFrame(k128, 417, "Xing", 0, 62917) + VbrStream(), 16000.0, 62500 / 16000.0},
        SInfoCase{"AbsurdFrameCount", XingFrame(k128, 417, "Xing", 0xFFFFFFFF, 62917) + VbrStream(), 16000.0,
                  62500 / 16000.0},
        SInfoCase{"AbsurdByteCount", XingFrame(k128, 417, "Xing", 200, 0xFFFFFFFF) + VbrStream(), kVbrRate,
                  kVbrSeconds}),
    ByName());

TEST(Mp3Reader, ShowsTheInformationWindowsLines)
{
    // 2398 frames and 34 bytes make 1,000,000 bytes.
    const auto p = Open(Stream(k128, 417, 2398) + Filler(34));
    ASSERT_EQ(p->file->GetError(), 0);
    p->file->ShowFileInformation();
    EXPECT_EQ(p->ui.infoLines,
              (std::vector<std::string>{"Filename - a.mp3", "File size - 1000000 bytes",
                                        "Sampling Rate - 44100 Smp/sec", "Bitrate - 128 Kbits/sec",
                                        "Frame length - 417 bytes", "MPEG version - 1.0", "MPEG Layer - 3",
                                        "Copyrighted - No", "Orignal - No", "Play Duration - 62.50 Sec(s)",
                                        "Title : Unknown", "Artist : Unknown", "Album : Unknown", "Year : Unknown",
                                        "Comments : Unknown", "Genre : Unknown"}));
}

TEST(Mp3Info, TagFieldsUpToTheirFirstZeroAndHeaderFields)
{
    CMp3InfoValues info;
    info.nVersion = 0;
    info.nLayer = 2;
    info.bCopyright = info.bOriginal = true;
    const auto lines = FormatMp3InfoLines(info);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 4, lines.begin() + 8),
              (std::vector<std::string>{"MPEG version - 2.5", "MPEG Layer - 2", "Copyrighted - Yes", "Orignal - Yes"}));
    const Bytes tag = Id3v1Tag("A title of exactly thirty chrs", "Artist", "Album", "1999", "Com\xE9nt", 0x41);
    std::copy(tag.begin(), tag.end(), info.tag.begin());
    EXPECT_EQ(FormatMp3TagFields(info), (std::array<std::string, 6>{"A title of exactly thirty chrs", "Artist",
                                                                     "Album", "1999", "Com\xC3\xA9nt", "A"}));
    info.tag[127] = 0;
    EXPECT_EQ(FormatMp3TagFields(info)[5], "");
}

TEST(Mp3Reader, FailedSearchKeepsTheLastAcceptedHeader)
{
    // 60 frames, then 10000 bytes without a frame but with a stray 64 kbit/s
    // header that a search examines and turns down.
    Bytes bytes = Stream(k128, 417, 60) + Filler(10000);
    const Bytes stray = HeaderBytes(At64k());
    std::copy(stray.begin(), stray.end(), bytes.begin() + 32010);
    const auto p = Open(bytes);
    ASSERT_EQ(p->file->GetError(), 0);
    ASSERT_EQ(p->file->SaveSelection(p->dir / "out.mp3", 2, 3, 1), 0);
    EXPECT_EQ(p->file->GetHeader(), PackedHeader(k128));
    // The copy starts where the search gave up, 1001 bytes on.
    EXPECT_EQ(ReadBytes(p->dir / "out.mp3"), Bytes(bytes.begin() + 33001, bytes.end()));
    EXPECT_EQ(p->ui.messages.at(0).strText, "This selection will last for 0.19 seconds"); // 3020 bytes at 16000
}

} // namespace
