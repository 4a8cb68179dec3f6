#include "audio/WaveFile.h"
#include "platform/ByteOrder.h"
#include "platform/StringTable.h"
#include "doubles/FakeUi.h"
#include "split/ShredChecks.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

class CWaveProbe : public CWaveFile {
public:
    using CWaveFile::CWaveFile;
    using CAudioFile::CopyData;
    using CWaveFile::WriteHeader;
    CFile& Source() { return m_file; }
};

struct WaveFile : ::testing::Test {
    CWaveProbe& Open(const Bytes& bytes)
    {
        source = bytes;
        WriteBytes(dir / "in.wav", bytes);
        pFile = std::make_unique<CWaveProbe>(dir / "in.wav", nullptr, ui);
        return *pFile;
    }
    CWaveProbe& Open(const CWavLayout& wav = {}) { return Open(BuildWav(wav)); }
    int32_t Shred(int32_t n, int32_t nOverlap = 0)
    {
        pFile->SetOverlapTime(nOverlap);
        ui.shredAnswer = {true, n, dir / "part"};
        return pFile->ShredEqually();
    }
    CWrittenWav Part(int i) const { return ReadWrittenWav(dir / ("PART-" + std::to_string(i) + ".wav")); }
    void TearDown() override { EXPECT_EQ(ReadBytes(dir / "in.wav"), source) << "the source was touched"; }

    CTempDir dir;
    CFakeUi ui;
    Bytes source;
    std::unique_ptr<CWaveProbe> pFile;
};

Bytes Patched(size_t at, std::vector<unsigned char> with)
{
    Bytes b = BuildWav(CWavLayout{.dataBytes = 4000});
    std::copy(with.begin(), with.end(), b.begin() + static_cast<long>(at));
    return b;
}

const Bytes kListChunk{'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'};
constexpr uint64_t kGiB = uint64_t{1} << 30;
constexpr uint64_t kSecond = 176400; // of the default layout

} // namespace

TEST_F(WaveFile, CanonicalFileAndItsInformationLines)
{
    CWaveProbe& f = Open();
    ASSERT_EQ(f.GetError(), 0);
    EXPECT_EQ(f.GetDataStart(), 44u);
    f.ShowFileInformation();
    EXPECT_EQ(ui.infoLines, (std::vector<std::string>{
                                "Filename - in.wav", "File size (As in Header) - 1764044 bytes",
                                "Number of Channels - 2", "Samples per second - 44100",
                                "Average bytes per second - 176400 bytes", "Bits per sample - 16 bits",
                                "Sample frame size - 4 bytes", "Data bytes size - 1764000 bytes",
                                "Playing duration - 10.00 seconds"}));
    EXPECT_EQ(CWaveFile(dir / "missing.wav", nullptr, ui).GetError(), 102);
}

struct SOpenCase {
    const char* pName;
    Bytes bytes;
    int32_t nStatus;
    uint64_t nDataStart = 0, nDataBytes = 0;
};

class WaveOpen : public WaveFile, public ::testing::WithParamInterface<SOpenCase> {};

