#include "audio/WaveFile.h"
#include "platform/StringTable.h"
#include "doubles/FakeUi.h"
#include "split/ShredChecks.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

class CWaveProbe : public CWaveFile { // opens the block copy to tests
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

} // namespace

TEST_F(WaveFile, CanonicalFileAndItsInformationLines)
{
    CWaveProbe& f = Open();
    ASSERT_EQ(f.GetError(), 0);
    EXPECT_EQ(f.GetDataStart(), 44u);
    EXPECT_EQ(f.GetFactData(), nullptr);
    EXPECT_DOUBLE_EQ(f.GetDuration(), 10.0);
    f.ShowFileInformation();
    EXPECT_EQ(ui.infoLines, (std::vector<std::string>{
                                "Filename - in.wav", "File size (As in Header) - 1764044 bytes",
                                "Number of Channels - 2", "Samples per second - 44100",
                                "Average bytes per second - 176400 bytes", "Bits per sample - 16 bits",
                                "Sample frame size - 4 bytes", "Data bytes size - 1764000 bytes",
                                "Playing duration - 10.00 seconds"}));
}

// Reading cases: where the audio starts and how many bytes it has.
struct SReadCase {
    const char* pName;
    std::function<Bytes()> make;
    uint64_t nDataStart, nDataBytes;
};

class WaveRead : public WaveFile, public ::testing::WithParamInterface<SReadCase> {};

TEST_P(WaveRead, FindsTheAudio)
{
    const CWaveProbe& f = Open(GetParam().make());
    ASSERT_EQ(f.GetError(), 0);
    EXPECT_EQ(f.GetDataStart(), GetParam().nDataStart);
    EXPECT_EQ(f.GetDataBytes(), GetParam().nDataBytes);
}

Bytes WithChunksBeforeData(std::vector<std::pair<std::string, Bytes>> chunks, uint32_t nData = 4000)
{
    CWavLayout wav;
    wav.chunksBeforeData = std::move(chunks);
    wav.dataBytes = nData;
    return BuildWav(wav);
}

Bytes Then(Bytes b, const Bytes& tail)
{
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
}

const Bytes kListChunk{'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'};

INSTANTIATE_TEST_SUITE_P(
    Layouts, WaveRead,
    ::testing::Values(
        // "data" inside a LIST chunk's text is no chunk
        SReadCase{"DataTagInsideList", [] { return WithChunksBeforeData({{"LIST", {'I', 'N', 'F', 'O', 'd', 'a', 't', 'a', 9, 9, 9, 9, 'x'}}}); }, 66, 4000},
        // recorders put large chunks before the audio
        SReadCase{"DataPastTheFirst1000Bytes", [] { return WithChunksBeforeData({{"bext", Bytes(602)}, {"JUNK", Bytes(1000)}}); }, 1662, 4000},
        SReadCase{"OddChunkPadded", [] { return WithChunksBeforeData({{"note", {'a', 'b', 'c'}}}); }, 56, 4000},
        SReadCase{"OddChunkWithoutPad",
                  [] {
                      Bytes b = WithChunksBeforeData({});
                      Bytes odd;
                      AppendChunk(odd, "note", {'a', 'b', 'c'}, false);
                      b.insert(b.begin() + 36, odd.begin(), odd.end());
                      return b;
                  },
                  55, 4000},
        // a cut-short recording or a streaming writer's 0xFFFFFFFF: what is there
        SReadCase{"DataSizeBeyondTheFile", [] { CWavLayout w; w.dataBytes = 176400; w.dataSizeField = 2000000; return BuildWav(w); }, 44, 176400},
        SReadCase{"DataSizeStreaming", [] { CWavLayout w; w.dataBytes = 17; w.dataSizeField = 0xFFFFFFFF; return BuildWav(w); }, 44, 17},
        // an interrupted recorder's 0: the audio after it, unless a chunk follows
        SReadCase{"DataSizeZero", [] { return BuildWav({.dataBytes = 4000, .dataSizeField = 0}); }, 44, 4000},
        SReadCase{"DataSizeZeroThenAChunk", [] { return Then(BuildWav({.dataBytes = 0}), kListChunk); }, 44, 0},
        SReadCase{"DataSizeZeroThenAChunkTooLong", [] { return Then(BuildWav({.dataBytes = 0}), {'L', 'I', 'S', 'T', 5, 0, 0, 0, 'I', 'N', 'F', 'O'}); }, 44, 12},
        // RF64: sizes from ds64; without ds64, a streamed RIFF file's
        SReadCase{"Rf64", [] { return Then(BuildWav({.dataBytes = 4000, .dataSizeField = 3000, .riffId = "RF64"}), kListChunk); }, 80, 3000},
        SReadCase{"Bw64", [] { return BuildWav({.dataBytes = 4000, .riffId = "BW64"}); }, 80, 4000},
        SReadCase{"Rf64WithoutDs64", [] { Bytes b = BuildWav({.dataBytes = 4000, .dataSizeField = 3000, .riffId = "RF64"}); std::copy_n("JUNK", 4, b.begin() + 12); return b; }, 80, 4000},
        SReadCase{"Rf64BeforeRiffInText", [] { return BuildWav({.chunksBeforeData = {{"LIST", {'R', 'I', 'F', 'F'}}}, .dataBytes = 4000, .riffId = "RF64"}); }, 92, 4000}),
    [](const auto& tp) { return std::string(tp.param.pName); });

