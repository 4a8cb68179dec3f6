#include "audio/WaveFile.h"

#include "audio/AudioUi.h"
#include "audio/WaveInfo.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned kTagSearchReach = 1000;

} // namespace

CWaveFile::CWaveFile(std::string strPath, CWnd* pParentWnd, IAudioUi& ui)
    : CAudioFile(std::move(strPath), pParentWnd, ui)
{
    if (m_nError != kStatusOk)
        return;

    if (ReadRiffHeader() != 0)
        m_nError = kStatusNoRiff;
    else if (ReadFormatChunk() != 0)
        m_nError = kStatusNoFormat;
    else if (ReadDataChunk() != 0)
        m_nError = kStatusNoData;
    ReadFactChunk();

    if (m_nError == kStatusOk)
        m_dDuration = static_cast<double>(m_dataHeader.size) / m_fmt.avgBytesPerSec;
}

CWaveFile::~CWaveFile() = default;

bool CWaveFile::FindChunk(const char* pTag, bool bFromCurrent)
{
    if (std::strcmp(pTag, "RIFF") == 0)
        return ScanForTag(pTag, bFromCurrent);
    if (!m_bRiffFound)
        return false;
    return WalkToChunk(pTag, bFromCurrent ? m_file.GetPosition() : m_nRiffStart + CRiffHeader::kBytes);
}

// Byte-by-byte search within the first 1000 bytes. After a mismatch the
// differing byte is not tried again as the tag's first character.
bool CWaveFile::ScanForTag(const char* pTag, bool bFromCurrent)
{
    const uint64_t nRemembered = m_file.GetPosition();
    if (!bFromCurrent)
        m_file.Seek(0, CFile::EFrom::Begin);
    unsigned char byte = 0;
    unsigned nMatched = 0;
    unsigned nCompared = 0;
    if (m_file.Read(&byte, 1) == 1) {
        while (nCompared < kTagSearchReach) {
            ++nCompared;
            if (byte == static_cast<unsigned char>(pTag[nMatched])) {
                if (++nMatched == 4) {
                    m_file.Seek(-4, CFile::EFrom::Current);
                    return true;
                }
            } else {
                nMatched = 0;
            }
            if (m_file.Read(&byte, 1) != 1)
                break;
        }
    }
    m_file.Seek(static_cast<int64_t>(nRemembered), CFile::EFrom::Begin);
    return false;
}

bool CWaveFile::LooksLikeChunkId(uint64_t nPos)
{
    unsigned char id[4];
    m_file.Seek(static_cast<int64_t>(nPos), CFile::EFrom::Begin);
    if (m_file.Read(id, 4) != 4)
        return false;
    return std::all_of(id, id + 4, [](unsigned char c) { return c >= 0x20 && c < 0x7F; });
}

// Walks chunk headers from nFrom: id, size, contents, and a pad byte after an
// odd size. Some writers leave the pad byte out; when the byte after an odd
// chunk does not start a plausible chunk id but the byte before it does, the
// walk follows the unpadded spelling.
bool CWaveFile::WalkToChunk(const char* pTag, uint64_t nFrom)
{
    const uint64_t nRemembered = m_file.GetPosition();
    const uint64_t nLength = m_file.GetLength();
    uint64_t nPos = nFrom;
    for (unsigned n = 0; n < kMaxChunks && nPos <= nLength && nLength - nPos >= CChunkHeader::kBytes; ++n) {
        unsigned char raw[CChunkHeader::kBytes];
        m_file.Seek(static_cast<int64_t>(nPos), CFile::EFrom::Begin);
        if (m_file.Read(raw, sizeof raw) != sizeof raw)
            break;
        const CChunkHeader header = CChunkHeader::FromBytes(raw);
        if (IsFourCC(header.id, pTag)) {
            m_file.Seek(static_cast<int64_t>(nPos), CFile::EFrom::Begin);
            return true;
        }
        uint64_t nNext = nPos + CChunkHeader::kBytes + header.size;
        if ((header.size & 1) != 0 && !(LooksLikeChunkId(nNext) && !LooksLikeChunkId(nNext + 1)))
            ++nNext;
        nPos = nNext;
    }
    m_file.Seek(static_cast<int64_t>(nRemembered), CFile::EFrom::Begin);
    return false;
}