TEST_P(WaveOpen, FindsTheAudioOrReportsWhyNot)
{
    const SOpenCase& c = GetParam();
    const CWaveProbe& f = Open(c.bytes);
    ASSERT_EQ(pFile->ReportError(nullptr), c.nStatus);
    if (c.nStatus == 0) {
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(f.GetDataStart(), c.nDataStart);
        EXPECT_EQ(f.GetDataBytes(), c.nDataBytes);
        return;
    }
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, EMsgIcon::Stop);
    EXPECT_EQ(ui.messages[0].strText, LoadResString(static_cast<unsigned>(c.nStatus)));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WaveOpen,
    ::testing::Values(
        SOpenCase{"DataTagInsideList", BuildWav({.chunksBeforeData = {{"LIST", {'I', 'N', 'F', 'O', 'd', 'a', 't', 'a', 9, 9, 9, 9, 'x'}}}, .dataBytes = 4000}), 0, 66, 4000},
        SOpenCase{"DataPastTheFirst1000Bytes", BuildWav({.chunksBeforeData = {{"bext", Bytes(602)}, {"JUNK", Bytes(1000)}}, .dataBytes = 4000}), 0, 1662, 4000},
        SOpenCase{"OddChunkPadded", BuildWav({.chunksBeforeData = {{"note", {'a', 'b', 'c'}}}, .dataBytes = 4000}), 0, 56, 4000},
        SOpenCase{"OddChunkWithoutPad", [] { Bytes b = BuildWav({.chunksBeforeData = {{"note", {'a', 'b', 'c'}}}, .dataBytes = 4000}); b.erase(b.begin() + 47); return b; }(), 0, 55, 4000},
        SOpenCase{"DataSizeBeyondTheFile", BuildWav({.dataBytes = 176400, .dataSizeField = 2000000}), 0, 44, 176400},
        SOpenCase{"DataSizeStreaming", BuildWav({.dataBytes = 17, .dataSizeField = 0xFFFFFFFF}), 0, 44, 17},
        SOpenCase{"DataSizeZero", BuildWav({.dataBytes = 4000, .dataSizeField = 0}), 0, 44, 4000},
        SOpenCase{"DataSizeZeroThenAChunk", BuildWav({.dataBytes = 0}) + kListChunk, 0, 44, 0},
        SOpenCase{"Rf64", BuildWav({.dataBytes = 4000, .dataSizeField = 3000, .riffId = "RF64"}) + kListChunk, 0, 80, 3000},
        SOpenCase{"Rf64WithoutDs64", [] { Bytes b = BuildWav({.dataBytes = 4000, .dataSizeField = 3000, .riffId = "RF64"}); std::copy_n("JUNK", 4, b.begin() + 12); return b; }(), 0, 80, 4000},
        SOpenCase{"Empty", {}, 108},
        SOpenCase{"OneByte", {'R'}, 104},
        SOpenCase{"NoFormatChunk", Patched(12, {'f', 'm', 'x'}), 105},
        SOpenCase{"ZeroBlockAlign", Patched(32, {0, 0}), 105},
        SOpenCase{"NoDataChunk", Patched(36, {'d', 'a', 't', '4'}), 106},
        SOpenCase{"HugeChunkBeforeData", Patched(16, {0xF0, 0xFF, 0xFF, 0xFF}), 106}),
    [](const auto& tp) { return std::string(tp.param.pName); });

TEST_F(WaveFile, NonPcmExtraBytesAndFactAreCarriedOnlyWhenTheirChunkHoldsThem)
{
    CWavLayout wav{.formatTag = 2, .bExtraSizeField = true, .formatExtra = {0xAB, 0xCD}, .bFact = true, .factData = {9, 8, 7, 6}};
    ASSERT_EQ(Open(wav).SaveSelection(dir / "out.wav", 0, 1, 1), 0);
    EXPECT_EQ(ReadRange(dir / "out.wav", 12, 32), Bytes(source.begin() + 12, source.begin() + 44));
    wav.bExtraSizeField = false; // 16 bytes: what follows is the next chunk
    EXPECT_EQ(Open(wav).GetFormatExtra(), nullptr);
    EXPECT_EQ(Open(BuildWav({.dataBytes = 0}) + Bytes{'f', 'a', 'c', 't', 0xF0, 0xFF, 0xFF, 0x7F, 1, 2}).GetFactData(), nullptr);
}

// The remainder of count / 10000 first, then whole blocks, each stepped
// before it is written, and a step before the read that finds the end.
struct SCopyCase {
    uint32_t nAvailable, nCount, nReturned, nSteps;
};

class WaveCopy : public WaveFile, public ::testing::WithParamInterface<SCopyCase> {};

TEST_P(WaveCopy, CopiesRemainderFirstThenWholeBlocks)
{
    const SCopyCase& c = GetParam();
    CWaveProbe& f = Open(CWavLayout{.dataBytes = c.nAvailable});
    f.Source().Seek(44, CFile::EFrom::Begin);
    CFile out;
    ASSERT_TRUE(out.Open(dir / "out.raw", CFile::EMode::Create));
    std::vector<uint64_t> atSteps;
    ui.onStepFile = [&] { atSteps.push_back(out.GetPosition()); };
    EXPECT_EQ(f.CopyData(out, c.nCount, ui.CreateProgress(nullptr).get()), c.nReturned);
    out.Close();
    const uint64_t nWritten = std::min(c.nAvailable, c.nCount);
    ASSERT_EQ(atSteps.size(), c.nSteps);
    for (size_t k = 0; k < atSteps.size(); ++k)
        EXPECT_LE(atSteps[k], std::min<uint64_t>(c.nCount % 10000 + k * 10000, nWritten));
    const CWrittenWav w{.audio = ReadBytes(dir / "out.raw")};
    EXPECT_EQ(w.audio.size(), nWritten);
    EXPECT_TRUE(w.IsSourceAudioFrom(0));
}