TEST_F(WaveFile, NonPcmKeepsExtraBytesAndFactButOnlyWhenItsChunkHoldsThem)
{
    CWavLayout wav;
    wav.formatTag = 2;
    wav.bExtraSizeField = true;
    wav.formatExtra = {0xAB, 0xCD};
    wav.bFact = true;
    wav.factData = {9, 8, 7, 6};
    CWaveProbe& f = Open(wav);
    ASSERT_EQ(f.GetError(), 0);
    EXPECT_EQ(f.GetFormat().extraSize, 2u);
    EXPECT_EQ(f.GetFormatExtra()[1], 0xCD);
    EXPECT_EQ(f.GetFactHeader().size, 4u);

    // The writer carries them: 26-byte format part with size 20, extra bytes, fact.
    ASSERT_EQ(f.SaveSelection(dir / "out.wav", 0, 1, 1), 0);
    const Bytes out = ReadBytes(dir / "out.wav");
    ASSERT_EQ(out.size(), 60u + 176400);
    EXPECT_EQ(GetU32(out, 4), 176400u + 52);
    EXPECT_EQ(GetU32(out, 16), 20u);
    // The fact count is the piece's: 44100 blocks of 0xCDAB samples.
    EXPECT_EQ(Bytes(out.begin() + 36, out.begin() + 52), (Bytes{2, 0, 0xAB, 0xCD, 'f', 'a', 'c', 't', 4, 0, 0, 0, 0x6C, 0x85, 0x65, 0x8A}));
    EXPECT_EQ(GetU32(out, 56), 176400u);

    // A 16-byte non-PCM format chunk has no extraSize: the bytes after it are
    // the next chunk's, never extra format bytes.
    wav.bExtraSizeField = false;
    EXPECT_EQ(Open(wav).GetFormat().extraSize, 0u);
    EXPECT_EQ(pFile->GetFormatExtra(), nullptr);
    // A fact chunk whose contents run past the end is absent.
    Bytes b = BuildWav(CWavLayout{.dataBytes = 0});
    b.insert(b.end(), {'f', 'a', 'c', 't', 0xF0, 0xFF, 0xFF, 0x7F, 1, 2});
    EXPECT_EQ(Open(b).GetError(), 0);
    EXPECT_EQ(pFile->GetFactData(), nullptr);
}

struct SStatusCase {
    const char* pName;
    std::function<Bytes()> make;
    int32_t nStatus;
};

class WaveStatus : public WaveFile, public ::testing::WithParamInterface<SStatusCase> {};

TEST_P(WaveStatus, IsReportedWithItsMessage)
{
    CWaveProbe& f = Open(GetParam().make());
    EXPECT_EQ(f.ReportError(nullptr), GetParam().nStatus);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].strCaption, "Error");
    EXPECT_EQ(ui.messages[0].icon, EMsgIcon::Stop);
    EXPECT_EQ(ui.messages[0].strText, LoadResString(static_cast<unsigned>(GetParam().nStatus)));
}

Bytes Patched(size_t at, std::vector<unsigned char> with, size_t nKeep = SIZE_MAX)
{
    Bytes b = BuildWav(CWavLayout{.dataBytes = 4000});
    std::copy(with.begin(), with.end(), b.begin() + static_cast<long>(at));
    b.resize(std::min(b.size(), nKeep));
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, WaveStatus,
    ::testing::Values(SStatusCase{"Empty", [] { return Bytes{}; }, 108},
                      SStatusCase{"OneByte", [] { return Bytes{'R'}; }, 104},
                      SStatusCase{"RiffPastTheFirst1000Bytes", [] { Bytes b(1000); Bytes w = Patched(0, {}); b.insert(b.end(), w.begin(), w.end()); return b; }, 104},
                      SStatusCase{"NoFormatChunk", [] { return Patched(12, {'f', 'm', 'x'}); }, 105},
                      SStatusCase{"FormatCutShort", [] { return Patched(0, {}, 30); }, 105},
                      SStatusCase{"ZeroBytesPerSecond", [] { return Patched(28, {0, 0, 0, 0}); }, 105},
                      SStatusCase{"ZeroBlockAlign", [] { return Patched(32, {0, 0}); }, 105},
                      SStatusCase{"ZeroChannels", [] { return Patched(22, {0, 0}); }, 105},
                      SStatusCase{"NoDataChunk", [] { return Patched(36, {'d', 'a', 't', '4'}); }, 106},
                      SStatusCase{"HugeChunkBeforeData", [] { return Patched(16, {0xF0, 0xFF, 0xFF, 0xFF}); }, 106},
                      SStatusCase{"DataHeaderCutShort", [] { return Patched(0, {}, 40); }, 106}),
    [](const auto& tp) { return std::string(tp.param.pName); });

