#include "audio/Mp3File.h"

#include "audio/AudioUi.h"
#include "platform/ByteOrder.h"
#include "audio/Mp3Header.h"
#include "audio/Mp3Info.h"

#include <algorithm>
#include <array>
#include <cstring>

CMp3File::CMp3File(std::string strPath, CWnd* pParentWnd, IAudioUi& ui)
    : CAudioFile(std::move(strPath), pParentWnd, ui)
{
    if (m_nError != kStatusOk)
        return;
    // Too short to hold a tag's worth of bytes, let alone two frames.
    if (m_file.GetLength() < kTagBytes) {
        m_nError = kStatusInvalidMp3;
        return;
    }
    ReadTag();
    m_nAudioStart = SkipId3v2Tags(m_file);
    if (RewindToFirstFrame() != kStatusOk)
        return;
    ReadInformationFrame();
    if (m_bInfoFrame && RewindToFirstFrame() != kStatusOk)
        return;
    m_dDuration = ComputeDuration();
    m_nFirstFrame = m_file.GetPosition();
    m_nSampleRate = GetSamplingRate();
    m_dwFirstHeader = m_dwHeader;
}

const CMp3FrameIndex& CMp3File::Index()
{
    if (!m_pIndex) {
        m_pIndex = std::make_unique<CMp3FrameIndex>();
        m_pIndex->Build(m_file, m_nFirstFrame, GetAudioEnd());
    }
    return *m_pIndex;
}

CMp3File::~CMp3File() = default;

void CMp3File::ReadTag()
{
    m_tag.fill(0);
    const uint64_t nLength = m_file.GetLength();
    if (nLength < kTagBytes)
        return;
    m_file.Seek(static_cast<int64_t>(nLength - kTagBytes), CFile::EFrom::Begin);
    m_file.Read(m_tag.data(), kTagBytes);
}

bool CMp3File::HasTag() const
{
    return std::memcmp(m_tag.data(), "TAG", 3) == 0;
}

uint64_t CMp3File::SkipId3v2Tags(CFile& file)
{
    const uint64_t nLength = file.GetLength();
    uint64_t nPos = 0;
    for (unsigned n = 0; n < kMaxId3v2Tags; ++n) {
        unsigned char raw[mp3::kId3v2HeaderBytes];
        file.Seek(static_cast<int64_t>(nPos), CFile::EFrom::Begin);
        if (file.Read(raw, sizeof raw) != sizeof raw)
            break;
        const uint64_t nTagBytes = mp3::Id3v2TagBytes(raw);
        if (nTagBytes == 0 || nTagBytes > nLength - nPos)
            break;
        nPos += nTagBytes;
    }
    return nPos;
}

// The file stands on the first frame. When that frame is an information frame
// the audio starts behind it, and its counts give the average rate.
void CMp3File::ReadInformationFrame()
{
    const uint64_t nFramePos = m_file.GetPosition();
    const uint32_t nFrameLength = GetFrameLength();
    unsigned char probe[mp3::kInfoFrameProbe] = {};
    const uint32_t nRead = m_file.Read(probe, std::min<uint32_t>(nFrameLength, sizeof probe));
    m_file.Seek(static_cast<int64_t>(nFramePos), CFile::EFrom::Begin);
    const auto info = mp3::ParseInfoFrame(m_dwHeader, probe, nRead);
    if (!info)
        return;
    m_sourceInfo = info;
    m_bInfoFrame = true;
    m_nAudioStart = nFramePos + nFrameLength;
    if (!info->frames)
        return;
    // The stated byte count covers the information frame; without a usable
    // one, the audio bytes present stand in for it.
    if (info->bytes && *info->bytes > nFrameLength)
        m_dAverageBytesPerSec = mp3::AverageBytesPerSecond(m_dwHeader, *info->frames, *info->bytes - nFrameLength);
    if (m_dAverageBytesPerSec == 0.0)
        m_dAverageBytesPerSec = mp3::AverageBytesPerSecond(m_dwHeader, *info->frames, GetDataLength());
}

