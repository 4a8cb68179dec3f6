#include "audio/FragmentNames.h"
#include "audio/Mp3File.h"
#include "doubles/FakeUi.h"
#include "support/Mp3Builder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// 417-byte frames at 16000 bytes a second; 208-byte ones; 384-byte ones at 16000.
const CFrameLayout k128, k64{3, 1, 5}, k48000Hz{3, 1, 9, 1};
const Bytes kTag = Id3v1Tag("Song"), k40 = Stream(k128, 417, 40), k600 = Stream(k128, 417, 600);
// 100 frames at 128 kbit/s and 100 at 64: 62500 bytes, 200 × 1152 samples at 44100 Hz.
const Bytes kVbr = Stream(k128, 417, 100) + Stream(k64, 208, 100);
constexpr double kVbrSeconds = 200 * 1152 / 44100.0, kVbrRate = 62500 / kVbrSeconds;

const auto Xing = [](uint32_t frames, uint32_t bytes) { return InfoFrame(k128, 417, "Xing", frames, bytes) + kVbr; };
const auto Slice = [](const Bytes& b, size_t nFrom, size_t nTo) { return Bytes(b.begin() + nFrom, b.begin() + nTo); };

struct SFolder {
    CTempDir dir;
    CFakeUi ui;
};

// The bytes written to a file in a folder of its own, then opened.
struct COpened : SFolder, CMp3File {
    explicit COpened(const Bytes& bytes, const char* name = "a.mp3")
        : CMp3File((WriteBytes(dir / name, bytes), dir / name), nullptr, ui)
    {
    }
    uint64_t Position() const { return m_file.GetPosition(); }
};

struct SOpenCase {
    const char* name;
    Bytes bytes;
    uint64_t nAudioStart = 0, nFirstFrame = 0; // where the ID3v2 tags end; where the reader leaves the source
    double dBytesPerSecond = 0, dDuration = 0; // no duration: status 109
};

class Mp3Open : public testing::TestWithParam<SOpenCase> {};

