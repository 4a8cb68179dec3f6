// Real encoder output, made at test time: the playing time agrees with a
// decoder, and every piece written starts on an audio frame and decodes.
#include "audio/Mp3File.h"
#include "audio/Mp3Header.h"
#include "support/FakeUi.h"
#include "support/Mp3Builder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "support/WavBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>

namespace {

// A tone with noise whose loudness swings four times a second: a VBR encoder
// varies its frames, but evenly over any second.
Bytes TestSignal(uint32_t nRate, uint16_t nChannels, uint32_t nSeconds)
{
    CWavSpec spec;
    spec.channels = nChannels;
    spec.samplesPerSec = nRate;
    spec.blockAlign = static_cast<uint16_t>(2 * nChannels);
    spec.avgBytesPerSec = nRate * spec.blockAlign;
    spec.dataBytes = spec.avgBytesPerSec * nSeconds;
    Bytes wav = BuildWav(spec);
    uint32_t nNoise = 12345;
    const double kPi = 3.14159265358979;
    for (uint32_t i = 0; i < nRate * nSeconds; ++i) {
        nNoise = nNoise * 1103515245 + 12345;
        const double t = static_cast<double>(i) / nRate;
        const double dNoise = static_cast<double>(nNoise >> 16) / 32768.0 - 1.0;
        const double v = 0.3 * std::sin(2 * kPi * 440 * t) + 0.15 * dNoise * (0.6 + 0.4 * std::sin(2 * kPi * 4 * t));
        const auto s = static_cast<int16_t>(v * 32767);
        for (uint16_t c = 0; c < nChannels; ++c) {
            const size_t at = 44 + (size_t{i} * nChannels + c) * 2;
            wav[at] = static_cast<unsigned char>(s & 0xFF);
            wav[at + 1] = static_cast<unsigned char>((s >> 8) & 0xFF);
        }
    }
    return wav;
}

struct SDecoded {
    double dSeconds = 0.0;
    std::vector<std::string> complaints; // what the decoder said about the stream
};

// Every frame decoded, none of the encoder's delay or padding dropped.
SDecoded Decode(const std::string& strPath, uint32_t nRate)
{
    const CCommandResult r = RunCommand({"mpg123", "--no-gapless", "-m", "-s", strPath});
    SDecoded d;
    d.dSeconds = static_cast<double>(r.strOut.size() / 2) / nRate;
    for (const std::string& line : Lines(r.strErr))
        for (const char* word : {"Illegal", "rror", "arning", "resync", "Can't"})
            if (line.find(word) != std::string::npos) {
                d.complaints.push_back(line);
                break;
            }
    if (r.nExit != 0)
        d.complaints.push_back("exit " + std::to_string(r.nExit));
    return d;
}

uint32_t HeaderAt(const Bytes& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}

// Frames whose Layer III bit reservoir (the main data that begins in earlier
// frames) reaches back before the piece. No byte cut can give a decoder their
// data, and MPEG-2 decoders say so.
unsigned StarvedFrames(const Bytes& body, const std::vector<size_t>& frames)
{
    unsigned nStarved = 0;
    size_t nAvailable = 0;
    for (const size_t at : frames) {
        const uint32_t dw = HeaderAt(body, at);
        const bool bMpeg1 = mp3::Version(dw) == 3;
        const bool bMono = mp3::ChannelMode(dw) == 3;
        const size_t nSideAt = at + 4 + (mp3::HasCrc(dw) ? 2 : 0);
        const size_t nSideInfo = bMpeg1 ? (bMono ? 17 : 32) : (bMono ? 9 : 17);
        const unsigned nBegin = bMpeg1 ? (body[nSideAt] << 1) | (body[nSideAt + 1] >> 7) : body[nSideAt];
        if (nBegin > nAvailable)
            ++nStarved;
        nAvailable += mp3::FrameLength(dw) - (nSideAt - at) - nSideInfo;
    }
    return nStarved;
}

struct SEncoding {
    const char* name;
    uint32_t nRate;
    uint16_t nChannels;
    uint32_t nSeconds;
    std::vector<std::string> lameArgs;
    unsigned nVersion; // header field: 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    bool bCbr;
    bool bId3v1;
    bool bLargeId3v2;
};

void PrintTo(const SEncoding& e, std::ostream* os)
{
    *os << e.name;
}

class EncodedFile : public testing::TestWithParam<SEncoding> {
protected:
    void SetUp() override
    {
        if (!HaveProgram("lame") || !HaveProgram("mpg123"))
            GTEST_SKIP() << "lame and mpg123 are needed";
        const SEncoding& e = GetParam();
        WriteBytes(m_dir / "in.wav", TestSignal(e.nRate, e.nChannels, e.nSeconds));
        std::vector<std::string> args{"lame", "--quiet"};
        args.insert(args.end(), e.lameArgs.begin(), e.lameArgs.end());
        args.insert(args.end(), {m_dir / "in.wav", m_dir / "in.mp3"});
        ASSERT_EQ(RunCommand(args).nExit, 0);
        m_source = ReadBytes(m_dir / "in.mp3");
        m_pFile = std::make_unique<CMp3File>(m_dir / "in.mp3", nullptr, m_ui);
        ASSERT_EQ(m_pFile->GetError(), 0);
        m_dDuration = m_pFile->GetDuration();
        m_dFrame = static_cast<double>(mp3::SamplesPerFrame(m_pFile->GetHeader())) / e.nRate;
    }

