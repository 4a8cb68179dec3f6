#include "audio/WaveFile.h"
#include "platform/StringTable.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

class CWaveProbe : public CWaveFile { // opens the block copy to tests
public:
    using CWaveFile::CWaveFile;
    using CAudioFile::CopyData;
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
    uint32_t nDataStart, nDataSize;
};

class WaveRead : public WaveFile, public ::testing::WithParamInterface<SReadCase> {};

TEST_P(WaveRead, FindsTheAudio)
{
    const CWaveProbe& f = Open(GetParam().make());
    ASSERT_EQ(f.GetError(), 0);
    EXPECT_EQ(f.GetDataStart(), GetParam().nDataStart);
    EXPECT_EQ(f.GetDataHeader().size, GetParam().nDataSize);
}

Bytes WithChunksBeforeData(std::vector<std::pair<std::string, Bytes>> chunks, uint32_t nData = 4000)
{
    CWavLayout wav;
    wav.chunksBeforeData = std::move(chunks);
    wav.dataBytes = nData;
    return BuildWav(wav);
}

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
        SReadCase{"DataSizeStreaming", [] { CWavLayout w; w.dataBytes = 17; w.dataSizeField = 0xFFFFFFFF; return BuildWav(w); }, 44, 17}),
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
    EXPECT_EQ(Bytes(out.begin() + 36, out.begin() + 52), (Bytes{2, 0, 0xAB, 0xCD, 'f', 'a', 'c', 't', 4, 0, 0, 0, 9, 8, 7, 6}));
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
    for (size_t k = 0; k < atSteps.size(); ++k) {
        EXPECT_LE(atSteps[k], std::min<uint64_t>(c.nCount % 10000 + k * 10000, nWritten));
    }
    EXPECT_TRUE(atSteps.empty() || atSteps[0] == std::min<uint64_t>(c.nCount % 10000, nWritten));
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
        joined.audio.insert(joined.audio.end(), w.audio.begin(), w.audio.end());
    }
    EXPECT_LT(nData - joined.audio.size(), uint64_t{nAlign} * static_cast<uint32_t>(n));
    EXPECT_TRUE(joined.IsSourceAudioFrom(0));
}

INSTANTIATE_TEST_SUITE_P(FrameSizes, WaveSplitJoin,
                         ::testing::Combine(::testing::Values<uint16_t>(1, 2, 3, 4, 6, 8),
                                            ::testing::Values(1000003u, 30011u), ::testing::Values(2, 3, 7)));

TEST_F(WaveFile, SplitTakesTheOverlapSetWhileTheDialogRuns)
{
    Open();
    ui.duringShredDialog = [this] { pFile->SetOverlapTime(1); };
    ASSERT_EQ(Shred(3, 0), 0);
    EXPECT_EQ(Part(2).nDataSize, 764400u);
    const CWaveShredArgs& args = ui.waveShredArgs.at(0);
    EXPECT_EQ(args.strSourcePath, dir / "in.wav");
    EXPECT_EQ(args.dataHeader.size, 1764000u);
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