INSTANTIATE_TEST_SUITE_P(Counts, WaveCopy,
                         ::testing::Values(SCopyCase{30000, 25000, 25000, 2}, SCopyCase{30000, 0, 0, 0},
                                           SCopyCase{20000, 25000, 0, 3}, SCopyCase{3000, 25000, 0, 1}));

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
    const auto srcFormat = source.begin() + static_cast<long>(pFile->GetDataStart()) - 32;
    EXPECT_EQ(ReadRange(dir / "out.wav", 12, 24), Bytes(srcFormat, srcFormat + 24));
    EXPECT_EQ(w.audio.size(), s.nDataBytes);
    EXPECT_TRUE(w.IsSourceAudioFrom(s.nFrom));
    EXPECT_EQ(ui.messages.at(0).strText, std::string("This selection will last for ") + s.pSeconds + " seconds");
}

INSTANTIATE_TEST_SUITE_P(
    Selections, WaveSelection,
    ::testing::Values(SSelection{2, 5, 1, 529200, 352800, "3.00"},
                      SSelection{5, 2, 1, 529200, 352800, "3.00"},   // reversed
                      SSelection{1, 5, 3, 1234800, 529200, "7.00"},  // past the end
                      SSelection{10, 12, 1, 0, 1764000, "0.00"},
                      SSelection{0, 2147483647, 300, 1764000, 0, "10.00"}, // no 32-bit wrap
                      SSelection{1, 3, 1, 200004, 100008, "2.00", {.channels = 3, .avgBytesPerSec = 100003, .blockAlign = 6, .dataBytes = 600000}},
                      SSelection{2, 5, 1, 529200, 352800, "3.00", {.riffId = "RF64"}}));

// Fragment i ends at i × nFragment and starts the overlap before fragment i − 1 ends (at 0 at the
// earliest); less than a frame a fragment is left over; odd audio is padded.
struct SSplitCase {
    const char* pName;
    CWavLayout wav;
    int32_t n, nOverlap;
    uint64_t nFragment;
};

class WaveSplit : public WaveFile, public ::testing::WithParamInterface<SSplitCase> {};

TEST_P(WaveSplit, FragmentsCoverTheSourceAndRepeatTheOverlap)
{
    const SSplitCase& c = GetParam();
    Open(c.wav);
    ASSERT_EQ(Shred(c.n, c.nOverlap), 0);
    const uint64_t nLap = uint64_t{c.wav.avgBytesPerSec} * static_cast<uint32_t>(c.nOverlap);
    for (uint64_t i = 1; i <= static_cast<uint64_t>(c.n); ++i) {
        const uint64_t nTo = i * c.nFragment, nFrom = nTo - c.nFragment - std::min(nTo - c.nFragment, nLap);
        const CWrittenWav w = Part(static_cast<int>(i));
        EXPECT_EQ(w.nDataSize, nTo - nFrom) << i;
        EXPECT_EQ(w.nRiffSize, w.nFileSize - 8) << i;
        EXPECT_EQ(w.BytesAfterData(), w.nDataSize % 2) << i;
        EXPECT_EQ(w.audio.size(), nTo - nFrom) << i;
        EXPECT_TRUE(w.IsSourceAudioFrom(nFrom)) << i;
    }
    EXPECT_LT(c.wav.dataBytes - c.n * c.nFragment, uint64_t{c.wav.blockAlign} * static_cast<uint32_t>(c.n));
}

INSTANTIATE_TEST_SUITE_P(
    Splits, WaveSplit,
    ::testing::Values(
        SSplitCase{"ThreeWithoutOverlap", {}, 3, 0, 588000}, SSplitCase{"Overlap1s", {}, 3, 1, 588000},
        SSplitCase{"OverlapPastTheStart", {}, 3, 5, 588000},
        SSplitCase{"OddBytesInSeven", {.channels = 1, .samplesPerSec = 1000, .avgBytesPerSec = 1000, .blockAlign = 1, .bitsPerSample = 8, .dataBytes = 1000003}, 7, 0, 142857},
        SSplitCase{"SixByteFrames", {.channels = 1, .samplesPerSec = 1000, .avgBytesPerSec = 6000, .blockAlign = 6, .bitsPerSample = 48, .dataBytes = 30011}, 4, 0, 7500}),
    [](const auto& tp) { return std::string(tp.param.pName); });

