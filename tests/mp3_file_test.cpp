#include "audio/Mp3File.h"
#include "doubles/FakeUi.h"
#include "support/Mp3Builder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// 417-byte frames at 16000 bytes a second; 208-byte ones; 384-byte ones at 16000.
const CFrameLayout k128, k64{3, 1, 5}, k48000Hz{3, 1, 9, 1};
const Bytes kTag = Id3v1Tag("Song"), k40 = Stream(k128, 417, 40);
// 100 frames at 128 kbit/s and 100 at 64: 62500 bytes, 200 × 1152 samples at 44100 Hz.
const Bytes kXing = InfoFrame(k128, 417, "Xing", 200, 62917) + Stream(k128, 417, 100) + Stream(k64, 208, 100);
constexpr double kVbrSeconds = 200 * 1152 / 44100.0, kVbrRate = 62500 / kVbrSeconds;
// 1728-byte frames at 48000 bytes a second, longer than the search for the first frame reaches.
const Bytes kLayer2 = Stream({3, 2, 14, 2}, 1728, 100) + kTag;

const auto Slice = [](const Bytes& b, size_t nFrom, size_t nTo) { return Bytes(b.begin() + nFrom, b.begin() + nTo); };

struct SFolder {
    CTempDir dir;
    CFakeUi ui;
};

// The bytes written to a file in a folder of its own, then opened.
struct COpened : SFolder, CMp3File {
    explicit COpened(const Bytes& b) : CMp3File((WriteBytes(dir / "Live.mp3", b), dir / "Live.mp3"), nullptr, ui) {}
};

// The first frame is looked for within 1000 bytes of the audio start; one frame alone or free format is refused.
TEST(Mp3Open, FindsTheAudioAndItsRate)
{
    const std::tuple<const char*, Bytes, uint64_t, double, double> cases[] = { // audio start, bytes a second, seconds
        {"HeaderAt999", Filler(999) + k40, 0, 16000, 17679 / 16000.0},
        {"HeaderAt1000", Filler(1000) + k40, 0, 0, 0},
        {"Id3v2BeyondTheReach", Id3v2Tag(5000) + k40 + kTag, 5010, 16000, 16808 / 16000.0},
        {"TruncatedXing", Slice(kXing, 0, 52517), 417, kVbrRate, 52100 / kVbrRate},
        {"SingleFrame", Stream(k128, 417, 1) + kTag, 0, 0, 0},
        {"FreeFormat", Stream({3, 1, 0}, 417, 20), 0, 0, 0}};
    for (const auto& [name, bytes, nAudioStart, dBytesPerSecond, dDuration] : cases) {
        SCOPED_TRACE(name);
        COpened f(bytes);
        EXPECT_EQ(f.ReportError(nullptr), dDuration ? kStatusOk : kStatusInvalidMp3);
        if (dDuration == 0)
            continue;
        EXPECT_EQ(f.GetAudioStart(), nAudioStart);
        EXPECT_DOUBLE_EQ(f.GetBytesPerSecond(), dBytesPerSecond);
        EXPECT_DOUBLE_EQ(f.GetDuration(), dDuration);
    }
}

// Steps 2 to 5 of 3 s, behind an ID3v2 tag and an Info frame: from 96000 bytes on to the ID3v1 tag.
TEST(Mp3SaveSelection, CopiesFromAFrameAndAppendsTheTag)
{
    const Bytes source = Id3v2Tag(3000) + InfoFrame(k48000Hz, 384, "Info", 1000, 384384) +
                         Slice(Stream(k48000Hz, 384, 1000), 0, 200000) + kTag;
    for (const auto& [bytes, nStart, nEnd, nStep, nFrom, nTo, seconds] :
         {std::tuple{source, 2, 5, 3, 3394 + 96000, 3394 + 200000, "6.50"},
          std::tuple{kXing, 1, 3, 1, 30 * 417, 30 * 417 + 23925, "2.00"}, // at the average rate
          std::tuple{kLayer2, 3, 4, 1, 145152, 172800, "0.60"}}) {
        COpened f(bytes);
        ASSERT_EQ(f.SaveSelection(f.dir / "out.mp3", nStart, nEnd, nStep), 0);
        EXPECT_EQ(ReadBytes(f.dir / "out.mp3"), Slice(bytes, nFrom, nTo) + (f.HasTag() ? kTag : Bytes{}));
        EXPECT_EQ(f.ui.messages.at(0).strText, std::string("This selection will last for ") + seconds + " seconds");
    }
}

// Each fragment starts on the first frame at or after its cut point and ends at the next one, the last at the end;
// a lead-in of 30 s is 479967 bytes, or reaches back to the audio start. A fragment without a frame gets no file.
TEST(Mp3Shred, FragmentsStartOnFramesAndLeadInsEndAtTheirStart)
{
    const Bytes k1600128 = Slice(Stream(k128, 417, 3837), 0, 1600000) + kTag;
    // Fragments, overlap, and the source bytes of each fragment.
    const std::tuple<Bytes, int32_t, int32_t, std::vector<std::pair<size_t, size_t>>> cases[] = {
        {k1600128, 4, 30, {{0, 400000}, {0, 800000}, {800223 - 479967, 1200000}, {1200126 - 479967, 1600000}}},
        {Stream(k128, 417, 100) + Filler(10000) + Stream(k128, 417, 190) + kTag, 3, 0,
         {{0, 43643}, {0, 0}, {51700, 130930}}},
        {kLayer2, 3, 1, {{0, 57600}, {58752 - 46656, 115200}, {115776 - 46656, 172800}}}};
    for (const auto& [source, nCount, nOverlap, pieces] : cases) {
        COpened f(source);
        f.SetOverlapTime(nOverlap);
        f.ui.shredAnswer = {true, nCount, ""};
        ASSERT_EQ(f.ShredEqually(), 0);
        for (size_t i = 0; i < pieces.size(); ++i) {
            const std::string strPath = f.dir / ("LIVE-" + std::to_string(i + 1) + ".mp3");
            const auto [nFrom, nTo] = pieces[i];
            ASSERT_EQ(std::filesystem::exists(strPath), nFrom != nTo) << strPath;
            if (nFrom != nTo)
                EXPECT_EQ(ReadBytes(strPath), Slice(source, nFrom, nTo) + kTag) << strPath;
            else
                EXPECT_EQ(f.GetEmptyFragments(), std::vector<std::string>{strPath});
        }
    }
}

} // namespace
