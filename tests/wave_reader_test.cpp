#include "audio/WaveFile.h"
#include "platform/StringTable.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct SOpened {
    CTempDir dir;
    CFakeUi ui;
    std::unique_ptr<CWaveFile> pFile;
};

std::unique_ptr<SOpened> Open(const std::vector<unsigned char>& bytes)
{
    auto p = std::make_unique<SOpened>();
    WriteBytes(p->dir / "in.wav", bytes);
    p->pFile = std::make_unique<CWaveFile>(p->dir / "in.wav", nullptr, p->ui);
    return p;
}

std::vector<unsigned char> Patched(std::vector<unsigned char> bytes, size_t at, uint32_t value)
{
    bytes[at] = static_cast<unsigned char>(value);
    bytes[at + 1] = static_cast<unsigned char>(value >> 8);
    bytes[at + 2] = static_cast<unsigned char>(value >> 16);
    bytes[at + 3] = static_cast<unsigned char>(value >> 24);
    return bytes;
}

} // namespace

TEST(WaveReader, CanonicalFileReadsItsHeader)
{
    auto p = Open(BuildWav(CanonicalWav()));
    const CWaveFile& f = *p->pFile;
    ASSERT_EQ(f.GetError(), 0);
    EXPECT_EQ(f.GetDataStart(), 44u);
    EXPECT_EQ(f.GetDataHeader().size, 1764000u);
    EXPECT_EQ(f.GetFormat().extraSize, 0u);
    EXPECT_EQ(f.GetFormat().avgBytesPerSec, 176400u);
    EXPECT_EQ(f.GetFactHeader().size, 0u);
    EXPECT_EQ(f.GetFactData(), nullptr);
    EXPECT_DOUBLE_EQ(f.GetDuration(), 10.0);
    EXPECT_EQ(f.GetDefaultExt(), "*.WAV");
    EXPECT_EQ(f.GetFilter(), "WAV files (*.wav)|*.wav|All files (*.*)|*.*||");
}

TEST(WaveReader, InformationLinesOfTheCanonicalFile)
{
    auto p = Open(BuildWav(CanonicalWav()));
    p->pFile->ShowFileInformation();
    const std::vector<std::string> expected{
        "Filename - in.wav",           "File size (As in Header) - 1764044 bytes",
        "Number of Channels - 2",      "Samples per second - 44100",
        "Average bytes per second - 176400 bytes", "Bits per sample - 16 bits",
        "Sample frame size - 4 bytes", "Data bytes size - 1764000 bytes",
        "Playing duration - 10.00 seconds"};
    EXPECT_EQ(p->ui.infoLines, expected);
}

TEST(WaveReader, NonPcmKeepsExtraFormatBytesAndFactChunk)
{
    CWavSpec spec = CanonicalWav();
    spec.formatTag = 2;
    spec.bWriteExtraSize = true;
    spec.formatExtra = {0xAB, 0xCD};
    spec.bWriteFact = true;
    spec.factData = {1, 2, 3, 4};
    auto p = Open(BuildWav(spec));
    const CWaveFile& f = *p->pFile;
    ASSERT_EQ(f.GetError(), 0);
    EXPECT_EQ(f.GetFormat().extraSize, 2u);
    ASSERT_NE(f.GetFormatExtra(), nullptr);
    EXPECT_EQ(f.GetFormatExtra()[0], 0xAB);
    EXPECT_EQ(f.GetFormatExtra()[1], 0xCD);
    EXPECT_TRUE(IsFourCC(f.GetFactHeader().id, "fact"));
    EXPECT_EQ(f.GetFactHeader().size, 4u);
    ASSERT_NE(f.GetFactData(), nullptr);
    EXPECT_EQ(f.GetFactData()[3], 4);
}

TEST(WaveReader, PcmDiscardsTheTwoBytesAfterItsFields)
{
    auto p = Open(BuildWav(CanonicalWav()));
    EXPECT_EQ(p->pFile->GetFormat().extraSize, 0u);
    EXPECT_EQ(p->pFile->GetFormatExtra(), nullptr);
}