// Asked about a 2 s overlap, the user sets 1 s in Customize; the split uses 1 s.
TEST_F(WaveFile, SplitTakesTheOverlapSetWhileTheDialogRuns)
{
    Open();
    ui.dialog.yes = {true};
    ui.dialog.customize = [this] {
        pFile->SetOverlapTime(1);
        return 1u;
    };
    ASSERT_EQ(Shred(3, 2), 0);
    EXPECT_EQ(ui.validations.at(0).nOverlap, 1u);
    EXPECT_EQ(Part(2).nDataSize, 588000u + kSecond);
}

TEST_F(WaveFile, SplitsThatWriteNothingOrFailAndFragmentNames)
{
    Open();
    ui.shredAnswer = {}; // cancelled
    EXPECT_EQ(pFile->ShredEqually(), 0);
    EXPECT_EQ(Shred(65535), 0);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"in.wav"});
    EXPECT_EQ(ui.messages.at(0).strText, "The number of fragments cannot be more than 65534.");

    ASSERT_EQ(Shred(100), 0);
    std::filesystem::remove_all(dir / "PART-3.wav");
    std::filesystem::create_directory(dir / "PART-3.wav");
    EXPECT_EQ(Shred(4), 103);
    EXPECT_EQ(Part(2).nDataSize, 441000u);
    EXPECT_EQ(Part(4).nDataSize, 17640u); // still the earlier split's
    EXPECT_EQ(ui.Log().back(), "deleted");
    EXPECT_EQ(ui.messages.size(), 1u) << "a creation failure is the caller's to tell";
    ui.shredAnswer = {true, 2, ""}; // the source's name
    ASSERT_EQ(pFile->ShredEqually(), 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "IN-2.wav"));
}

// Fragments 1 and 2 (1 s overlap) of a split in two count their own samples;
// the rest of the chunk is kept, one shorter than a count copied.
struct SFactCase {
    const char* pName;
    CWavLayout wav;
    uint32_t nFirst, nSecond; // the counts written
};

class WaveFact : public WaveFile, public ::testing::WithParamInterface<SFactCase> {};

TEST_P(WaveFact, CountsThePiecesOwnSamples)
{
    const CWavLayout& wav = GetParam().wav;
    ASSERT_EQ(Open(wav).GetError(), 0);
    ASSERT_EQ(Shred(2, 1), 0);
    for (int i = 1; i <= 2; ++i) {
        Bytes fact = wav.factData;
        if (fact.size() >= 4)
            WriteU32LE(fact.data(), i == 1 ? GetParam().nFirst : GetParam().nSecond);
        EXPECT_EQ(Part(i).fact, fact) << i;
    }
}

CWavLayout FactLayout(uint16_t nTag, uint16_t nAlign, uint32_t nRate, uint32_t nData, Bytes extra, Bytes fact = {0x39, 0x30, 0, 0})
{
    return {.formatTag = nTag, .channels = 1, .avgBytesPerSec = nRate, .blockAlign = nAlign,
            .bExtraSizeField = !extra.empty(), .formatExtra = std::move(extra), .bFact = true,
            .factData = std::move(fact), .dataBytes = nData};
}

INSTANTIATE_TEST_SUITE_P(
    Formats, WaveFact,
    ::testing::Values(
        SFactCase{"Pcm", FactLayout(1, 4, 4000, 40000, {}), 5000, 6000},
        SFactCase{"MsAdpcm", FactLayout(2, 1024, 4096, 40960, {0xF4, 0x07, 0, 0}), 40720, 48864},
        SFactCase{"ImaAdpcmLongFact", FactLayout(0x11, 256, 1024, 10240, {0xF9, 0x01}, {1, 2, 3, 4, 5, 6, 7, 8}), 10100, 12120},
        SFactCase{"ImaAdpcmInProportion", FactLayout(0x11, 256, 1024, 10240, {}), 6172, 7407},
        SFactCase{"ShorterThanACount", FactLayout(0x11, 256, 1024, 10240, {0xF9, 0x01}, {0xAB, 0xCD}), 0, 0}),
    [](const auto& tp) { return std::string(tp.param.pName); });

