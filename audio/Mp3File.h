#pragma once

#include "audio/AudioFile.h"
#include "audio/Mp3FrameIndex.h"
#include "audio/Mp3Header.h"

#include <array>
#include <cstdint>
#include <memory>
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

    // Cut points count the samples of the stream at the first frame's rate.
    uint32_t GetFrameRate() const override { return m_nSampleRate; }
    uint64_t GetTotalFrames() override { return Index().GetTotalSamples(); }
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
    uint64_t SkipId3v2Tags();
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

    uint32_t m_dwHeader = 0;
    std::array<unsigned char, 128> m_tag{};
    uint64_t m_nAudioStart = 0;
    bool m_bInfoFrame = false;
    double m_dAverageBytesPerSec = 0.0; // 0 when no information frame gives it
    uint64_t m_nFirstFrame = 0;
    uint32_t m_nSampleRate = 0;
    std::unique_ptr<CMp3FrameIndex> m_pIndex;
};
