#include "audio/WaveFile.h"

#include "audio/AudioUi.h"
#include "audio/WaveInfo.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned kTagSearchReach = 1000;
// A 32-bit size field that says the real size is elsewhere or unknown.
constexpr uint32_t kSizeUnknown = 0xFFFFFFFF;

bool IsWaveStart(const char* pTag)
{
    return std::strcmp(pTag, "RIFF") == 0 || std::strcmp(pTag, "RF64") == 0 || std::strcmp(pTag, "BW64") == 0;
}

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
        m_dDuration = static_cast<double>(m_nDataBytes) / m_fmt.avgBytesPerSec;
}

CWaveFile::~CWaveFile() = default;

bool CWaveFile::FindChunk(const char* pTag, bool bFromCurrent)
{
    if (IsWaveStart(pTag))
        return ScanForTag(pTag, bFromCurrent);
    const SChunkEntry* pEntry = FindListed(pTag, bFromCurrent ? m_file.GetPosition() : 0);
    if (!pEntry)
        return false;
    m_file.Seek(static_cast<int64_t>(pEntry->nPos), CFile::EFrom::Begin);
    return true;
}

const CWaveFile::SChunkEntry* CWaveFile::FindListed(const char* pTag, uint64_t nFrom) const
{
    for (const SChunkEntry& entry : m_chunks)
        if (entry.nPos >= nFrom && IsFourCC(entry.id, pTag))
            return &entry;
    return nullptr;
}

