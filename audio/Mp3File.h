#pragma once

#include "audio/AudioFile.h"
#include "audio/Mp3FrameIndex.h"
#include "audio/Mp3Header.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>
#include <string>

// An MPEG audio file (MPEG-1, 2 and 2.5, Layers I to III) with an optional
// ID3v1 tag in its last 128 bytes. Opening reads one frame header and never
// walks the frames, so it costs the same whatever the file's size.
//
// The audio starts after any leading ID3v2 tags and, when the first frame is
// an information frame (Xing, Info, VBRI), after that frame; it ends before the
// ID3v1 tag. Every offset of a selection or a split counts from that start.
// Time and bytes convert at the stream's average rate when the information
// frame gives one, otherwise at the current header's bitrate.
//
// Cuts are byte copies: a piece starts on a frame header found by a search and
// ends where its byte count runs out; the ID3v1 tag is appended to each piece.
class CMp3File : public CAudioFile {
public:
    CMp3File(std::string strPath, CWnd* pParentWnd, IAudioUi& ui);
    ~CMp3File() override;

    int32_t ShredEqually() override;
    int32_t SaveSelection(std::string strOutPath, int32_t nStart, int32_t nEnd, int32_t nSecsPerStep) override;
    void ShowFileInformation() override;
    std::string GetDefaultExt() const override { return "*.MP3"; }
    std::string GetFilter() const override { return "MP3 files (*.mp3)|*.mp3|All files (*.*)|*.*||"; }

    // Copies the file's last 128 bytes into m_tag.
    void ReadTag();
    // Searches byte by byte, at most nReach bytes from the current position, for
    // a header that CheckHeader accepts. Found: the file stands on it and
    // m_dwHeader holds it. Not found: the file stands on the first byte not
    // examined and m_dwHeader keeps the last accepted header.
    bool FindFrame(unsigned nReach);
    // Tests the candidate in m_dwHeader, and that a plausible header follows one
    // frame length later. The file position is left as it was.
    bool CheckHeader();
    uint32_t GetBitrate() const;      // bits per second of m_dwHeader
    uint32_t GetSamplingRate() const; // Hz of m_dwHeader
    uint32_t GetFrameLength() const;  // bytes of m_dwHeader's frame
    double ComputeDuration() const;
    bool HasTag() const;
    // Bytes of audio: from the audio start to the ID3v1 tag or the end.
    uint64_t GetDataLength() const;
    // Puts the file on the first audio frame; 109 when there is none.
    int32_t RewindToFirstFrame();
    // The part of nCount bytes from nOffset (both from the audio start) that
    // lies within the audio.
    uint64_t ClampToFile(uint64_t nOffset, uint64_t nCount) const;

    // Cut points count the samples of the stream at the first frame's rate:
    // for Layer III those a gapless decoder plays, the encoder's delay and
    // padding left out; for Layers I and II, which decoders do not trim,
    // every sample of the frames.
    uint32_t GetFrameRate() const override { return m_nSampleRate; }
    uint64_t GetTotalFrames() override;
    // The frames of the audio, walked when first asked for.
    const CMp3FrameIndex& Index();

    uint32_t GetHeader() const { return m_dwHeader; }
    uint64_t GetAudioStart() const { return m_nAudioStart; }
    // The rate every conversion between time and bytes uses.
    double GetBytesPerSecond() const;

    // How far the search for the first frame goes from where the audio starts.
    static constexpr unsigned kFirstFrameReach = 1000;
    // How far a search goes from a cut point, which may fall just behind a frame
    // header: past two of the longest frames there can be.
    static constexpr unsigned kCutReach = 2 * mp3::kLongestFrameLength;
    static constexpr uint32_t kTagBytes = 128;
    // Leading ID3v2 tags skipped at most, so that opening stays bounded.
    static constexpr unsigned kMaxId3v2Tags = 64;
    // The bytes of the leading ID3v2 tags, one after the other. A tag
    // claiming more than the file holds is not skipped: a search for the
    // first frame then starts on it.
    static uint64_t SkipId3v2Tags(CFile& file);
    // Exact pieces are clean Layer III pieces: the stream is Layer III and
    // its frames all hold as many samples, so that frame counts in an
    // information frame say how long a piece plays. Other streams are cut at
    // frame boundaries.
    bool CutsClean();

protected:
    SByteSpan LocatePiece(const CPiece& piece, ECutRule rule) override;
    bool HoldsAudio(const SByteSpan& span) override;
    void WritePiece(CFile& output, const SByteSpan& span, IShredProgress* pProgress) override;

