#include "audio/WaveFile.h"
#include "platform/ByteOrder.h"
#include "platform/StringTable.h"
#include "doubles/FakeUi.h"
#include "split/ShredChecks.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class CWaveProbe : public CWaveFile {
public:
    using CWaveFile::CWaveFile;
    using CWaveFile::WriteHeader;
};

struct WaveFile : ::testing::Test {
    CWaveProbe& Open(const CWavLayout& wav = {})
    {
        source = BuildWav(wav);
        WriteBytes(dir / "in.wav", source);
        return Reopen();
    }
    CWaveProbe& Reopen()
    {
        pFile = std::make_unique<CWaveProbe>(dir / "in.wav", nullptr, ui);
        return *pFile;
    }
    int32_t Shred(int32_t n, int32_t nOverlap = 0)
    {
        pFile->SetOverlapTime(nOverlap);
        ui.shredAnswer = {true, n, dir / "part"};
        return pFile->ShredEqually();
    }
    CWrittenWav Part(int i) const { return ReadWrittenWav(dir / ("PART-" + std::to_string(i) + ".wav")); }
    void TearDown() override
    {
        if (source.empty())
            return; // a sparse source
        EXPECT_EQ(ReadBytes(dir / "in.wav"), source) << "the source was touched";
    }

    CTempDir dir;
    CFakeUi ui;
    Bytes source;
    std::unique_ptr<CWaveProbe> pFile;
};

constexpr uint64_t kGiB = uint64_t{1} << 30;
constexpr uint64_t kSecond = 176400; // of the default layout
const Bytes kListChunk{'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'};
const CWavLayout kSmall{.dataSizeField = 4000}, kStreamed{.dataSizeField = 0xFFFFFFFF};
const CWavLayout kByteFrames{.channels = 1, .samplesPerSec = 8000, .avgBytesPerSec = 8000, .blockAlign = 1,
                             .bitsPerSample = 8};

} // namespace

// The source's format chunk, whatever header it had, then the selected frames.
struct SSelection {
    int32_t nStart, nEnd, nSecsPerStep;
    uint32_t nDataBytes;
    uint64_t nFrom;
    const char* pSeconds;
    CWavLayout wav = {};
};

class WaveSelection : public WaveFile, public ::testing::WithParamInterface<SSelection> {};

TEST_P(WaveSelection, WritesTheSelectedFrames)
{
    const SSelection& s = GetParam();
    ASSERT_EQ(Open(s.wav).SaveSelection(dir / "out.wav", s.nStart, s.nEnd, s.nSecsPerStep), 0);
    const CWrittenWav w = ReadWrittenWav(dir / "out.wav");
    EXPECT_EQ(w.nDataSize, s.nDataBytes);
    EXPECT_EQ(w.nRiffSize, w.nFileSize - 8);
    const size_t nFmt = s.wav.riffId == "RIFF" ? 12 : 48, nEnd = nFmt + 8 + ReadU32LE(&source.at(nFmt + 4));
    EXPECT_EQ(ReadRange(dir / "out.wav", 12, nEnd - nFmt), Bytes(source.begin() + nFmt, source.begin() + nEnd));
    EXPECT_TRUE(w.IsSourceAudioFrom(s.nFrom));
    EXPECT_EQ(ui.messages.at(0).strText, std::string("This selection will last for ") + s.pSeconds + " seconds");
}

INSTANTIATE_TEST_SUITE_P(
    Selections, WaveSelection,
    ::testing::Values(SSelection{5, 2, 1, 529200, 352800, "3.00"},   // reversed
                      SSelection{1, 5, 3, 1234800, 529200, "7.00"},  // past the end
                      SSelection{0, 2147483647, 300, 1764000, 0, "10.00"}, // no 32-bit wrap
                      SSelection{1, 3, 1, 200004, 100008, "2.00", {.channels = 3, .avgBytesPerSec = 100003, .blockAlign = 6, .dataBytes = 600000}},
                      SSelection{2, 5, 1, 529200, 352800, "3.00", {.riffId = "RF64"}},
                      // non-PCM: the extra bytes only when the chunk holds their size
                      SSelection{0, 1, 1, 176400, 0, "1.00", {.formatTag = 2, .formatExtra = Bytes{0xAB, 0xCD}, .fact = Bytes{9, 8, 7, 6}}},
                      SSelection{0, 1, 1, 176400, 0, "1.00", {.formatTag = 2, .fact = Bytes{9, 8, 7, 6}}}));