TEST_P(Mp3Open, FindsTheAudioAndItsRate)
{
    const SOpenCase& c = GetParam();
    COpened f(c.bytes);
    if (c.dDuration == 0) {
        EXPECT_EQ(f.ReportError(nullptr), kStatusInvalidMp3);
        EXPECT_EQ(f.ui.messages.at(0).strText, "Invalid MP3 file !!!");
        return;
    }
    ASSERT_EQ(f.GetError(), 0);
    EXPECT_EQ(f.GetAudioStart(), c.nAudioStart);
    EXPECT_EQ(f.Position(), c.nFirstFrame);
    EXPECT_EQ(f.GetHeader(), PackedAt(HeaderBytes(k128))); // its own bitrate is what the information window shows
    EXPECT_DOUBLE_EQ(f.GetBytesPerSecond(), c.dBytesPerSecond);
    EXPECT_DOUBLE_EQ(f.GetDuration(), c.dDuration);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Mp3Open,
    testing::Values(
        SOpenCase{"HeaderAt999", Filler(999) + k40, 0, 999, 16000, 17679 / 16000.0},
        SOpenCase{"HeaderAt1000", Filler(1000) + k40},
        SOpenCase{"Id3v2BeyondTheReach", Id3v2Tag(5000) + k40 + kTag, 5010, 5010, 16000, 16808 / 16000.0},
        SOpenCase{"Id3v2SizePastTheEnd", Bytes{'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F} + k40, 0, 10, 16000,
                  16690 / 16000.0},
        SOpenCase{"Xing", Xing(200, 62917), 417, 417, kVbrRate, kVbrSeconds},
        SOpenCase{"TruncatedDownload", Slice(Xing(200, 62917), 0, 52517), 417, 417, kVbrRate, 52100 / kVbrRate},
        SOpenCase{"AbsurdFrameCount", Xing(0xFFFFFFFF, 62917), 417, 417, 16000, 62500 / 16000.0},
        SOpenCase{"SingleFrame", Stream(k128, 417, 1) + kTag}, SOpenCase{"FreeFormat", Stream({3, 1, 0}, 417, 20)}),
    ByName);

// Behind an ID3v2 tag beyond the search reach and an Info frame the audio starts at 3010 + 384.
const Bytes kTaggedInfo =
    Id3v2Tag(3000) + InfoFrame(k48000Hz, 384, "Info", 1000, 384384) + Stream(k48000Hz, 384, 1000) + kTag;
constexpr size_t kInfoAudio = 3394;
const Bytes k200000 = Slice(Stream(k128, 417, 480), 0, 200000);
// 1728-byte frames at 48000 bytes a second: 3 s on is 1152 bytes before a frame.
const Bytes kLayer2 = Stream({3, 2, 14, 2}, 1728, 100) + kTag;

struct SSaveCase {
    const char* name;
    Bytes source;
    int32_t nStart, nEnd, nSecsPerStep;
    size_t nFrom, nTo; // the source bytes copied, then its ID3v1 tag if any
    const char* seconds;
};

class Mp3SaveSelection : public testing::TestWithParam<SSaveCase> {};

TEST_P(Mp3SaveSelection, CopiesFromAFrameAndAppendsTheTag)
{
    const SSaveCase& c = GetParam();
    COpened f(c.source);
    ASSERT_EQ(f.SaveSelection(f.dir / "out.mp3", c.nStart, c.nEnd, c.nSecsPerStep), 0);
    EXPECT_EQ(ReadBytes(f.dir / "out.mp3"), Slice(c.source, c.nFrom, c.nTo) + (f.HasTag() ? kTag : Bytes{}));
    EXPECT_EQ(f.ui.messages.at(0).strText, std::string("This selection will last for ") + c.seconds + " seconds");
    EXPECT_EQ(f.ui.messages.at(0).strCaption, "Fragment Saved");
}

// Steps 2 to 5 of 3 s at 128 kbit/s: 96000 bytes on, from the frame at 96327.
INSTANTIATE_TEST_SUITE_P(
    Cases, Mp3SaveSelection,
    testing::Values(
        SSaveCase{"At128k", k600 + kTag, 2, 5, 3, 96327, 240327, "9.00"},
        SSaveCase{"StopsBeforeTheId3v1Tag", k200000 + kTag, 2, 5, 3, 96327, 200000, "6.50"},
        SSaveCase{"StartPastTheEnd", k600 + kTag, 20, 30, 1, 0, 0, "0.00"},
        SSaveCase{"AfterId3v2AndInfo", kTaggedInfo, 2, 5, 3, kInfoAudio + 96000, kInfoAudio + 240000, "9.00"},
        SSaveCase{"AtTheAverageRate", Xing(200, 62917), 1, 3, 1, 30 * 417, 30 * 417 + 23925, "2.00"},
        SSaveCase{"FrameLongerThan1000", kLayer2, 3, 4, 1, 145152, 172800, "0.60"}),
    ByName);

const Bytes k1600128 = Slice(Stream(k128, 417, 3837), 0, 1600000) + kTag;

struct SShredCase {
    const char* name;
    Bytes source; // ends in kTag
    int32_t nCount, nOverlap;
    std::vector<std::pair<size_t, size_t>> pieces; // the source bytes of each fragment before its tag
};

class Mp3Shred : public testing::TestWithParam<SShredCase> {};

TEST_P(Mp3Shred, FragmentsStartOnFramesAndLeadInsEndAtTheirStart)
{
    const SShredCase& c = GetParam();
    COpened f(c.source, "Live.mp3");
    f.SetOverlapTime(c.nOverlap);
    f.ui.shredAnswer = {true, c.nCount, ""};
    ASSERT_EQ(f.ShredEqually(), 0);
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(f.ui.mp3ShredArgs.at(0).nFileLength, c.source.size() - f.GetAudioStart()); // audio and tag
    for (size_t i = 0; i < c.pieces.size(); ++i) {
        const std::string strPath = f.dir / ("LIVE-" + std::to_string(i + 1) + ".mp3");
        const auto [nFrom, nTo] = c.pieces[i];
        ASSERT_EQ(std::filesystem::exists(strPath), nFrom != nTo) << i;
        if (nFrom != nTo)
            EXPECT_EQ(ReadBytes(strPath), Slice(c.source, nFrom, nTo) + kTag) << i;
        else
            EXPECT_NE(std::ranges::find(f.GetEmptyFragments(), strPath), f.GetEmptyFragments().end()) << i;
    }
}

// Each fragment starts on the first frame at or after its cut point and ends at the next one; a 2 s
// lead-in is 76 frames, 31692 bytes; one of 30 s reaches back past the audio start.
INSTANTIATE_TEST_SUITE_P(
    Cases, Mp3Shred,
    testing::Values(
        SShredCase{"FourOf400128", k1600128, 4, 0,
                   {{0, 400000}, {400320, 800000}, {800223, 1200000}, {1200126, 1600000}}},
        SShredCase{"LeadInOf2s", k1600128, 4, 2,
                   {{0, 400000}, {400320 - 31692, 800000}, {800223 - 31692, 1200000}, {1200126 - 31692, 1600000}}},
        SShredCase{"LeadInOf30s", k1600128, 4, 30,
                   {{0, 400000}, {0, 800000}, {800223 - 479967, 1200000}, {1200126 - 479967, 1600000}}},
        SShredCase{"FragmentWithoutAFrame", Stream(k128, 417, 100) + Filler(10000) + Stream(k128, 417, 190) + kTag,
                   3, 0, {{0, 43643}, {0, 0}, {51700, 130930}}},
        SShredCase{"FramesLongerThan1000", kLayer2, 3, 1,
                   {{0, 57600}, {58752 - 46656, 115200}, {115776 - 46656, 172800}}}),
    ByName);

} // namespace