// Byte-by-byte search within the first 1000 bytes, read at once. After a
// mismatch the differing byte is not tried again as the tag's first character.
bool CWaveFile::ScanForTag(const char* pTag, bool bFromCurrent)
{
    const uint64_t nRemembered = m_file.GetPosition();
    if (!bFromCurrent)
        m_file.Seek(0, CFile::EFrom::Begin);
    const uint64_t nFrom = m_file.GetPosition();
    unsigned char reach[kTagSearchReach];
    const uint32_t nRead = m_file.Read(reach, kTagSearchReach);
    unsigned nMatched = 0;
    for (uint32_t i = 0; i < nRead; ++i) {
        if (reach[i] != static_cast<unsigned char>(pTag[nMatched])) {
            nMatched = 0;
        } else if (++nMatched == 4) {
            m_file.Seek(static_cast<int64_t>(nFrom + i - 3), CFile::EFrom::Begin);
            return true;
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

bool CWaveFile::LooksLikeChunk(uint64_t nPos)
{
    if (!LooksLikeChunkId(nPos))
        return false;
    unsigned char raw[4];
    const uint64_t nLength = m_file.GetLength();
    return m_file.Read(raw, 4) == 4 && nPos + CChunkHeader::kBytes + ReadU32LE(raw) <= nLength;
}

// Walks chunk headers: id, size, contents, and a pad byte after an odd size.
// Some writers leave the pad byte out; when the byte after an odd chunk does
// not start a plausible chunk id but the byte before it does, the walk follows
// the unpadded spelling. The data chunk is passed by its audio bytes, whatever
// its size field says.
void CWaveFile::WalkChunks()
{
    const uint64_t nLength = m_file.GetLength();
    uint64_t nPos = m_nRiffStart + CRiffHeader::kBytes;
    for (unsigned n = 0; n < kMaxChunks && nPos <= nLength && nLength - nPos >= CChunkHeader::kBytes; ++n) {
        unsigned char raw[CChunkHeader::kBytes];
        m_file.Seek(static_cast<int64_t>(nPos), CFile::EFrom::Begin);
        if (m_file.Read(raw, sizeof raw) != sizeof raw)
            break;
        const CChunkHeader header = CChunkHeader::FromBytes(raw);
        m_chunks.push_back({header.id, nPos});
        if (IsFourCC(header.id, "ds64") && !IsFourCC(m_riff.id, "RIFF") && !m_bDs64 && !m_bDataFound) {
            m_file.Seek(static_cast<int64_t>(nPos), CFile::EFrom::Begin);
            ReadDs64Chunk();
        }
        if (IsFourCC(header.id, "data") && !m_bDataFound)
            ReadDataChunkAt(nPos);
        const uint64_t nSize = m_bDataFound && nPos == m_nDataHeaderPos ? m_nDataBytes : header.size;
        uint64_t nNext = nPos + CChunkHeader::kBytes + nSize;
        if ((nSize & 1) != 0 && !(LooksLikeChunkId(nNext) && !LooksLikeChunkId(nNext + 1)))
            ++nNext;
        nPos = nNext;
    }
}

// The file starts at the first "RIFF", or "RF64"/"BW64" for the 64-bit form,
// within the first 1000 bytes.
int32_t CWaveFile::ReadRiffHeader()
{
    uint64_t nFirst = UINT64_MAX;
    for (const char* pTag : {"RIFF", "RF64", "BW64"})
        if (FindChunk(pTag, false))
            nFirst = std::min(nFirst, m_file.GetPosition());
    if (nFirst == UINT64_MAX)
        return 1;
    m_file.Seek(static_cast<int64_t>(nFirst), CFile::EFrom::Begin);
    m_nRiffStart = nFirst;
    m_bRiffFound = true;
    unsigned char raw[CRiffHeader::kBytes] = {};
    m_file.Read(raw, sizeof raw);
    m_riff = CRiffHeader::FromBytes(raw);
    WalkChunks();
    return 0;
}

// The 64-bit sizes of an RF64 file. Without a ds64 chunk that holds them, its
// size fields are read as a RIFF file's.
void CWaveFile::ReadDs64Chunk()
{
    unsigned char raw[CDs64Record::kBytes] = {};
    const uint32_t nRead = m_file.Read(raw, sizeof raw);
    const CDs64Record ds64 = CDs64Record::FromBytes(raw);
    if (ds64.size < CDs64Record::kFieldBytes || nRead < CChunkHeader::kBytes + CDs64Record::kFieldBytes)
        return;
    m_ds64 = ds64;
    m_bDs64 = true;
}

// Reads the format fields. A chunk too short to hold them, or one whose rate,
// frame size or channel count is 0 (nothing could be timed, cut or played),
// counts as no format chunk.
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
        m_fmt.blockAlign == 0 || m_fmt.channels == 0)
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

// The data chunk was read while the chunks were walked.
int32_t CWaveFile::ReadDataChunk()
{
    return m_bDataFound ? 0 : 1;
}

// The data chunk. A size that claims more than the file holds (a cut-short
// recording) is taken at what is there. A streaming recorder leaves 0xFFFFFFFF,
// an interrupted one 0: in a data chunk that is the last, the audio then runs
// to the end of the file. The last means that no plausible chunk follows where
// the size says the audio ends.
void CWaveFile::ReadDataChunkAt(uint64_t nPos)
{
    m_nDataHeaderPos = nPos;
    m_file.Seek(static_cast<int64_t>(nPos), CFile::EFrom::Begin);
    unsigned char raw[CChunkHeader::kBytes];
    m_file.Read(raw, sizeof raw);
    m_dataHeader = CChunkHeader::FromBytes(raw);
    m_nDataStart = m_nDataHeaderPos + CChunkHeader::kBytes;
    const uint64_t nAvailable = m_file.GetLength() - m_nDataStart;
    const bool bSizeInDs64 = m_bDs64 && m_dataHeader.size == kSizeUnknown;
    const uint64_t nSize = bSizeInDs64 ? m_ds64.dataSize : m_dataHeader.size;
    const uint64_t nEnd = m_nDataStart + nSize;
    const bool bStreamed = !bSizeInDs64 && nSize == kSizeUnknown && nSize < nAvailable && !LooksLikeChunk(nEnd) &&
                           !LooksLikeChunk(nEnd + 1);
    const bool bInterrupted = nSize == 0 && nAvailable != 0 && !LooksLikeChunk(m_nDataStart);
    m_nDataBytes = bStreamed || bInterrupted ? nAvailable : std::min(nSize, nAvailable);
    m_bDataFound = true;
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

std::vector<unsigned char> CWaveFile::ReadWholeChunk(uint64_t nPos)
{
    unsigned char raw[CChunkHeader::kBytes];
    m_file.Seek(static_cast<int64_t>(nPos), CFile::EFrom::Begin);
    if (m_file.Read(raw, sizeof raw) != sizeof raw)
        return {};
    const uint32_t nSize = CChunkHeader::FromBytes(raw).size;
    const uint64_t nLength = m_file.GetLength();
    if (nSize > kMaxCarriedSize || nPos + CChunkHeader::kBytes > nLength ||
        nSize > nLength - nPos - CChunkHeader::kBytes)
        return {};
    std::vector<unsigned char> chunk(raw, raw + sizeof raw);
    chunk.resize(CChunkHeader::kBytes + nSize + nSize % 2);
    if (m_file.Read(chunk.data() + CChunkHeader::kBytes, nSize) != nSize)
        return {};
    return chunk;
}

uint64_t CWaveFile::OverlapBytes(int32_t nSeconds) const
{
    if (nSeconds <= 0)
        return 0;
    const uint64_t nBytes = uint64_t{m_fmt.avgBytesPerSec} * static_cast<uint64_t>(nSeconds);
    return nBytes - nBytes % m_fmt.blockAlign;
}

void CWaveFile::ShowFileInformation()
{
    CWaveInfoValues info;
    info.riff = m_riff;
    info.fmt = m_fmt;
    info.dataId = m_dataHeader.id;
    info.dataSize = m_nDataBytes;
    info.strFileName = GetFileName();
    info.riffSize = m_bDs64 && m_riff.size == kSizeUnknown ? m_ds64.riffSize : m_riff.size;
    m_ui.ShowWaveInformation(info);
}