    // A piece is a stretch of the source followed by the source's ID3v1 tag.
    // Its bytes form a chain of frames, the first not an information frame,
    // up to the frame the byte count cut. The complete frames decode without
    // a complaint but for frames whose bit reservoir lies before the piece,
    // and play for about dExpected.
    void CheckPiece(const std::string& strName, double dExpected, double dFrames)
    {
        SCOPED_TRACE(strName);
        const Bytes piece = ReadBytes(m_dir / strName);
        const size_t nTag = GetParam().bId3v1 ? 128 : 0;
        ASSERT_GE(piece.size(), 64 + nTag);
        const auto nTagBytes = static_cast<std::ptrdiff_t>(nTag);
        const Bytes body(piece.begin(), piece.end() - nTagBytes);
        EXPECT_TRUE(std::equal(piece.end() - nTagBytes, piece.end(), m_source.end() - nTagBytes));
        const auto at = std::search(m_source.begin(), m_source.end(), body.begin(), body.begin() + 64);
        ASSERT_LE(static_cast<std::ptrdiff_t>(body.size()), m_source.end() - at);
        EXPECT_TRUE(std::equal(body.begin(), body.end(), at)) << "not one stretch of the source";
        EXPECT_FALSE(mp3::ParseInfoFrame(HeaderAt(body, 0), body.data(), 64).has_value());

        std::vector<size_t> frames;
        size_t nComplete = 0;
        while (body.size() - nComplete >= 4) {
            const uint32_t dw = HeaderAt(body, nComplete);
            ASSERT_TRUE(mp3::IsUsableHeader(dw)) << "no frame header at " << nComplete;
            if (mp3::FrameLength(dw) > body.size() - nComplete)
                break;
            frames.push_back(nComplete);
            nComplete += mp3::FrameLength(dw);
        }
        WriteBytes(m_dir / "complete.mp3", Bytes(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(nComplete)));
        const SDecoded d = Decode(m_dir / "complete.mp3", GetParam().nRate);
        EXPECT_LE(d.complaints.size(), StarvedFrames(body, frames));
        for (const std::string& line : d.complaints)
            EXPECT_NE(line.find("part2_3_length"), std::string::npos) << line;
        const double dTolerance = GetParam().bCbr ? dFrames * m_dFrame + 1e-9 : 0.05 * dExpected;
        EXPECT_NEAR(d.dSeconds, dExpected, dTolerance);
    }