// Fragment i ends at i × nFragment, starts the overlap earlier and counts its own samples in fact.
struct SSplitCase {
    const char* pName;
    CWavLayout wav;
    int32_t n, nOverlap;
    uint64_t nFragment;
    std::vector<uint32_t> facts = {}; // the counts written
};

class WaveSplit : public WaveFile, public ::testing::WithParamInterface<SSplitCase> {};

TEST_P(WaveSplit, FragmentsCoverTheSourceAndRepeatTheOverlap)
{
    const SSplitCase& c = GetParam();
    ASSERT_EQ(Open(c.wav).GetError(), 0);
    ASSERT_EQ(Shred(c.n, c.nOverlap), 0);
    const uint64_t nLap = uint64_t{c.wav.avgBytesPerSec} * static_cast<uint32_t>(c.nOverlap);
    for (uint64_t i = 1; i <= static_cast<uint64_t>(c.n); ++i) {
        const uint64_t nTo = i * c.nFragment, nFrom = nTo - c.nFragment - std::min(nTo - c.nFragment, nLap);
        const CWrittenWav w = Part(static_cast<int>(i));
        EXPECT_EQ(w.nDataSize, nTo - nFrom) << i;
        EXPECT_EQ(w.nRiffSize, w.nFileSize - 8) << i;
        EXPECT_TRUE(w.IsSourceAudioFrom(nFrom)) << i;
        Bytes fact = c.wav.fact.value_or(Bytes{});
        if (fact.size() >= 4)
            WriteU32LE(fact.data(), c.facts.at(i - 1));
        EXPECT_EQ(w.fact, fact) << i;
    }
    EXPECT_LT(c.wav.dataBytes - c.n * c.nFragment, uint64_t{c.wav.blockAlign} * static_cast<uint32_t>(c.n));
}

CWavLayout FactLayout(uint16_t nTag, uint16_t nAlign, uint32_t nRate, uint32_t nData, Bytes extra, Bytes fact = {0x39, 0x30, 0, 0})
{
    return {.formatTag = nTag, .channels = 1, .avgBytesPerSec = nRate, .blockAlign = nAlign,
            .formatExtra = extra.empty() ? std::nullopt : std::optional(extra), .fact = fact, .dataBytes = nData};
}

INSTANTIATE_TEST_SUITE_P(
    Splits, WaveSplit,
    ::testing::Values(
        SSplitCase{"Overlap1s", {}, 3, 1, 588000}, SSplitCase{"OverlapPastTheStart", {}, 3, 5, 588000},
        SSplitCase{"OddBytesInSeven", {.channels = 1, .samplesPerSec = 1000, .avgBytesPerSec = 1000, .blockAlign = 1, .bitsPerSample = 8, .dataBytes = 1000003}, 7, 0, 142857},
        SSplitCase{"SixByteFrames", {.channels = 1, .samplesPerSec = 1000, .avgBytesPerSec = 6000, .blockAlign = 6, .bitsPerSample = 48, .dataBytes = 30011}, 4, 0, 7500},
        SSplitCase{"MsAdpcm", FactLayout(2, 1024, 4096, 40960, {0xF4, 0x07, 0, 0}), 2, 1, 20480, {40720, 48864}},
        SSplitCase{"ImaAdpcmLongFact", FactLayout(0x11, 256, 1024, 10240, {0xF9, 0x01}, {1, 2, 3, 4, 5, 6, 7, 8}), 2, 1, 5120, {10100, 12120}},
        SSplitCase{"ImaAdpcmInProportion", FactLayout(0x11, 256, 1024, 10240, {}), 2, 1, 5120, {6172, 7407}},
        SSplitCase{"ShorterThanACount", FactLayout(0x11, 256, 1024, 10240, {0xF9, 0x01}, {0xAB, 0xCD}), 2, 1, 5120}),
    [](const auto& tp) { return std::string(tp.param.pName); });