    // Where a fragment of an equal split lies: from the first frame at
    // or after the source's position to nEnd.
    std::optional<SByteSpan> FragmentSpan(uint64_t nEnd, int32_t nOverlapSeconds);
    // Where the lead-in of a piece starting at nHere starts: the first frame at
    // or after nSeconds before it (no earlier than the audio start); nHere
    // when there is none before it.
    uint64_t LeadInFrom(uint64_t nHere, uint64_t nSeconds);

private:
    void ReadInformationFrame();
    // FindFrame, refusing a header found at or past the end of the audio.
    bool FindAudioFrame(unsigned nReach);
    uint64_t GetAudioEnd() const;
    uint64_t BytesLeftInAudio() const;
    uint64_t SecondsToBytes(uint64_t nSeconds) const;
    // The whole-second rule: the first frame at or after nSeconds at the
    // average rate (where a fruitless search stopped), or the audio's end.
    uint64_t LocateSecond(uint64_t nSeconds);
    void AppendTag(CFile& output) const;

    // A clean Layer III piece: the source's frames from a few before its
    // first sample (so that the decoder's overlap and filter bank are warmed
    // up) to the frame holding its last, behind an information frame whose
    // delay and padding make a gapless decoder play exactly its samples, and
    // a silent frame carrying the bit reservoir its first frame reaches into.
    struct SCleanLayout {
        uint64_t nFirstFrame = 0; // index of the first source frame written
        uint64_t nEndFrame = 0;   // and of the one after the last
        uint64_t nOwnFrame = 0;   // the frame holding the piece's own first sample
        uint64_t nSamples = 0;    // samples the piece plays
        unsigned nReservoir = 0;  // bytes the silent frame carries; 0: no silent frame
        unsigned nDelay = 0;
        unsigned nPadding = 0;
    };
    bool IsLayer3() const { return mp3::Layer(m_dwFirstHeader) == mp3::kLayer3; }
    // The raw sample (counted from the first frame's first decoded sample)
    // that a gapless decoder plays first, and the samples it leaves out at
    // the end: from the encoder's extension, or assumed.
    uint64_t GaplessSkip();
    uint64_t GaplessTail();
    std::optional<SCleanLayout> LayOutCleanPiece(const CPiece& piece);
    // The frame k's header and side information, or 0 when it has none.
    uint32_t ReadFrameStart(uint64_t k, std::vector<unsigned char>& bytes, bool bWhole);
    unsigned ReservoirReach(uint64_t nFirst, uint64_t nEnd);
    std::vector<unsigned char> ReservoirBefore(uint64_t nFrame, unsigned nBytes);
    void WriteCleanPiece(CFile& output, const SByteSpan& span, IShredProgress* pProgress);
    bool IsConstantBitrate() const;

    uint32_t m_dwHeader = 0;
    std::array<unsigned char, 128> m_tag{};
    uint64_t m_nAudioStart = 0;
    bool m_bInfoFrame = false;
    double m_dAverageBytesPerSec = 0.0; // 0 when no information frame gives it
    uint64_t m_nFirstFrame = 0;
    uint32_t m_nSampleRate = 0;
    std::unique_ptr<CMp3FrameIndex> m_pIndex;
    std::optional<mp3::CInfoFrame> m_sourceInfo;
    // The source's leading ID3v2 tag, read when an exact piece first needs it.
    std::optional<std::vector<unsigned char>> m_sourceId3v2;
    uint32_t m_dwFirstHeader = 0;
    // Frames of clean pieces that reached further back than the piece
    // carries and were made silent.
    uint64_t m_nSilencedFrames = 0;
};