TEST_F(WaveFile, MissingFileOrDirectoryCannotBeOpened)
{
    EXPECT_EQ(CWaveFile(dir / "missing.wav", nullptr, ui).GetError(), 102);
    EXPECT_EQ(CWaveFile(dir.Path(), nullptr, ui).GetError(), 102);
}

// The block copy: the remainder of count / 10000 first, then whole blocks, the
// file bar stepped once per whole block before it is written, and once more
// before the read that finds the source ended.
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
    // Each whole block is stepped before its bytes are written (the short
    // first block is never stepped; copies may move several blocks at once).
    for (size_t k = 0; k < atSteps.size(); ++k) {
        EXPECT_LE(atSteps[k], std::min<uint64_t>(c.nCount % 10000 + k * 10000, nWritten));
    }
    const CWrittenWav w{.audio = ReadBytes(dir / "out.raw")};
    EXPECT_EQ(w.audio.size(), nWritten);
    EXPECT_TRUE(w.IsSourceAudioFrom(0));
}

INSTANTIATE_TEST_SUITE_P(Counts, WaveCopy,
                         ::testing::Values(SCopyCase{30000, 25000, 25000, 2}, SCopyCase{30000, 20000, 20000, 2},
                                           SCopyCase{30000, 9999, 9999, 0}, SCopyCase{30000, 0, 0, 0},
                                           SCopyCase{3000000, 2999999, 2999999, 299},
                                           SCopyCase{15000, 25000, 0, 2}, SCopyCase{20000, 25000, 0, 3},
                                           SCopyCase{3000, 25000, 0, 1}, SCopyCase{1500000, 2500000, 0, 151}));

struct SSelection {
    int32_t nStart, nEnd, nSecsPerStep;
    uint32_t nDataBytes;
    uint64_t nFrom;
    const char* pSeconds;
};

class WaveSelection : public WaveFile, public ::testing::WithParamInterface<SSelection> {};

TEST_P(WaveSelection, WritesTheSelectedFrames)
{
    const SSelection& s = GetParam();
    ASSERT_EQ(Open().SaveSelection(dir / "out.wav", s.nStart, s.nEnd, s.nSecsPerStep), 0);
    const CWrittenWav w = ReadWrittenWav(dir / "out.wav");
    EXPECT_EQ(w.nDataSize, s.nDataBytes);
    EXPECT_EQ(w.nRiffSize, s.nDataBytes + 36);
    EXPECT_EQ(w.nFormatSize, 16u);
    EXPECT_EQ(w.audio.size(), s.nDataBytes);
    EXPECT_TRUE(w.IsSourceAudioFrom(s.nFrom));
    std::vector<std::string> log{"created", "total 1", "bytes " + std::to_string(s.nDataBytes), "names in.wav out.wav", "number 1"};
    log.insert(log.end(), s.nDataBytes / 10000, "step file");
    log.insert(log.end(), {"step gross", "destroy", "message Fragment Saved", "deleted"});
    EXPECT_EQ(ui.Log(), log);
    EXPECT_EQ(ui.messages[0].icon, EMsgIcon::Information);
    EXPECT_EQ(ui.messages[0].strText, std::string("This selection will last for ") + s.pSeconds + " seconds");
}

INSTANTIATE_TEST_SUITE_P(
    Selections, WaveSelection,
    ::testing::Values(SSelection{2, 5, 1, 529200, 352800, "3.00"},
                      SSelection{8, 10, 1, 352800, 1411200, "2.00"}, // to the very last byte of the audio
                      SSelection{5, 2, 1, 529200, 352800, "3.00"},   // reversed: put in order
                      SSelection{1, 5, 3, 1234800, 529200, "7.00"},  // past the end: what is there
                      SSelection{10, 12, 1, 0, 1764000, "0.00"},     // at the end: a file without audio
                      // positions far beyond 32 bits of bytes neither wrap nor overflow
                      SSelection{0, 2147483647, 300, 1764000, 0, "10.00"},
                      SSelection{2147483647, 2147483647, 300, 0, 1764000, "0.00"}));

TEST_F(WaveFile, SelectionCutsOnWholeFrames)
{
    ASSERT_EQ(Open(CWavLayout{.channels = 3, .avgBytesPerSec = 100003, .blockAlign = 6, .dataBytes = 600000})
                  .SaveSelection(dir / "out.wav", 1, 3, 1),
              0);
    const CWrittenWav w = ReadWrittenWav(dir / "out.wav");
    EXPECT_EQ(w.nDataSize, 200004u);       // 200006 rounded down
    EXPECT_TRUE(w.IsSourceAudioFrom(100008)); // 100003 rounded up
}