// Too many fragments, then a split that takes the overlap the user set in Customize while asked about 2 s.
TEST_F(WaveFile, SplitsThatWriteNothingOrChangeTheOverlap)
{
    Open();
    EXPECT_EQ(Shred(65535), 0);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"in.wav"});
    EXPECT_EQ(ui.messages.at(0).strText, "The number of fragments cannot be more than 65534.");
    ui.dialog.yes = {true};
    ui.dialog.customize = [this] {
        pFile->SetOverlapTime(1);
        return 1u;
    };
    ASSERT_EQ(Shred(3, 2), 0);
    EXPECT_EQ(Part(2).nDataSize, 588000u + kSecond);
}

// Sparse sources patched at an offset: the audio read or why none, and a RIFF header for it, else RF64.
struct SOpenCase {
    const char* pName;
    CWavLayout wav;
    uint64_t nAudio; // bytes after the data chunk's header
    uint64_t nPatchAt;
    Bytes patch;
    int32_t nStatus;
    uint64_t nDataBytes = 0;
    int64_t nDs64Samples = -1; // -1 for RIFF
    Bytes fact = {};
};

class WaveOpen : public WaveFile, public ::testing::WithParamInterface<SOpenCase> {};

TEST_P(WaveOpen, ReadsTheAudioAndWritesAHeaderThatHoldsIt)
{
    const SOpenCase& c = GetParam();
    const uint64_t nAudioStart = WriteSparseWav(dir / "in.wav", c.wav, c.nAudio, c.nPatchAt, c.patch);
    CWaveProbe& f = Reopen();
    ASSERT_EQ(f.ReportError(nullptr), c.nStatus);
    if (c.nStatus != 0) {
        EXPECT_EQ(ui.messages.at(0).strText, LoadResString(static_cast<unsigned>(c.nStatus)));
        return;
    }
    EXPECT_EQ(f.GetDataStart(), nAudioStart);
    ASSERT_EQ(f.GetDataBytes(), c.nDataBytes);
    CFile out;
    ASSERT_TRUE(out.Open(dir / "out.wav", CFile::EMode::Create));
    f.WriteHeader(out, c.nDataBytes);
    out.Close();
    std::filesystem::resize_file(dir / "out.wav", std::filesystem::file_size(dir / "out.wav") + c.nDataBytes + c.nDataBytes % 2);
    const CWrittenWav w = ReadWrittenWav(dir / "out.wav", false);
    EXPECT_EQ(w.strRiffId, c.nDs64Samples < 0 ? "RIFF" : "RF64");
    EXPECT_EQ(w.nRiffSize, w.nFileSize - 8);
    EXPECT_EQ(w.nDataSize, c.nDataBytes);
    EXPECT_EQ(w.nDs64Samples, c.nDs64Samples);
    EXPECT_EQ(w.fact, c.fact);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WaveOpen,
    ::testing::Values(
        SOpenCase{"DataTagInsideList", {.chunksBeforeData = {{"LIST", {'I', 'N', 'F', 'O', 'd', 'a', 't', 'a', 9, 9, 9, 9, 'x'}}}, .dataSizeField = 4000}, 4000, 0, {}, 0, 4000},
        SOpenCase{"DataPastTheFirst1000Bytes", {.chunksBeforeData = {{"bext", Bytes(602)}, {"JUNK", Bytes(1000)}}, .dataSizeField = 4000}, 4000, 0, {}, 0, 4000},
        SOpenCase{"OddChunkPadded", {.chunksBeforeData = {{"note", {'a', 'b', 'c'}}}, .dataSizeField = 4000}, 4000, 0, {}, 0, 4000},
        SOpenCase{"DataSizeBeyondTheFile", {.dataSizeField = 2000000}, 176400, 0, {}, 0, 176400},
        SOpenCase{"NoFormatChunk", kSmall, 4000, 12, {'f', 'm', 'x'}, 105},
        SOpenCase{"ZeroBlockAlign", kSmall, 4000, 32, {0, 0}, 105},
        SOpenCase{"NoDataChunk", kSmall, 4000, 36, {'d', 'a', 't', '4'}, 106},
        SOpenCase{"HugeChunkBeforeData", kSmall, 4000, 16, {0xF0, 0xFF, 0xFF, 0xFF}, 106},
        SOpenCase{"Streamed", kStreamed, 5 * kGiB, 0, {}, 0, 5 * kGiB, 5 * kGiB / 4},
        SOpenCase{"Interrupted", CWavLayout{.dataSizeField = 0}, 5 * kGiB, 0, {}, 0, 5 * kGiB, 5 * kGiB / 4},
        // a chunk where 0xFFFFFFFF bytes end: the size is real; an id whose size runs past the file: no chunk
        SOpenCase{"FullSizeThenAChunk", kStreamed, 0x100000000 + 12, 44 + 0x100000000, kListChunk, 0, 0xFFFFFFFF, 0xFFFFFFFF / 4},
        SOpenCase{"StreamedPastNoChunk", kStreamed, 5 * kGiB, 44 + 0x100000000, {'L', 'I', 'S', 'T', 0xF0, 0xFF, 0xFF, 0xFF}, 0, 5 * kGiB, 5 * kGiB / 4},
        SOpenCase{"Rf64ThenAChunk", CWavLayout{.dataSizeField = static_cast<int64_t>(5 * kGiB), .riffId = "RF64"}, 5 * kGiB + 12, 80 + 5 * kGiB, kListChunk, 0, 5 * kGiB, 5 * kGiB / 4},
        SOpenCase{"RiffToItsLimit", kByteFrames, 0xFFFFFFFFu - 37, 0, {}, 0, 0xFFFFFFFFu - 37},
        SOpenCase{"PadBytePassesTheLimit", kByteFrames, 0xFFFFFFFFu - 36, 0, {}, 0, 0xFFFFFFFFu - 36, 0xFFFFFFFFu - 36},
        // a count past 32 bits leaves the fact field at its largest value
        SOpenCase{"ImaAdpcm", FactLayout(0x11, 256, 4055, 0, {0xF9, 0x01}), 5 * kGiB, 0, {}, 0, 5 * kGiB, 5 * kGiB / 256 * 505, {0xFF, 0xFF, 0xFF, 0xFF}}),
    [](const auto& tp) { return std::string(tp.param.pName); });