namespace {

// Sparse sources of several GiB: holes read as zeros and cost no disk space.
struct SparseWave : ::testing::Test {
    CWaveProbe& Open(const CWavLayout& wav, uint64_t nAudio, int64_t nTailAt = -1, const Bytes& tail = {})
    {
        nAudioStart = WriteSparseWav(dir / "in.wav", wav, nAudio);
        if (nTailAt >= 0)
            WriteBytesAt(dir / "in.wav", nAudioStart + static_cast<uint64_t>(nTailAt), tail);
        return Reopen();
    }
    CWaveProbe& Reopen()
    {
        header = ReadRange(dir / "in.wav", 0, 4096);
        nSize = std::filesystem::file_size(dir / "in.wav");
        pFile = std::make_unique<CWaveProbe>(dir / "in.wav", nullptr, ui);
        return *pFile;
    }
    void TearDown() override
    {
        if (header.empty())
            return; // skipped before it had a source
        EXPECT_EQ(std::filesystem::file_size(dir / "in.wav"), nSize);
        EXPECT_EQ(ReadRange(dir / "in.wav", 0, 4096), header);
    }

    CTempDir dir;
    CFakeUi ui;
    uint64_t nAudioStart = 0, nSize = 0;
    Bytes header;
    std::unique_ptr<CWaveProbe> pFile;
};

const CWavLayout kStreamed{.dataSizeField = 0xFFFFFFFF};

// The audio a big source is read with, and the header written for that much:
// RIFF while its size field holds the file, else RF64 with ds64's sample count.
struct SBigCase {
    const char* pName;
    CWavLayout wav;
    uint64_t nAudio; // bytes after the data chunk's header
    int64_t nTailAt; // where the tail is written, from the audio's start; -1 for nowhere
    Bytes tail;
    uint64_t nDataBytes;
    int64_t nDs64Samples; // -1 for RIFF
    Bytes fact = {};
};

class BigWave : public SparseWave, public ::testing::WithParamInterface<SBigCase> {};

} // namespace

TEST_P(BigWave, ReadsTheAudioAndWritesAHeaderThatHoldsIt)
{
    const SBigCase& c = GetParam();
    CWaveProbe& f = Open(c.wav, c.nAudio, c.nTailAt, c.tail);
    ASSERT_EQ(f.GetError(), 0);
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
    if (HaveProgram("sox") && c.nDataBytes < 0x100000000) { // past 4 GiB sox takes a minute
        EXPECT_EQ(RunCommand({"sox", "--i", "-s", dir / "out.wav"}).strOut, std::to_string(c.nDataBytes / c.wav.blockAlign) + "\n");
    }
}

CWavLayout ByteFrames(uint32_t nDataField)
{
    return {.channels = 1, .samplesPerSec = 8000, .avgBytesPerSec = 8000, .blockAlign = 1, .bitsPerSample = 8, .dataSizeField = nDataField};
}

CWavLayout ImaAdpcmRf64()
{
    CWavLayout w = FactLayout(0x11, 256, 4055, 0, {0xF9, 0x01});
    w.bitsPerSample = 4;
    w.dataSizeField = static_cast<int64_t>(5 * kGiB);
    w.riffId = "RF64";
    return w;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, BigWave,
    ::testing::Values(
        SBigCase{"Streamed", kStreamed, 5 * kGiB, -1, {}, 5 * kGiB, 5 * kGiB / 4},
        SBigCase{"Interrupted", CWavLayout{.dataSizeField = 0}, 5 * kGiB, -1, {}, 5 * kGiB, 5 * kGiB / 4},
        // a chunk where 0xFFFFFFFF bytes end: the size is real; an id whose size runs past the file: no chunk
        SBigCase{"FullSizeThenAChunk", kStreamed, 0x100000000 + 12, 0x100000000, kListChunk, 0xFFFFFFFF, 0xFFFFFFFF / 4},
        SBigCase{"StreamedPastNoChunk", kStreamed, 5 * kGiB, 0x100000000, {'L', 'I', 'S', 'T', 0xF0, 0xFF, 0xFF, 0xFF}, 5 * kGiB, 5 * kGiB / 4},
        SBigCase{"Rf64ThenAChunk", CWavLayout{.dataSizeField = static_cast<int64_t>(5 * kGiB), .riffId = "RF64"}, 5 * kGiB + 12, static_cast<int64_t>(5 * kGiB), kListChunk, 5 * kGiB, 5 * kGiB / 4},
        SBigCase{"RiffToItsLimit", ByteFrames(0xFFFFFFFFu - 37), 0xFFFFFFFFu - 37, -1, {}, 0xFFFFFFFFu - 37, -1},
        SBigCase{"PadBytePassesTheLimit", ByteFrames(0xFFFFFFFFu - 36), 0xFFFFFFFFu - 36, -1, {}, 0xFFFFFFFFu - 36, 0xFFFFFFFFu - 36},
        // a count past 32 bits leaves the fact field at its largest value
        SBigCase{"ImaAdpcm", ImaAdpcmRf64(), 5 * kGiB, -1, {}, 5 * kGiB, 5 * kGiB / 256 * 505, {0xFF, 0xFF, 0xFF, 0xFF}}),
    [](const auto& tp) { return std::string(tp.param.pName); });