// A non-PCM format chunk of only 16 bytes has no extraSize field: the bytes
// after it belong to the next chunk and must not become extra format bytes.
TEST(WaveReader, ShortNonPcmFormatChunkHasNoExtraBytes)
{
    CWavSpec spec = CanonicalWav();
    spec.formatTag = 3;
    spec.bWriteFact = true;
    spec.factData = {0, 0, 0, 0};
    auto p = Open(BuildWav(spec));
    ASSERT_EQ(p->pFile->GetError(), 0);
    EXPECT_EQ(p->pFile->GetFormat().extraSize, 0u);
    EXPECT_EQ(p->pFile->GetFormatExtra(), nullptr);
}

TEST(WaveReader, DataTagInsideAnotherChunkIsNotTakenForTheDataChunk)
{
    CWavSpec spec = CanonicalWav();
    spec.dataBytes = 40000;
    spec.chunksBeforeData = {{"LIST", {'I', 'N', 'F', 'O', 'd', 'a', 't', 'a', 9, 9, 9, 9, 'x'}}};
    auto p = Open(BuildWav(spec));
    ASSERT_EQ(p->pFile->GetError(), 0);
    EXPECT_EQ(p->pFile->GetDataHeader().size, 40000u);
    EXPECT_EQ(p->pFile->GetDataStart(), 44u + 8 + 14);
}

TEST(WaveReader, DataChunkPastTheFirstThousandBytesOpens)
{
    CWavSpec spec = CanonicalWav();
    spec.dataBytes = 4000;
    spec.chunksBeforeData = {{"bext", std::vector<unsigned char>(602, 'b')},
                             {"JUNK", std::vector<unsigned char>(1000, 0)},
                             {"iXML", std::vector<unsigned char>(333, '<')}};
    auto p = Open(BuildWav(spec));
    ASSERT_EQ(p->pFile->GetError(), 0);
    EXPECT_EQ(p->pFile->GetDataStart(), 44u + 610 + 1008 + 342);
    EXPECT_EQ(p->pFile->GetDataHeader().size, 4000u);
}

TEST(WaveReader, OddChunkWithOrWithoutItsPadByte)
{
    for (bool bPad : {true, false}) {
        CWavSpec spec = CanonicalWav();
        spec.dataBytes = 400;
        std::vector<unsigned char> bytes = BuildWav(spec);
        // Put an odd-sized chunk between "fmt " and "data".
        std::vector<unsigned char> odd;
        AppendChunk(odd, "note", {'a', 'b', 'c'}, bPad);
        bytes.insert(bytes.begin() + 36, odd.begin(), odd.end());
        auto p = Open(bytes);
        ASSERT_EQ(p->pFile->GetError(), 0) << "pad " << bPad;
        EXPECT_EQ(p->pFile->GetDataStart(), 44u + odd.size()) << "pad " << bPad;
    }
}

TEST(WaveReader, DataSizeBeyondTheFileIsTakenAtWhatIsThere)
{
    for (uint32_t claimed : {2000000u, 0xFFFFFFFFu}) {
        CWavSpec spec = CanonicalWav();
        spec.dataBytes = 176400;
        spec.bOverrideDataSize = true;
        spec.dataSizeField = claimed;
        auto p = Open(BuildWav(spec));
        ASSERT_EQ(p->pFile->GetError(), 0);
        EXPECT_EQ(p->pFile->GetDataHeader().size, 176400u);
        EXPECT_DOUBLE_EQ(p->pFile->GetDuration(), 1.0);
    }
}

TEST(WaveReader, FactChunkRunningPastTheEndIsAbsent)
{
    CWavSpec spec = CanonicalWav();
    spec.dataBytes = 0;
    std::vector<unsigned char> bytes = BuildWav(spec);
    bytes.insert(bytes.end(), {'f', 'a', 'c', 't', 0xF0, 0xFF, 0xFF, 0x7F, 1, 2});
    auto p = Open(bytes);
    ASSERT_EQ(p->pFile->GetError(), 0);
    EXPECT_EQ(p->pFile->GetFactHeader().size, 0u);
    EXPECT_EQ(p->pFile->GetFactData(), nullptr);
}