TEST_F(WaveFile, SavingOntoTheSourceUnderAnySpellingFails)
{
    Open();
    std::filesystem::create_directory(dir / "sub");
    std::filesystem::create_hard_link(dir / "in.wav", dir / "link.wav");
    for (const std::string& strPath : {dir / "in.wav", dir / "sub/../in.wav", dir / "link.wav"})
        EXPECT_EQ(pFile->SaveSelection(strPath, 0, 5, 1), 103) << strPath;
    EXPECT_EQ(ui.nProgressWindows, 0);
    EXPECT_TRUE(ui.messages.empty());
}

// Fragments of the 10-second file split in 3: audio bytes [from, to) of each.
struct SSplitCase {
    int32_t nOverlap;
    std::vector<std::pair<uint32_t, uint32_t>> ranges;
};

class WaveSplit : public WaveFile, public ::testing::WithParamInterface<SSplitCase> {};

TEST_P(WaveSplit, EveryFragmentAfterTheFirstRepeatsTheOverlap)
{
    Open();
    ASSERT_EQ(Shred(3, GetParam().nOverlap), 0);
    for (int i = 1; i <= 3; ++i) {
        const auto [from, to] = GetParam().ranges[static_cast<size_t>(i - 1)];
        const CWrittenWav w = Part(i);
        EXPECT_EQ(w.nDataSize, to - from) << i;
        EXPECT_EQ(w.nRiffSize, to - from + 36) << i;
        EXPECT_EQ(w.audio.size(), to - from) << i;
        EXPECT_TRUE(w.IsSourceAudioFrom(from)) << i;
    }
    EXPECT_EQ(ui.Count("step gross"), 3);
    EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Overlaps, WaveSplit,
                         ::testing::Values(SSplitCase{0, {{0, 588000}, {588000, 1176000}, {1176000, 1764000}}},
                                           SSplitCase{1, {{0, 588000}, {411600, 1176000}, {999600, 1764000}}},
                                           // never reaching before the first audio byte
                                           SSplitCase{5, {{0, 588000}, {0, 1176000}, {294000, 1764000}}}));

// Joined, the fragments of a split without overlap are the source's audio
// but for the remainder of the division, for any frame size.
class WaveSplitJoin : public WaveFile, public ::testing::WithParamInterface<std::tuple<uint16_t, uint32_t, int32_t>> {};

TEST_P(WaveSplitJoin, GivesBackTheSource)
{
    const auto [nAlign, nData, n] = GetParam();
    Open(CWavLayout{.channels = 1, .samplesPerSec = 1000, .avgBytesPerSec = 1000u * nAlign, .blockAlign = nAlign,
                    .bitsPerSample = static_cast<uint16_t>(8 * nAlign), .dataBytes = nData});
    ASSERT_EQ(Shred(n), 0);
    CWrittenWav joined;
    for (int i = 1; i <= n; ++i) {
        const CWrittenWav w = Part(i);
        EXPECT_EQ(w.nDataSize, nData / static_cast<uint32_t>(n) / nAlign * nAlign);
        EXPECT_EQ(w.BytesAfterData(), w.nDataSize % 2) << "a pad byte after odd audio";
        EXPECT_EQ(w.nRiffSize, w.nFileSize - 8);
        joined.audio.insert(joined.audio.end(), w.audio.begin(), w.audio.end());
    }
    EXPECT_LT(nData - joined.audio.size(), uint64_t{nAlign} * static_cast<uint32_t>(n));
    EXPECT_TRUE(joined.IsSourceAudioFrom(0));
}

INSTANTIATE_TEST_SUITE_P(FrameSizes, WaveSplitJoin,
                         ::testing::Combine(::testing::Values<uint16_t>(1, 2, 3, 4, 6, 8),
                                            ::testing::Values(1000003u, 30011u), ::testing::Values(2, 3, 7)));

// Fragments of 3.33 s and an overlap of 2 s: the dialog asks, the user says
// Yes and sets 1 s in Customize; the split uses what the dialog answers.
TEST_F(WaveFile, SplitTakesTheOverlapSetWhileTheDialogRuns)
{
    Open();
    ui.overlapQuestionAnswers = {true};
    ui.customize = [this] {
        pFile->SetOverlapTime(1); // as the main window's Customize does
        return 1u;
    };
    ASSERT_EQ(Shred(3, 2), 0);
    EXPECT_EQ(ui.dialogMessages.size(), 1u);
    EXPECT_EQ(ui.validations.at(0).nOverlap, 1u);
    EXPECT_EQ(Part(2).nDataSize, 764400u);
    const CWaveShredArgs& args = ui.waveShredArgs.at(0);
    EXPECT_EQ(args.strSourcePath, dir / "in.wav");
    EXPECT_EQ(args.dataHeader.size, 1764000u);
    EXPECT_EQ(args.nAudioBytes, 1764000u);
}

