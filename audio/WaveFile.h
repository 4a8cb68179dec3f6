#pragma once

#include "audio/AudioFile.h"
#include "audio/RiffRecords.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A WAV (RIFF/WAVE) file: its header chunks as read, the selection writer and
// the equal split. Audio bytes are never decoded; cuts fall on whole sample
// frames (multiples of blockAlign).
class CWaveFile : public CAudioFile {
public:
    CWaveFile(std::string strPath, CWnd* pParentWnd, IAudioUi& ui);
    ~CWaveFile() override;

    int32_t ShredEqually() override;
    int32_t SaveSelection(std::string strOutPath, int32_t nStart, int32_t nEnd, int32_t nSecsPerStep) override;
    void ShowFileInformation() override;
    std::string GetDefaultExt() const override { return "*.WAV"; }
    std::string GetFilter() const override { return "WAV files (*.wav)|*.wav|All files (*.*)|*.*||"; }

    // Finds a chunk and leaves the file on its first byte. "RIFF" (or "RF64",
    // "BW64") is searched byte by byte within the first 1000 bytes; every other
    // tag in the chunk list that follows the RIFF header, walked once at
    // opening, so bytes inside a chunk's contents are never taken for a tag.
    // From the current position: the first listed chunk at or after it.
    bool FindChunk(const char* pTag, bool bFromCurrent);

    const CFormatRecord& GetFormat() const { return m_fmt; }
    const CChunkHeader& GetFactHeader() const { return m_factHeader; }
    // The data chunk's header as it stands in the file.
    const CChunkHeader& GetDataHeader() const { return m_dataHeader; }
    uint64_t GetDataStart() const { return m_nDataStart; }
    // The audio bytes: the data chunk's size, from ds64 in an RF64 file, lowered
    // to what the file holds; to the end of the file when a streaming or
    // interrupted recorder left 0xFFFFFFFF or 0 in a data chunk that is the last.
    uint64_t GetDataBytes() const { return m_nDataBytes; }
    const unsigned char* GetFormatExtra() const { return m_pFormatExtra.get(); }
    const unsigned char* GetFactData() const { return m_pFactData.get(); }

    // The bytes of nSeconds of audio, rounded down to whole sample frames.
    uint64_t OverlapBytes(int32_t nSeconds) const;
    // The byte count of a selection starting nOffset bytes into the audio,
    // lowered to what the audio holds from there, in whole sample frames.
    uint64_t ClampToData(uint64_t nOffset, uint64_t nCount) const;
    // The sample count of nBytes of the audio: whole frames for PCM and float,
    // whole blocks times the samples per block for ADPCM and GSM, else the
    // source's fact count in proportion to the bytes.
    uint64_t SampleCount(uint64_t nBytes) const;

    uint32_t GetFrameRate() const override { return m_fmt.samplesPerSec; }
    uint64_t GetTotalFrames() override { return SampleCount(m_nDataBytes); }

    // Longest chunk list walked, and largest fact chunk kept, before giving up.
    static constexpr unsigned kMaxChunks = 4096;
    static constexpr uint32_t kMaxFactSize = 1u << 20;
    // Largest chunk an exactly cut piece carries from the source.
    static constexpr uint32_t kMaxCarriedSize = 1u << 20;

protected:
    SByteSpan LocatePiece(const CPiece& piece, ECutRule rule) override;
    bool HoldsAudio(const SByteSpan& span) override;
    void WritePiece(CFile& output, const SByteSpan& span, IShredProgress* pProgress) override;

    int32_t ReadRiffHeader();
    int32_t ReadFormatChunk();
    int32_t ReadFactChunk();
    int32_t ReadDataChunk();

    // Writes the header for nDataBytes bytes of audio: the RIFF header, format
    // chunk, extra format bytes and fact chunk (with the count of those bytes),
    // the carried chunks as they are given (whole chunks, pad bytes included),
    // then the data chunk header. RF64 with a ds64 chunk after the RIFF header
    // when the sizes do not fit the RIFF header's 32-bit fields.
    void WriteHeader(CFile& output, uint64_t nDataBytes, const std::vector<unsigned char>& carried = {}) const;
    // The chunks an exactly cut piece carries from the source, whole and
    // padded to an even size, in this order: the Broadcast Wave description
    // ("bext"), its time reference advanced by nFirstSample, the sample the
    // piece's first written audio (its lead-in's) has in the source; the
    // first LIST chunk of type INFO. A chunk whose contents run past the end
    // of the file, or larger than kMaxCarriedSize, is not carried; nor is a
    // bext chunk's time reference changed when the chunk is too short to
    // hold one.
    std::vector<unsigned char> CarriedChunks(uint64_t nFirstSample);
    // The pad byte that follows audio of an odd byte count.
    static void WritePadByte(CFile& output, uint64_t nDataBytes);

private:
    struct SChunkEntry;
    // The sample frames one block holds: 1 for PCM and float, the block's
    // count for ADPCM and GSM; 0 when the format does not say.
    uint32_t FramesPerBlock() const;
    // The byte offset, from the audio's first byte, of the block boundary
    // nearest sample frame nFrame (whole seconds: where a selection starting
    // at that second starts), within the audio.
    uint64_t LocateFrame(uint64_t nFrame, ECutRule rule) const;

    bool ScanForTag(const char* pTag, bool bFromCurrent);
    // Walks the chunk headers after the RIFF header once, into m_chunks; the
    // ds64 and data chunks are read as they are met, since the data chunk's
    // real size decides where the next chunk starts.
    void WalkChunks();
    // The first listed chunk with this id at or after nFrom.
    const SChunkEntry* FindListed(const char* pTag, uint64_t nFrom) const;
    void ReadDataChunkAt(uint64_t nPos);
    bool LooksLikeChunkId(uint64_t nPos);
    // A chunk id of printable characters at nPos whose contents fit in the file.
    bool LooksLikeChunk(uint64_t nPos);
    void ReadDs64Chunk();
    // The whole chunk whose header is at nPos, padded to an even size, when
    // its contents lie within the file and are no larger than
    // kMaxCarriedSize; otherwise none.
    std::vector<unsigned char> ReadWholeChunk(uint64_t nPos);

    struct SChunkEntry {
        FourCC id{};
        uint64_t nPos = 0; // of its header
    };
    std::vector<SChunkEntry> m_chunks;
    CRiffHeader m_riff;
    CFormatRecord m_fmt;
    CChunkHeader m_factHeader;
    CChunkHeader m_dataHeader;
    CDs64Record m_ds64;
    std::unique_ptr<unsigned char[]> m_pFactData;
    std::unique_ptr<unsigned char[]> m_pFormatExtra;
    uint64_t m_nDataHeaderPos = 0;
    uint64_t m_nDataStart = 0;
    uint64_t m_nDataBytes = 0;
    uint64_t m_nRiffStart = 0;
    bool m_bRiffFound = false;
    bool m_bDataFound = false;
    bool m_bDs64 = false;
};