int32_t CWaveFile::ReadRiffHeader()
{
    if (!FindChunk("RIFF", false))
        return 1;
    m_nRiffStart = m_file.GetPosition();
    m_bRiffFound = true;
    unsigned char raw[CRiffHeader::kBytes] = {};
    m_file.Read(raw, sizeof raw);
    m_riff = CRiffHeader::FromBytes(raw);
    return 0;
}

// Reads the format fields. A chunk too short to hold them, or one whose rate
// or frame size is 0 (nothing could be timed or cut), counts as no format chunk.
// extraSize exists only in chunks of 18 bytes or more and only for formats
// other than PCM; what it claims is bounded by the chunk.
int32_t CWaveFile::ReadFormatChunk()
{
    if (!FindChunk("fmt ", false))
        return 1;
    unsigned char raw[CFormatRecord::kBytes] = {};
    const uint32_t nRead = m_file.Read(raw, sizeof raw);
    m_fmt = CFormatRecord::FromBytes(raw);
    constexpr uint32_t kPcmFields = 16;
    if (nRead < CChunkHeader::kBytes + kPcmFields || m_fmt.size < kPcmFields || m_fmt.avgBytesPerSec == 0 ||
        m_fmt.blockAlign == 0)
        return 1;

    constexpr uint32_t kWithExtraSize = kPcmFields + 2;
    if (m_fmt.formatTag == 1 || m_fmt.size < kWithExtraSize || nRead < CFormatRecord::kBytes)
        m_fmt.extraSize = 0;
    else
        m_fmt.extraSize = static_cast<uint16_t>(std::min<uint32_t>(m_fmt.extraSize, m_fmt.size - kWithExtraSize));
    if (m_fmt.extraSize != 0) {
        m_pFormatExtra.reset(new unsigned char[m_fmt.extraSize]());
        m_fmt.extraSize = static_cast<uint16_t>(m_file.Read(m_pFormatExtra.get(), m_fmt.extraSize));
        if (m_fmt.extraSize == 0)
            m_pFormatExtra.reset();
    }
    return 0;
}

// The data chunk. A size that claims more than the file holds (a cut-short
// recording, or 0xFFFFFFFF from a streaming writer) is taken at what is there.
int32_t CWaveFile::ReadDataChunk()
{
    if (!FindChunk("data", false))
        return 1;
    const uint64_t nHeaderPos = m_file.GetPosition();
    if (nHeaderPos + CChunkHeader::kBytes > UINT32_MAX)
        return 1;
    unsigned char raw[CChunkHeader::kBytes];
    m_file.Read(raw, sizeof raw);
    m_dataHeader = CChunkHeader::FromBytes(raw);
    m_dwDataStart = static_cast<uint32_t>(nHeaderPos + CChunkHeader::kBytes);
    const uint64_t nAvailable = m_file.GetLength() - m_dwDataStart;
    if (m_dataHeader.size > nAvailable)
        m_dataHeader.size = static_cast<uint32_t>(nAvailable);
    return 0;
}

// The fact chunk is optional. One whose contents run past the end of the file,
// or that is implausibly large, is treated as absent.
int32_t CWaveFile::ReadFactChunk()
{
    m_factHeader = CChunkHeader{};
    m_pFactData.reset();
    if (!FindChunk("fact", false))
        return 1;
    unsigned char raw[CChunkHeader::kBytes];
    m_file.Read(raw, sizeof raw);
    const CChunkHeader header = CChunkHeader::FromBytes(raw);
    const uint64_t nAvailable = m_file.GetLength() - m_file.GetPosition();
    if (header.size > nAvailable || header.size > kMaxFactSize)
        return 1;
    m_factHeader = header;
    m_pFactData.reset(new unsigned char[header.size]);
    m_file.Read(m_pFactData.get(), header.size);
    return 0;
}

uint32_t CWaveFile::OverlapBytes(int32_t nSeconds) const
{
    if (nSeconds <= 0)
        return 0;
    const uint64_t nBytes = uint64_t{m_fmt.avgBytesPerSec} * static_cast<uint64_t>(nSeconds);
    const uint64_t nAligned = nBytes - nBytes % m_fmt.blockAlign;
    return static_cast<uint32_t>(std::min<uint64_t>(nAligned, UINT32_MAX - UINT32_MAX % m_fmt.blockAlign));
}

void CWaveFile::ShowFileInformation()
{
    CWaveInfoValues info;
    info.riff = m_riff;
    info.fmt = m_fmt;
    info.dataId = m_dataHeader.id;
    info.dataSize = m_dataHeader.size;
    info.strFileName = GetFileName();
    m_ui.ShowWaveInformation(info);
}
