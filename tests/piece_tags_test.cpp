// The tags exactly cut pieces carry: an MP3 piece's ID3v2 and ID3v1 tags, a
// WAV piece's bext and LIST/INFO chunks.
#include "audio/CutPlanners.h"
#include "audio/PieceTags.h"
#include "audio/WaveFile.h"
#include "doubles/FakeUi.h"
#include "platform/ByteOrder.h"
#include "platform/File.h"
#include "support/Mp3Builder.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>

#include <map>

namespace {

using namespace TagLib;
using Frames = std::map<std::string, std::string>;

const ByteVector kPicture = [] { ByteVector v; for (int i = 0; i < 3000; ++i) v.append(char(i * 37)); return v; }();

// A source tag with text, picture, comment and a frame of its own.
Bytes SourceTag(ID3v2::Version version)
{
    ID3v2::Tag tag;
    tag.setTitle("Whole album");
    tag.setArtist("Band");
    tag.setComment("ripped");
    auto* pPicture = new ID3v2::AttachedPictureFrame;
    pPicture->setPicture(kPicture);
    tag.addFrame(pPicture);
    auto* pOwn = new ID3v2::UserTextIdentificationFrame(String::UTF8);
    pOwn->setDescription("SOURCE");
    pOwn->setText("vinyl");
    tag.addFrame(pOwn);
    const ByteVector bytes = tag.render(version);
    return Bytes(bytes.begin(), bytes.end());
}

// A rendered tag read back: its version and each frame as text, a picture as whether it is whole.
Frames ReadBack(const Bytes& bytes)
{
    ByteVectorStream stream(ByteVector(reinterpret_cast<const char*>(bytes.data()), unsigned(bytes.size())));
    MPEG::File file(&stream, ID3v2::FrameFactory::instance(), false);
    Frames frames{{"version", std::to_string(file.ID3v2Tag()->header()->majorVersion())}};
    for (ID3v2::Frame* pFrame : file.ID3v2Tag()->frameList()) {
        const auto* pPicture = dynamic_cast<ID3v2::AttachedPictureFrame*>(pFrame);
        frames[std::string(pFrame->frameID().data(), 4)] +=
            pPicture ? (pPicture->picture() == kPicture ? "picture" : "damaged") : pFrame->toString().to8Bit(true);
    }
    return frames;
}

struct STagCase {
    const char* name;
    ID3v2::Version source;
    CPieceTags tags;
    Frames changed; // the frames that differ from the source's
};
class PieceId3v2 : public testing::TestWithParam<STagCase> {};

TEST_P(PieceId3v2, KeepsEveryFrameAndSetsThePiecesFields)
{
    const STagCase& c = GetParam();
    Frames expected = {{"TIT2", "Whole album"}, {"TPE1", "Band"}, {"APIC", "picture"}, {"COMM", "ripped"},
                       {"TXXX", "[SOURCE] vinyl"}, {"version", c.source == ID3v2::v3 ? "3" : "4"}};
    for (const auto& [id, value] : c.changed)
        expected[id] = value;
    EXPECT_EQ(ReadBack(RenderPieceId3v2(SourceTag(c.source), c.tags)), expected);
}

const STagCase kTagCases[] = {
    {"NumberedV24", ID3v2::v4, {.nTrack = 3, .nTracks = 12}, {{"TRCK", "3/12"}}},
    {"NumberedOfUnknownCountV23", ID3v2::v3, {.nTrack = 3}, {{"TRCK", "3"}}},
    {"CueTrackV23", ID3v2::v3, {"Für Elise", "Beethoven", "Bagatellen", 2, 9},
     {{"TIT2", "Für Elise"}, {"TPE1", "Beethoven"}, {"TALB", "Bagatellen"}, {"TRCK", "2/9"}}},
    {"LegacyCodePageText", ID3v2::v4, {.strTitle = "Caf\xE9"}, {{"TIT2", "Café"}}},
    {"NothingToSet", ID3v2::v4, {}, {}},
};
INSTANTIATE_TEST_SUITE_P(Table, PieceId3v2, testing::ValuesIn(kTagCases), ByName);

// No tag, or bytes that hold none: only the piece's fields, and nothing without
// them. A real tag with any one byte spoiled still comes out readable.
TEST(PieceId3v2, TakesBytesWithoutATagAsNone)
{
    Bytes cutShort = SourceTag(ID3v2::v4);
    cutShort.resize(500);
    const Bytes garbled = Bytes{'I', 'D', '3', 4, 0, 0, 0, 0, 0, 9} + Bytes(9, 0xFF);
    for (const Bytes& source : {Bytes{}, Bytes(100, 'x'), garbled, cutShort}) {
        EXPECT_EQ(RenderPieceId3v2(source, {}), Bytes{});
        EXPECT_EQ(ReadBack(RenderPieceId3v2(source, {.strAlbum = "A", .nTrack = 1})),
                  (Frames{{"version", "4"}, {"TALB", "A"}, {"TRCK", "1"}}));
    }
    for (size_t i = 0; i < 400; ++i) {
        Bytes spoiled = SourceTag(ID3v2::v3);
        spoiled[i] ^= 0xA5;
        EXPECT_EQ(ReadBack(RenderPieceId3v2(spoiled, {.nTrack = 1})).at("TRCK"), "1") << i;
    }
}

TEST(PieceId3v1, SetsTheTrackWhereTheCommentLeavesRoom)
{
    // Comment characters (0: no "TAG" at all), the source's track byte, the piece's track, the byte written.
    struct { size_t nComment; unsigned char nSource; unsigned nTrack; unsigned char nExpected; } const cases[] = {
        {5, 4, 7, 7}, {28, 0, 7, 7}, {5, 4, 0, 4}, {5, 4, 300, 0}, {29, 0, 7, 0}, {30, 'c', 7, 'c'}, {0, 9, 7, 9}};
    for (const auto& c : cases) {
        std::array<unsigned char, 128> tag{'T', 'A', static_cast<unsigned char>(c.nComment ? 'G' : '-')}, expected;
        std::fill_n(tag.begin() + 97, c.nComment, 'c');
        tag[126] = c.nComment < 30 ? c.nSource : 'c';
        expected = tag;
        expected[126] = c.nExpected;
        SetId3v1Track(tag, c.nTrack);
        EXPECT_EQ(tag, expected) << c.nComment << " " << c.nTrack;
    }
}

TEST(PieceId3v2, ReaderTakesTheFirstTagWhenItEndsBeforeTheAudio)
{
    CTempDir dir;
    const Bytes tag = SourceTag(ID3v2::v4);
    WriteBytes(dir / "in.mp3", tag + SourceTag(ID3v2::v3) + Stream({}, 417, 3));
    CFile file;
    ASSERT_TRUE(file.Open(dir / "in.mp3", CFile::EMode::Read));
    EXPECT_EQ(ReadLeadingId3v2(file, tag.size()), tag);
    EXPECT_EQ(ReadLeadingId3v2(file, tag.size() - 1), Bytes{});
    EXPECT_EQ(ReadLeadingId3v2(file, 0), Bytes{});
}

// The chunks of a written WAV file, walked with their pad bytes to the file's end; the RIFF size agrees.
std::vector<std::pair<std::string, Bytes>> Chunks(const Bytes& file)
{
    std::vector<std::pair<std::string, Bytes>> chunks;
    size_t at = 12;
    for (uint32_t n; at + 8 <= file.size(); at += 8 + n + n % 2) {
        n = ReadU32LE(&file[at + 4]);
        chunks.emplace_back(std::string(&file[at], &file[at + 4]), Bytes(&file[at + 8], &file[at + 8] + n));
    }
    EXPECT_EQ(at, file.size());
    EXPECT_EQ(ReadU32LE(&file[4]), file.size() - 8);
    return chunks;
}

struct SWavCase {
    const char* name;
    ECutRule rule;
    bool bInfoAfterData;
};
class WavePieceChunks : public testing::TestWithParam<SWavCase> {};

// A bext time reference whose low half carries into the high one, a LIST of
// another type first, LIST/INFO of an odd size before or after the audio.
TEST_P(WavePieceChunks, CarryBextAndInfoOnlyWhenCutExactly)
{
    const SWavCase& c = GetParam();
    Bytes bext(602, 'b');
    WriteU64LE(&bext[338], 0xFFFFFFF0u);
    const Bytes info = {'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 3, 0, 0, 0, 'a', 'b', 0};
    CWavLayout layout{.chunksBeforeData = {{"LIST", Bytes{'a', 'd', 't', 'l'}}, {"bext", bext}}, .dataBytes = 529200};
    if (!c.bInfoAfterData)
        layout.chunksBeforeData.emplace_back("LIST", info);
    Bytes source = BuildWav(layout);
    const size_t nAudioAt = source.size() - layout.dataBytes;
    if (c.bInfoAfterData)
        source = source + Bytes{'L', 'I', 'S', 'T', 15, 0, 0, 0} + info + Bytes{0};
    CTempDir dir;
    CFakeUi ui;
    WriteBytes(dir / "in.wav", source);
    CWaveFile wav(dir / "in.wav", nullptr, ui);
    CCutPlan plan = PlanAtPoints(c.rule, wav.GetTotalFrames(), {44100, 88200}, 44100);
    for (size_t i = 0; i < plan.pieces.size(); ++i)
        plan.pieces[i].strPath = dir / ("p" + std::to_string(i) + ".wav");
    ASSERT_EQ(wav.WritePlan(plan), 0);
    for (const CPiece& piece : plan.pieces) {
        const uint64_t nFirst = piece.nFrom - std::min(piece.nFrom, piece.nLeadIn);
        const auto chunks = Chunks(ReadBytes(piece.strPath));
        ASSERT_EQ(chunks.size(), c.rule == ECutRule::Exact ? 4u : 2u);
        const auto nFrom = long(nAudioAt + nFirst * 4), nTo = long(nAudioAt + piece.nTo * 4);
        EXPECT_EQ(chunks.back().second, Bytes(source.begin() + nFrom, source.begin() + nTo));
        if (c.rule != ECutRule::Exact)
            continue;
        WriteU64LE(&bext[338], 0xFFFFFFF0u + nFirst);
        EXPECT_EQ(chunks[1], std::make_pair(std::string("bext"), bext));
        EXPECT_EQ(chunks[2], std::make_pair(std::string("LIST"), info));
    }
}

const SWavCase kWavCases[] = {
    {"ExactInfoBeforeData", ECutRule::Exact, false},
    {"ExactInfoAfterData", ECutRule::Exact, true},
    {"WholeSeconds", ECutRule::WholeSeconds, false},
};
INSTANTIATE_TEST_SUITE_P(Table, WavePieceChunks, testing::ValuesIn(kWavCases), ByName);

} // namespace