struct SStatusCase {
    const char* pName;
    std::function<std::vector<unsigned char>()> make;
    int32_t nStatus;
};

class WaveReaderStatus : public ::testing::TestWithParam<SStatusCase> {};

TEST_P(WaveReaderStatus, ReportsItsMessage)
{
    auto p = Open(GetParam().make());
    EXPECT_EQ(p->pFile->GetError(), GetParam().nStatus);
    EXPECT_EQ(p->pFile->ReportError(nullptr), GetParam().nStatus);
    ASSERT_EQ(p->ui.messages.size(), 1u);
    EXPECT_EQ(p->ui.messages[0].strCaption, "Error");
    EXPECT_EQ(p->ui.messages[0].icon, EMsgIcon::Stop);
    EXPECT_EQ(p->ui.messages[0].strText, LoadResString(static_cast<unsigned>(GetParam().nStatus)));
}

namespace {

std::vector<unsigned char> Canonical()
{
    CWavSpec spec = CanonicalWav();
    spec.dataBytes = 4000;
    return BuildWav(spec);
}

std::vector<unsigned char> Renamed(size_t at, const char* pId)
{
    std::vector<unsigned char> bytes = Canonical();
    std::copy(pId, pId + 4, bytes.begin() + static_cast<long>(at));
    return bytes;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Statuses, WaveReaderStatus,
    ::testing::Values(
        SStatusCase{"Empty", [] { return std::vector<unsigned char>{}; }, 108},
        SStatusCase{"OneByte", [] { return std::vector<unsigned char>{'R'}; }, 104},
        SStatusCase{"Garbage", [] { return std::vector<unsigned char>(5000, 0x5A); }, 104},
        SStatusCase{"RiffAfterThousandBytes",
                    [] {
                        std::vector<unsigned char> b(1000, 0);
                        auto wav = Canonical();
                        b.insert(b.end(), wav.begin(), wav.end());
                        return b;
                    },
                    104},
        SStatusCase{"NoFormatChunk", [] { return Renamed(12, "fmx "); }, 105},
        SStatusCase{"ZeroBytesPerSecond", [] { return Patched(Canonical(), 28, 0); }, 105},
        SStatusCase{"ZeroBlockAlign",
                    [] {
                        auto b = Canonical();
                        b[32] = b[33] = 0;
                        return b;
                    },
                    105},
        SStatusCase{"FormatChunkCutShort",
                    [] {
                        auto b = Canonical();
                        b.resize(30);
                        return b;
                    },
                    105},
        SStatusCase{"NoDataChunk", [] { return Renamed(36, "dat4"); }, 106},
        SStatusCase{"HugeChunkSizeBeforeData", [] { return Patched(Canonical(), 16, 0xFFFFFFF0u); }, 106},
        SStatusCase{"DataHeaderCutShort",
                    [] {
                        auto b = Canonical();
                        b.resize(40);
                        return b;
                    },
                    106}),
    [](const auto& tp) { return std::string(tp.param.pName); });

TEST(WaveReader, MissingFileAndDirectoryCannotBeOpened)
{
    CTempDir dir;
    CFakeUi ui;
    for (const std::string& strPath : {dir / "missing.wav", dir.Path()}) {
        CWaveFile file(strPath, nullptr, ui);
        EXPECT_EQ(file.GetError(), 102) << strPath;
    }
}

TEST(WaveReader, ReportErrorShowsNothingWhenAllIsWell)
{
    auto p = Open(Canonical());
    EXPECT_EQ(p->pFile->ReportError(nullptr), 0);
    EXPECT_TRUE(p->ui.messages.empty());
}

TEST(WaveReader, ManyTinyChunksEndTheWalkWithoutData)
{
    std::vector<unsigned char> bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    std::vector<unsigned char> fmt(16, 0);
    fmt[4] = fmt[8] = fmt[12] = 1;
    AppendChunk(bytes, "fmt ", fmt);
    for (int i = 0; i < 20000; ++i)
        AppendChunk(bytes, "tiny", {});
    AppendChunk(bytes, "data", {1, 2, 3, 4});
    auto p = Open(bytes);
    EXPECT_EQ(p->pFile->GetError(), 106);
}