TEST_F(WaveFile, SplitsThatWriteNothing)
{
    Open();
    ui.shredAnswer = {}; // cancelled
    EXPECT_EQ(pFile->ShredEqually(), 0);
    EXPECT_EQ(Shred(0), 0);
    EXPECT_EQ(Shred(65535), 0); // beyond the 16-bit fragment counter
    EXPECT_EQ(dir.List(), std::vector<std::string>{"in.wav"});
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].strText, "The number of fragments cannot be more than 65534.");
}

TEST_F(WaveFile, SplitNamesAndAFragmentThatCannotBeCreated)
{
    Open();
    ASSERT_EQ(Shred(100), 0);
    EXPECT_EQ(Part(100).nDataSize, 17640u);
    std::filesystem::remove_all(dir / "PART-3.wav");
    std::filesystem::create_directory(dir / "PART-3.wav");
    EXPECT_EQ(Shred(4), 103);
    EXPECT_EQ(Part(2).nDataSize, 441000u);
    EXPECT_EQ(Part(4).nDataSize, 17640u); // still the earlier split's
    EXPECT_EQ(ui.Log().back(), "deleted");
    ui.shredAnswer = {true, 2, ""}; // the source's own name, in its folder
    ASSERT_EQ(pFile->ShredEqually(), 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "IN-2.wav"));
}

// The fact chunk of every piece counts the piece's own samples, overlap
// included: fragment 1 and fragment 2 (1 second of overlap) of a split in two.
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
    const uint32_t counts[] = {GetParam().nFirst, GetParam().nSecond};
    for (int i = 1; i <= 2; ++i) {
        const CWrittenWav w = Part(i);
        ASSERT_EQ(w.fact.size(), wav.factData.size()) << i;
        EXPECT_EQ(GetU32(w.fact, 0), counts[i - 1]) << i;
        EXPECT_TRUE(std::equal(w.fact.begin() + 4, w.fact.end(), wav.factData.begin() + 4)) << "the rest is kept";
    }
}

const Bytes kFact12345{0x39, 0x30, 0, 0};
const Bytes kPcmGuid{1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};

Bytes Extensible(uint16_t nValidBits, Bytes guid)
{
    Bytes extra{static_cast<unsigned char>(nValidBits), 0, 3, 0, 0, 0};
    extra.insert(extra.end(), guid.begin(), guid.end());
    return extra;
}

CWavLayout FactLayout(uint16_t nTag, uint16_t nAlign, uint32_t nRate, uint32_t nData, Bytes extra, Bytes fact = kFact12345)
{
    return {.formatTag = nTag, .channels = 1, .avgBytesPerSec = nRate, .blockAlign = nAlign,
            .bExtraSizeField = !extra.empty(), .formatExtra = std::move(extra), .bFact = true,
            .factData = std::move(fact), .dataBytes = nData};
}

INSTANTIATE_TEST_SUITE_P(
    Formats, WaveFact,
    ::testing::Values(
        // whole frames
        SFactCase{"Pcm", FactLayout(1, 4, 4000, 40000, {}), 5000, 6000},
        SFactCase{"Float", FactLayout(3, 8, 8000, 80000, {}), 5000, 6000},
        SFactCase{"ExtensiblePcm", FactLayout(0xFFFE, 6, 6000, 60000, Extensible(24, kPcmGuid)), 5000, 6000},
        SFactCase{"ExtensibleFloat", FactLayout(0xFFFE, 8, 8000, 80000, [] { Bytes g = kPcmGuid; g[0] = 3; return Extensible(32, g); }()), 5000, 6000},
        // whole blocks of the samples per block the extra bytes give
        SFactCase{"MsAdpcm", FactLayout(2, 1024, 4096, 40960, {0xF4, 0x07, 0, 0}), 40720, 48864},
        SFactCase{"ImaAdpcm", FactLayout(0x11, 256, 1024, 10240, {0xF9, 0x01}), 10100, 12120},
        SFactCase{"Gsm610", FactLayout(0x31, 65, 1625, 16250, {0x40, 0x01}), 40000, 48000},
        // the source's count in proportion: other formats, or a block format
        // that does not say its samples per block
        SFactCase{"MpegInWave", FactLayout(0x55, 1, 16000, 160000, {0, 0}, {0xA8, 0xBA, 0x06, 0}), 220500, 264600},
        SFactCase{"ImaAdpcmWithoutExtra", FactLayout(0x11, 256, 1024, 10240, {}), 6172, 7407},
        SFactCase{"ExtensibleOtherGuid", FactLayout(0xFFFE, 6, 6000, 60000, Extensible(24, Bytes(16, 7))), 6172, 7407},
        SFactCase{"LongerFactKeepsItsTail", FactLayout(0x11, 256, 1024, 10240, {0xF9, 0x01}, {1, 2, 3, 4, 5, 6, 7, 8}), 10100, 12120}),
    [](const auto& tp) { return std::string(tp.param.pName); });