// The streamed 5 GiB file: its length, the dialog's checks and selections past 4 GiB.
TEST_F(SparseWave, StreamedFilePast4GiBIsReadWhole)
{
    const uint64_t nAudio = 5 * kGiB;
    Open(kStreamed, nAudio);
    WriteAudioAt(dir / "in.wav", nAudioStart, 24348 * kSecond, kSecond);
    WriteAudioAt(dir / "in.wav", nAudioStart, nAudio - 200000, 200000);
    Reopen().ShowFileInformation();
    EXPECT_EQ(ui.infoLines.at(8), "Playing duration - 30434.86 seconds");

    ui.shredAnswer = {}; // cancelled: the dialog's values only
    ASSERT_EQ(pFile->ShredEqually(), 0);
    const CWaveShredArgs& args = ui.waveShredArgs.at(0);
    EXPECT_EQ(CheckWaveFragmentCount("30434", args).nResult, kCheckOk);
    EXPECT_EQ(CheckWaveFragmentCount("30435", args).nResult, kCheckTooShort);
    EXPECT_EQ(EstimateWave(args, 1).nFragmentSize, nAudio + 80) << "one piece would be RF64";

    ASSERT_EQ(pFile->SaveSelection(dir / "past4.wav", 24348, 24349, 1), 0);
    EXPECT_TRUE(ReadWrittenWav(dir / "past4.wav").IsSourceAudioFrom(24348 * kSecond));
    ASSERT_EQ(pFile->SaveSelection(dir / "end.wav", 30434, 30436, 1), 0);
    const CWrittenWav w = ReadWrittenWav(dir / "end.wav");
    EXPECT_EQ(w.nDataSize, nAudio - 30434 * kSecond);
    EXPECT_TRUE(w.IsSourceAudioFrom(30434 * kSecond)) << "to the last byte";
}

// The one test that writes several GiB.
TEST_F(SparseWave, StreamedFilePast4GiBSplitsWhole)
{
    if (std::getenv("TOLVANE_SKIP_BIG_FILES"))
        GTEST_SKIP() << "TOLVANE_SKIP_BIG_FILES is set";
    if (std::filesystem::space(std::filesystem::temp_directory_path()).available < 20 * kGiB)
        GTEST_SKIP() << "less than 20 GiB free in the temporary folder";
    const uint64_t nAudio = 5 * kGiB;
    Open(kStreamed, nAudio);
    WriteAudioAt(dir / "in.wav", nAudioStart, 0, 1000);
    WriteAudioAt(dir / "in.wav", nAudioStart, nAudio / 2 - 1000, 2000);
    WriteAudioAt(dir / "in.wav", nAudioStart, nAudio - 1000, 1000);
    ui.shredAnswer = {true, 2, dir / "part"};
    ASSERT_EQ(Reopen().ShredEqually(), 0);
    for (uint64_t i = 1; i <= 2; ++i) {
        const std::string strPart = dir / ("PART-" + std::to_string(i) + ".wav");
        const CWrittenWav w = ReadWrittenWav(strPart, false);
        EXPECT_EQ(w.strRiffId, "RIFF");
        EXPECT_EQ(w.nRiffSize, w.nFileSize - 8);
        EXPECT_EQ(w.nDataSize, nAudio / 2);
        EXPECT_EQ(w.nDataStart, 44u);
        EXPECT_TRUE(CWrittenWav{.audio = ReadRange(strPart, 44, 1000)}.IsSourceAudioFrom((i - 1) * nAudio / 2)) << i;
        EXPECT_TRUE(CWrittenWav{.audio = ReadRange(strPart, w.nFileSize - 1000, 1000)}.IsSourceAudioFrom(i * nAudio / 2 - 1000)) << i;
        std::filesystem::remove(strPart);
    }
}