// Reads the stretch it searches at once, then looks at it byte by byte; only
// a candidate header sends it back to the file, for the frame that follows.
bool CMp3File::FindFrame(unsigned nReach)
{
    const uint32_t dwAccepted = m_dwHeader;
    const uint64_t nStart = m_file.GetPosition();
    std::array<unsigned char, kCutReach + 3> stretch;
    nReach = std::min<unsigned>(nReach, kCutReach);
    const uint32_t nRead = m_file.Read(stretch.data(), nReach + 3);
    const uint32_t nExamined = std::min<uint32_t>(nRead, nReach);
    for (uint32_t i = 0; i < nExamined; ++i) {
        if (stretch[i] != 0xFF || nRead - i < 4)
            continue;
        m_dwHeader = ReadU32LE(&stretch[i]);
        if (!mp3::HasSync(m_dwHeader))
            continue;
        m_file.Seek(static_cast<int64_t>(nStart + i + 4), CFile::EFrom::Begin);
        if (CheckHeader()) {
            m_file.Seek(static_cast<int64_t>(nStart + i), CFile::EFrom::Begin);
            return true;
        }
    }
    m_file.Seek(static_cast<int64_t>(nStart + nExamined), CFile::EFrom::Begin);
    m_dwHeader = dwAccepted;
    return false;
}

bool CMp3File::CheckHeader()
{
    if (!mp3::IsUsableHeader(m_dwHeader))
        return false;
    const uint32_t nLength = GetFrameLength();
    if (nLength < 4)
        return false;
    const uint64_t nBack = m_file.GetPosition();
    m_file.Seek(nLength - 4, CFile::EFrom::Current);
    unsigned char raw[4];
    const bool bFollowed = m_file.Read(raw, 4) == 4 && mp3::IsPlausibleNextHeader(ReadU32LE(raw));
    m_file.Seek(static_cast<int64_t>(nBack), CFile::EFrom::Begin);
    return bFollowed;
}

bool CMp3File::FindAudioFrame(unsigned nReach)
{
    const uint32_t dwAccepted = m_dwHeader;
    if (m_file.GetPosition() >= GetAudioEnd())
        return false;
    if (!FindFrame(nReach))
        return false;
    if (m_file.GetPosition() < GetAudioEnd())
        return true;
    m_dwHeader = dwAccepted;
    return false;
}

uint32_t CMp3File::GetBitrate() const
{
    return mp3::Bitrate(m_dwHeader);
}

uint32_t CMp3File::GetSamplingRate() const
{
    return mp3::SamplingRate(m_dwHeader);
}

uint32_t CMp3File::GetFrameLength() const
{
    return mp3::FrameLength(m_dwHeader);
}

double CMp3File::GetBytesPerSecond() const
{
    return mp3::BytesPerSecond(m_dAverageBytesPerSec, GetBitrate());
}

// At the average rate the audio bytes present give the time; otherwise every
// byte from the audio start counts at the header's bitrate.
double CMp3File::ComputeDuration() const
{
    if (m_dAverageBytesPerSec > 0.0)
        return static_cast<double>(GetDataLength()) / m_dAverageBytesPerSec;
    const uint64_t nLength = m_file.GetLength();
    const uint32_t nBitrate = GetBitrate();
    if (nBitrate == 0 || nLength < m_nAudioStart)
        return 0.0;
    return static_cast<double>(nLength - m_nAudioStart) / (nBitrate * 0.125);
}

uint64_t CMp3File::GetAudioEnd() const
{
    const uint64_t nLength = m_file.GetLength();
    return HasTag() && nLength >= kTagBytes ? nLength - kTagBytes : nLength;
}

uint64_t CMp3File::GetDataLength() const
{
    const uint64_t nEnd = GetAudioEnd();
    return nEnd > m_nAudioStart ? nEnd - m_nAudioStart : 0;
}

uint64_t CMp3File::BytesLeftInAudio() const
{
    const uint64_t nEnd = GetAudioEnd();
    const uint64_t nPos = m_file.GetPosition();
    return nPos < nEnd ? nEnd - nPos : 0;
}

int32_t CMp3File::RewindToFirstFrame()
{
    m_file.Seek(static_cast<int64_t>(m_nAudioStart), CFile::EFrom::Begin);
    if (!FindAudioFrame(kFirstFrameReach))
        m_nError = kStatusInvalidMp3;
    return m_nError;
}

void CMp3File::ShowFileInformation()
{
    CMp3InfoValues info;
    info.nBitrate = GetBitrate();
    info.nFileLength = m_file.GetLength();
    info.nSamplingRate = GetSamplingRate();
    info.nVersion = mp3::Version(m_dwHeader);
    info.nLayer = mp3::Layer(m_dwHeader);
    info.bCopyright = mp3::Copyright(m_dwHeader);
    info.bOriginal = mp3::Original(m_dwHeader);
    info.nFrameLength = GetFrameLength();
    info.dDuration = m_dDuration;
    info.tag = m_tag;
    info.strFileName = GetFileName();
    m_ui.ShowMp3Information(info);
}