    CTempDir m_dir;
    CFakeUi m_ui;
    Bytes m_source;
    std::unique_ptr<CMp3File> m_pFile;
    double m_dDuration = 0.0;
    double m_dFrame = 0.0; // seconds of one frame
};

TEST_P(EncodedFile, OpensWithTheDecodersPlayingTime)
{
    const SEncoding& e = GetParam();
    EXPECT_EQ(mp3::Version(m_pFile->GetHeader()), e.nVersion);
    EXPECT_EQ(m_pFile->GetSamplingRate(), e.nRate);
    EXPECT_EQ(m_pFile->HasTag(), e.bId3v1);
    if (e.bLargeId3v2) {
        EXPECT_GT(m_pFile->GetAudioStart(), 1000u);
    }
    const SDecoded d = Decode(m_dir / "in.mp3", e.nRate);
    EXPECT_TRUE(d.complaints.empty());
    EXPECT_NEAR(m_dDuration, d.dSeconds, 0.01 * d.dSeconds);
}

TEST_P(EncodedFile, SelectionPlaysForWhatWasAsked)
{
    ASSERT_EQ(m_pFile->SaveSelection(m_dir / "sel.mp3", 3, 9, 1), 0);
    CheckPiece("sel.mp3", 6.0, 1);
}

TEST_P(EncodedFile, FragmentsPlayForTheirShare)
{
    m_ui.shredAnswer = {true, 4, m_dir / "part"};
    ASSERT_EQ(m_pFile->ShredEqually(), 0);
    // Every cut pushes the later fragments on to the next frame, so the last
    // one loses up to a frame for each cut before it.
    for (unsigned i = 1; i <= 4; ++i)
        CheckPiece("PART-" + std::to_string(i) + ".mp3", m_dDuration / 4, i < 4 ? 1 : 4);
}

TEST_P(EncodedFile, OverlappedFragmentsStartWithTheLeadIn)
{
    m_pFile->SetOverlapTime(2);
    m_ui.shredAnswer = {true, 3, m_dir / "lap"};
    ASSERT_EQ(m_pFile->ShredEqually(), 0);
    CheckPiece("LAP-1.mp3", m_dDuration / 3, 1);
    CheckPiece("LAP-2.mp3", m_dDuration / 3 + 2, 2);
    CheckPiece("LAP-3.mp3", m_dDuration / 3 + 2, 4);
}

using Args = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    Lame, EncodedFile,
    testing::Values(
        SEncoding{"Mpeg1CbrId3v1", 44100, 2, 20, Args{"-b", "128", "--id3v1-only", "--tt", "Title"}, 3, true, true,
                  false},
        SEncoding{"Mpeg1VbrLargeId3v2", 44100, 2, 20,
                  Args{"-V", "4", "--add-id3v2", "--pad-id3v2-size", "3000", "--tt", "Title"}, 3, false, true, true},
        SEncoding{"Mpeg1CbrWithoutInfoFrame", 44100, 2, 20, Args{"-b", "192", "-t"}, 3, true, false, false},
        SEncoding{"Mpeg2Cbr", 22050, 2, 20, Args{"-b", "64"}, 2, true, false, false},
        SEncoding{"Mpeg2VbrId3v2", 22050, 1, 20,
                  Args{"-V", "5", "--id3v2-only", "--pad-id3v2-size", "2000", "--tt", "T"}, 2, false, false, true},
        SEncoding{"Mpeg25CbrBothTags", 8000, 1, 30,
                  Args{"-b", "16", "--add-id3v2", "--pad-id3v2-size", "1500", "--tt", "T"}, 0, true, true, true},
        SEncoding{"Mpeg25Vbr", 8000, 1, 30, Args{"-V", "6"}, 0, false, false, false}),
    ByName());

} // namespace