TEST_F(WaveFile, FactShorterThanACountIsCopied)
{
    Open(FactLayout(0x11, 256, 1024, 10240, {0xF9, 0x01}, {0xAB, 0xCD}));
    ASSERT_EQ(pFile->SaveSelection(dir / "out.wav", 0, 2, 1), 0);
    EXPECT_EQ(ReadWrittenWav(dir / "out.wav").fact, (Bytes{0xAB, 0xCD}));
}

// A real IMA ADPCM file: every piece's fact count is what sox finds in its
// blocks, not the source's 30 seconds.
TEST_F(WaveFile, ImaAdpcmPiecesFromSoxCountTheirOwnSamples)
{
    if (!HaveProgram("sox"))
        GTEST_SKIP() << "sox is not installed";
    ASSERT_EQ(RunCommand({"sox", "-n", "-e", "ima-adpcm", dir / "in.wav", "synth", "30", "sine", "440"}).nExit, 0);
    source = ReadBytes(dir / "in.wav");
    pFile = std::make_unique<CWaveProbe>(dir / "in.wav", nullptr, ui);
    ASSERT_EQ(Shred(3, 2), 0);
    for (int i = 1; i <= 3; ++i) {
        const std::string strPart = dir / ("PART-" + std::to_string(i) + ".wav");
        const CWrittenWav w = ReadWrittenWav(strPart);
        ASSERT_EQ(w.fact.size(), 4u);
        EXPECT_EQ(RunCommand({"sox", "--i", "-s", strPart}).strOut, std::to_string(GetU32(w.fact, 0)) + "\n") << i;
        EXPECT_NEAR(GetU32(w.fact, 0) / 48000.0, i == 1 ? 10.0 : 12.0, 0.02) << i;
    }
}

// The header for nData bytes of audio: RIFF while the RIFF size field holds
// the file's size, RF64 beyond. Only the header is written; the file is then
// extended to its full length for sox to read.
struct SHeaderCase {
    const char* pName;
    CWavLayout wav;
    uint64_t nData;
    bool bRf64;
    uint64_t nSamples;
    int64_t nFactField; // -1 without a fact chunk
};

class WaveHeader : public WaveFile, public ::testing::WithParamInterface<SHeaderCase> {};

TEST_P(WaveHeader, IsRf64OnlyWhenRiffCannotHoldIt)
{
    const SHeaderCase& c = GetParam();
    const Bytes src = BuildWav(c.wav);
    Open(src);
    {
        CFile out;
        ASSERT_TRUE(out.Open(dir / "out.wav", CFile::EMode::Create));
        pFile->WriteHeader(out, c.nData);
        out.Close();
    }
    const Bytes header = ReadBytes(dir / "out.wav");
    // Expected: RIFF or RF64 and ds64, the source's format chunk, its fact
    // chunk with the count, the data chunk's header.
    const size_t nFormatEnd = pFile->GetDataStart() - 8 - (c.nFactField < 0 ? 0 : 12);
    const uint64_t nFile = (c.bRf64 ? 36 : 0) + pFile->GetDataStart() + c.nData + c.nData % 2;
    Bytes expected{'R', 'I', 'F', 'F'};
    if (c.bRf64) {
        expected = {'R', 'F', '6', '4', 0xFF, 0xFF, 0xFF, 0xFF, 'W', 'A', 'V', 'E', 'd', 's', '6', '4', 28, 0, 0, 0};
        PutU64(expected, nFile - 8);
        PutU64(expected, c.nData);
        PutU64(expected, c.nSamples);
        PutU32(expected, 0);
    } else {
        PutU32(expected, static_cast<uint32_t>(nFile - 8));
        expected.insert(expected.end(), {'W', 'A', 'V', 'E'});
    }
    expected.insert(expected.end(), src.begin() + 12, src.begin() + static_cast<long>(nFormatEnd));
    if (c.nFactField >= 0) {
        expected.insert(expected.end(), {'f', 'a', 'c', 't', 4, 0, 0, 0});
        PutU32(expected, static_cast<uint32_t>(c.nFactField));
    }
    expected.insert(expected.end(), {'d', 'a', 't', 'a'});
    PutU32(expected, c.bRf64 ? 0xFFFFFFFF : static_cast<uint32_t>(c.nData));
    EXPECT_EQ(header, expected);

    // sox reads through audio past 4 GiB, which takes it a minute.
    std::filesystem::resize_file(dir / "out.wav", nFile);
    if (HaveProgram("sox") && c.nData < 0x100000000) {
        EXPECT_EQ(RunCommand({"sox", "--i", "-s", dir / "out.wav"}).strOut, std::to_string(c.nSamples) + "\n");
    }
}