// A fact chunk too large to be one (2 MiB, after the audio) is none: its size is not allocated.
TEST_F(WaveFile, HugeFactChunkIsNone)
{
    WriteSparseWav(dir / "in.wav", {.dataSizeField = 0}, 3 << 20, 44, Bytes{'f', 'a', 'c', 't', 0, 0, 0x20, 0});
    EXPECT_EQ(Reopen().GetFactData(), nullptr);
}

// The streamed 5 GiB file: its length, the dialog's checks and a selection past 4 GiB.
TEST_F(WaveFile, StreamedFilePast4GiBIsReadWhole)
{
    const uint64_t nAudio = 5 * kGiB;
    const Bytes tail = BuildWav({.dataBytes = 200000}); // bytes unlike their neighbours
    const uint64_t nStart = WriteSparseWav(dir / "in.wav", kStreamed, nAudio, 44 + nAudio - tail.size(), tail);
    Reopen().ShowFileInformation();
    EXPECT_EQ(ui.infoLines.at(8), "Playing duration - 30434.86 seconds");
    ui.shredAnswer = {}; // cancelled: the dialog's values only
    ASSERT_EQ(pFile->ShredEqually(), 0);
    const CWaveShredArgs& args = ui.waveShredArgs.at(0);
    EXPECT_EQ(CheckWaveFragmentCount("30434", args).nResult, kCheckOk);
    EXPECT_EQ(CheckWaveFragmentCount("30435", args).nResult, kCheckTooShort);
    EXPECT_EQ(EstimateWave(args, 1).nFragmentSize, nAudio + 80) << "one piece would be RF64";
    ASSERT_EQ(pFile->SaveSelection(dir / "end.wav", 30434, 30436, 1), 0);
    const CWrittenWav w = ReadWrittenWav(dir / "end.wav");
    EXPECT_EQ(w.nDataSize, nAudio - 30434 * kSecond);
    EXPECT_EQ(w.audio, ReadRange(dir / "in.wav", nStart + 30434 * kSecond, w.nDataSize)) << "to the last byte";
}