constexpr uint64_t kGiB = uint64_t{1} << 30;
constexpr uint64_t kSecond = 176400; // of the default layout
constexpr CWavLayout kByteFrames{.channels = 1, .samplesPerSec = 8000, .avgBytesPerSec = 8000, .blockAlign = 1, .bitsPerSample = 8, .dataBytes = 8};

INSTANTIATE_TEST_SUITE_P(
    Sizes, WaveHeader,
    ::testing::Values(
        SHeaderCase{"RiffToItsLimit", kByteFrames, 0xFFFFFFFFu - 37, false, 0xFFFFFFFFu - 37, -1},
        SHeaderCase{"PadBytePassesTheLimit", kByteFrames, 0xFFFFFFFFu - 36, true, 0xFFFFFFFFu - 36, -1},
        SHeaderCase{"FiveGiB", CWavLayout{.dataBytes = 8}, 5 * kGiB, true, 5 * kGiB / 4, -1},
        // a count past 32 bits leaves the fact field at its largest value
        SHeaderCase{"FiveGiBImaAdpcm", [] { CWavLayout w = FactLayout(0x11, 256, 4055, 256, {0xF9, 0x01}); w.bitsPerSample = 4; return w; }(), 5 * kGiB, true, 5 * kGiB / 256 * 505, 0xFFFFFFFF}),
    [](const auto& tp) { return std::string(tp.param.pName); });

TEST_F(WaveFile, Rf64SourceGivesRiffPieces)
{
    const Bytes rf64 = BuildWav({.riffId = "RF64"});
    ASSERT_EQ(Open(rf64).GetError(), 0);
    EXPECT_DOUBLE_EQ(pFile->GetDuration(), 10.0);
    ASSERT_EQ(pFile->SaveSelection(dir / "out.wav", 2, 5, 1), 0);
    const Bytes out = ReadBytes(dir / "out.wav"), riff = BuildWav({.dataBytes = 529200});
    ASSERT_EQ(out.size(), riff.size());
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 44, riff.begin())) << "the plain 44-byte header";
    EXPECT_TRUE(ReadWrittenWav(dir / "out.wav").IsSourceAudioFrom(352800));
}

namespace {

// Sources of several GiB as sparse files: the holes read as zeros and cost
// neither disk space nor time; only the bytes a test writes are real.
struct SparseWave : ::testing::Test {
    CWaveProbe& Open(const CWavLayout& wav, uint64_t nAudio)
    {
        nAudioStart = WriteSparseWav(dir / "in.wav", wav, nAudio);
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

const CWavLayout kStreamed{.dataSizeField = 0xFFFFFFFF, .riffSizeField = 0xFFFFFFFF};

} // namespace

// Where a data chunk of 0xFFFFFFFF or 0 bytes ends, in files past 4 GiB.
struct SSparseCase {
    const char* pName;
    CWavLayout wav;
    uint64_t nAudio;  // bytes after the data chunk's header
    int64_t nTailAt;  // where the tail is written, from the audio's start; -1 for nowhere
    Bytes tail;
    uint64_t nDataBytes;
};

// An id with a size that runs past the end of the file: no chunk.
const Bytes kNoChunk{'L', 'I', 'S', 'T', 0xF0, 0xFF, 0xFF, 0xFF};

class SparseRead : public SparseWave, public ::testing::WithParamInterface<SSparseCase> {};

TEST_P(SparseRead, TakesTheAudioToTheEndOnlyWhenNothingFollows)
{
    const SSparseCase& c = GetParam();
    nAudioStart = WriteSparseWav(dir / "in.wav", c.wav, c.nAudio);
    if (c.nTailAt >= 0)
        WriteBytesAt(dir / "in.wav", nAudioStart + static_cast<uint64_t>(c.nTailAt), c.tail);
    const CWaveProbe& f = Reopen();
    ASSERT_EQ(f.GetError(), 0);
    EXPECT_EQ(f.GetDataBytes(), c.nDataBytes);
    EXPECT_DOUBLE_EQ(f.GetDuration(), static_cast<double>(c.nDataBytes) / kSecond);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, SparseRead,
    ::testing::Values(
        SSparseCase{"Streamed", kStreamed, 5 * kGiB, -1, {}, 5 * kGiB},
        SSparseCase{"Interrupted", CWavLayout{.dataSizeField = 0}, 5 * kGiB, -1, {}, 5 * kGiB},
        SSparseCase{"InterruptedBeforeAnIdNotPrintable", CWavLayout{.dataSizeField = 0}, 5 * kGiB, 0, {'L', 'I', 1, 'T', 4, 0, 0, 0}, 5 * kGiB},
        // a chunk where 0xFFFFFFFF bytes end, padded or not: the size is real
        SSparseCase{"FullSizeThenAChunk", kStreamed, 0x100000000 + 12, 0x100000000, kListChunk, 0xFFFFFFFF},
        SSparseCase{"FullSizeThenAnUnpaddedChunk", kStreamed, 0xFFFFFFFF + 12, 0xFFFFFFFF, kListChunk, 0xFFFFFFFF},
        SSparseCase{"StreamedPastBytesThatAreNoChunk", kStreamed, 5 * kGiB, 0x100000000, kNoChunk, 5 * kGiB},
        SSparseCase{"Rf64ThenAChunk", CWavLayout{.dataSizeField = static_cast<int64_t>(5 * kGiB), .riffId = "RF64"}, 5 * kGiB + 12, static_cast<int64_t>(5 * kGiB), kListChunk, 5 * kGiB}),
    [](const auto& tp) { return std::string(tp.param.pName); });

// The streamed 5 GiB file: information, the dialog's checks and estimate, and
// selections past 4 GiB, which read the right bytes.
TEST_F(SparseWave, StreamedFilePast4GiBIsReadWhole)
{
    const uint64_t nAudio = 5 * kGiB;
    Open(kStreamed, nAudio);
    WriteAudioAt(dir / "in.wav", nAudioStart, 24348 * kSecond, kSecond);
    WriteAudioAt(dir / "in.wav", nAudioStart, nAudio - 200000, 200000);
    Reopen().ShowFileInformation();
    EXPECT_EQ(ui.infoLines.at(1), "File size (As in Header) - 4294967303 bytes");
    EXPECT_EQ(ui.infoLines.at(7), "Data bytes size - 5368709120 bytes");
    EXPECT_EQ(ui.infoLines.at(8), "Playing duration - 30434.86 seconds");

    ui.shredAnswer = {}; // cancelled: the dialog's values only
    ASSERT_EQ(pFile->ShredEqually(), 0);
    const CWaveShredArgs& args = ui.waveShredArgs.at(0);
    EXPECT_EQ(args.dataHeader.size, 0xFFFFFFFFu);
    EXPECT_EQ(CheckWaveFragmentCount("30434", args).nResult, kCheckOk);
    EXPECT_EQ(CheckWaveFragmentCount("30435", args).nResult, kCheckTooShort);
    EXPECT_EQ(EstimateWave(args, 2).nFragmentSize, nAudio / 2 + 44);
    EXPECT_EQ(EstimateWave(args, 1).nFragmentSize, nAudio + 80) << "one piece would be RF64";

    ASSERT_EQ(pFile->SaveSelection(dir / "past4.wav", 24348, 24349, 1), 0);
    CWrittenWav w = ReadWrittenWav(dir / "past4.wav");
    EXPECT_EQ(w.nDataSize, 176400u);
    EXPECT_TRUE(w.IsSourceAudioFrom(24348 * kSecond));
    ASSERT_EQ(pFile->SaveSelection(dir / "end.wav", 30434, 30436, 1), 0);
    w = ReadWrittenWav(dir / "end.wav");
    EXPECT_EQ(w.nDataSize, nAudio - 30434 * kSecond);
    EXPECT_TRUE(w.IsSourceAudioFrom(30434 * kSecond)) << "to the last byte";
}

TEST_F(SparseWave, Rf64FileOpens)
{
    Open(CWavLayout{.dataSizeField = static_cast<int64_t>(5 * kGiB), .riffSizeField = static_cast<int64_t>(5 * kGiB + 72),
                    .riffId = "RF64"},
         5 * kGiB);
    ASSERT_EQ(pFile->GetError(), 0);
    EXPECT_EQ(pFile->GetDataBytes(), 5 * kGiB);
    pFile->ShowFileInformation();
    EXPECT_EQ(ui.infoLines.at(1), "File size (As in Header) - 5368709200 bytes");
    EXPECT_EQ(pFile->ClampToData(kGiB, 5 * kGiB), 4 * kGiB);
}

// The one test that writes several GiB: the streamed 5 GiB file split in two,
// whole. Skipped where that would cost too much.
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
    for (int i = 1; i <= 2; ++i) {
        const std::string strPart = dir / ("PART-" + std::to_string(i) + ".wav");
        const CWrittenWav w = ReadWrittenWav(strPart, false);
        EXPECT_EQ(w.strRiffId, "RIFF");
        EXPECT_EQ(w.nRiffSize, w.nFileSize - 8);
        EXPECT_EQ(w.nDataSize, nAudio / 2);
        EXPECT_EQ(w.nDataStart, 44u);
        CWrittenWav ends{.audio = ReadRange(strPart, 44, 1000)};
        EXPECT_TRUE(ends.IsSourceAudioFrom((i - 1) * nAudio / 2)) << i;
        ends.audio = ReadRange(strPart, w.nFileSize - 1000, 1000);
        EXPECT_TRUE(ends.IsSourceAudioFrom(i * nAudio / 2 - 1000)) << "fragment " << i << " ends where it should";
        if (HaveProgram("sox")) {
            EXPECT_EQ(RunCommand({"sox", "--i", "-s", strPart}).strOut, std::to_string(nAudio / 8) + "\n");
        }
        std::filesystem::remove(strPart);
    }
}
