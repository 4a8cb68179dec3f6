#include "audio/Mp3FrameIndex.h"

#include "audio/Mp3Header.h"
#include "platform/ByteOrder.h"
#include "platform/File.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace {

constexpr uint16_t kLengthMask = 0x0FFF;
constexpr unsigned kSamplesShift = 12;
constexpr uint16_t kSkippedBit = 0x8000;
// Samples a frame holds, by the code kept in its entry.
constexpr std::array<uint32_t, 4> kSampleCodes{384, 576, 1152, 0};
static_assert(mp3::kLongestFrameLength <= kLengthMask, "a frame's length must fit its entry");

uint16_t SampleCode(uint32_t nSamples)
{
    return nSamples == 384 ? 0 : nSamples == 576 ? 1 : 2;
}

// The frame length of a header a frame may start with, else 0.
uint32_t UsableLength(uint32_t dw)
{
    if (!mp3::IsUsableHeader(dw))
        return 0;
    const uint32_t nLength = mp3::FrameLength(dw);
    return nLength >= 4 ? nLength : 0;
}

// A stretch of the file held in memory and refilled a block at a time, so
// that the walk reads headers where they stand instead of asking the file for
// four bytes at a time. Never holds more than the audio's own length.
class CBlockWindow {
public:
    CBlockWindow(CFile& file, uint64_t nStart, uint64_t nEnd)
        : m_file(file), m_nEnd(nEnd), m_nStart(nStart),
          m_vBuf(static_cast<size_t>(std::min<uint64_t>(CMp3FrameIndex::kBlockBytes, nEnd - nStart)))
    {
    }

    // The bytes from nPos on (nPos at most End()): at least nWant unless the
    // audio ends first; nHave says how many are held.
    const unsigned char* At(uint64_t nPos, size_t nWant, size_t& nHave)
    {
        const uint64_t nHeld = m_nStart + m_nFill;
        if (nPos < m_nStart || nPos > nHeld || (nHeld - nPos < nWant && nHeld < m_nEnd))
            Refill(nPos);
        const auto nAt = static_cast<size_t>(nPos - m_nStart);
        nHave = m_nFill - nAt;
        return m_vBuf.data() + nAt;
    }

    bool HoldsTheEnd() const { return m_nStart + m_nFill == m_nEnd; }
    // The end of the audio; earlier than asked when the file ended first.
    uint64_t End() const { return m_nEnd; }

private:
    // Starts the window at nPos, keeping what it already holds from there.
    void Refill(uint64_t nPos)
    {
        const uint64_t nHeld = m_nStart + m_nFill;
        size_t nKeep = 0;
        if (nPos >= m_nStart && nPos < nHeld) {
            nKeep = static_cast<size_t>(nHeld - nPos);
            std::memmove(m_vBuf.data(), m_vBuf.data() + (nPos - m_nStart), nKeep);
        }
        m_nStart = nPos;
        m_nFill = nKeep;
        m_file.Seek(static_cast<int64_t>(nPos + nKeep), CFile::EFrom::Begin);
        while (m_nFill < m_vBuf.size() && m_nStart + m_nFill < m_nEnd) {
            const auto nAsk =
                static_cast<uint32_t>(std::min<uint64_t>(m_vBuf.size() - m_nFill, m_nEnd - (m_nStart + m_nFill)));
            const uint32_t nRead = m_file.Read(m_vBuf.data() + m_nFill, nAsk);
            if (nRead == 0) {
                m_nEnd = m_nStart + m_nFill;
                break;
            }
            m_nFill += nRead;
        }
    }

    CFile& m_file;
    uint64_t m_nEnd;
    uint64_t m_nStart;
    size_t m_nFill = 0;
    std::vector<unsigned char> m_vBuf;
};

// A header found after damaged bytes is taken only when a plausible header
// follows it one frame later, or when its frame ends exactly at the end of
// the audio. nHeld counts the bytes from p on; bToEnd says they reach the end.
bool IsConfirmedHeader(const unsigned char* p, size_t nHeld, bool bToEnd)
{
    const uint32_t nLength = UsableLength(ReadU32LE(p));
    if (nLength == 0 || nLength > nHeld)
        return false;
    if (nLength == nHeld)
        return bToEnd;
    return nHeld - nLength >= 4 && mp3::IsPlausibleNextHeader(ReadU32LE(p + nLength));
}

// Searches byte by byte from nPos for a confirmed header.
std::optional<uint64_t> FindConfirmedHeader(CBlockWindow& window, uint64_t nPos)
{
    // A candidate is examined once the header after its longest frame is held.
    constexpr size_t kReach = mp3::kLongestFrameLength + 4;
    while (window.End() - nPos >= 4) {
        size_t nHave = 0;
        const unsigned char* p = window.At(nPos, kReach, nHave);
        const bool bToEnd = window.HoldsTheEnd();
        if (nHave < 4)
            return std::nullopt;
        const size_t nCandidates = bToEnd ? nHave - 3 : nHave - kReach + 1;
        for (size_t i = 0; i < nCandidates; ++i) {
            const void* pFound = std::memchr(p + i, 0xFF, nCandidates - i);
            if (!pFound)
                break;
            i = static_cast<size_t>(static_cast<const unsigned char*>(pFound) - p);
            if (IsConfirmedHeader(p + i, nHave - i, bToEnd))
                return nPos + i;
        }
        nPos += nCandidates;
    }
    return std::nullopt;
}

} // namespace

bool CMp3FrameIndex::Build(CFile& file, uint64_t nFirstFrame, uint64_t nAudioEnd)
{
    Clear();
    const uint64_t nBack = file.GetPosition();
    nAudioEnd = std::min(nAudioEnd, file.GetLength());
    try {
        if (nFirstFrame < nAudioEnd)
            Walk(file, nFirstFrame, nAudioEnd);
    } catch (...) {
        Clear();
        file.Seek(static_cast<int64_t>(nBack), CFile::EFrom::Begin);
        throw;
    }
    file.Seek(static_cast<int64_t>(nBack), CFile::EFrom::Begin);
    m_vFrames.shrink_to_fit();
    m_vSkipped.shrink_to_fit();
    m_vCheckpoints.shrink_to_fit();
    return !m_vFrames.empty();
}

void CMp3FrameIndex::Clear()
{
    *this = CMp3FrameIndex();
}

// Frame follows frame while each header is usable; anything else starts a
// search, and the bytes it passes over belong to no frame. A frame that would
// run past the end of the audio ends the walk.
void CMp3FrameIndex::Walk(CFile& file, uint64_t nFirstFrame, uint64_t nAudioEnd)
{
    CBlockWindow window(file, nFirstFrame, nAudioEnd);
    uint64_t nPos = nFirstFrame;
    while (window.End() - nPos >= 4) {
        size_t nHave = 0;
        const unsigned char* p = window.At(nPos, 4, nHave);
        if (nHave < 4)
            break;
        const uint32_t dw = ReadU32LE(p);
        const uint32_t nLength = UsableLength(dw);
        if (nLength == 0) {
            const auto found = FindConfirmedHeader(window, nPos + 1);
            if (!found)
                break;
            nPos = *found;
            continue;
        }
        if (nLength > window.End() - nPos)
            break;
        Append(nPos, dw, nLength);
        nPos += nLength;
    }
}

void CMp3FrameIndex::Append(uint64_t nOffset, uint32_t dw, uint32_t nLength)
{
    const uint32_t nSamples = mp3::SamplesPerFrame(dw);
    auto nEntry = static_cast<uint16_t>(nLength | SampleCode(nSamples) << kSamplesShift);
    if (m_vFrames.empty()) {
        m_nSampleRate = mp3::SamplingRate(dw);
    } else {
        m_bMixedSizes = m_bMixedSizes || ((m_vFrames.front() ^ nEntry) >> kSamplesShift & 3) != 0;
        if (nOffset != m_end.nOffset) {
            nEntry |= kSkippedBit;
            m_vSkipped.push_back(nOffset - m_end.nOffset);
        }
    }
    if (m_vFrames.size() % kStride == 0)
        m_vCheckpoints.push_back({nOffset, m_end.nSample, m_vSkipped.size()});
    m_vFrames.push_back(nEntry);
    m_end = {nOffset + nLength, m_end.nSample + nSamples};
}

uint64_t CMp3FrameIndex::GetFrameCount() const
{
    return m_vFrames.size();
}

uint64_t CMp3FrameIndex::GetTotalSamples() const
{
    return m_end.nSample;
}

uint32_t CMp3FrameIndex::GetSampleRate() const
{
    return m_nSampleRate;
}

CMp3FrameIndex::SCursor CMp3FrameIndex::CheckpointCursor(size_t nCheckpoint) const
{
    const SCheckpoint& cp = m_vCheckpoints[nCheckpoint];
    return {{cp.nOffset, cp.nSample}, nCheckpoint * kStride, cp.nSkipped};
}

void CMp3FrameIndex::Advance(SCursor& cursor) const
{
    const uint16_t nEntry = m_vFrames[cursor.nFrame];
    cursor.at.nOffset += nEntry & kLengthMask;
    cursor.at.nSample += kSampleCodes[(nEntry >> kSamplesShift) & 3];
    ++cursor.nFrame;
    if (cursor.nFrame < m_vFrames.size() && (m_vFrames[cursor.nFrame] & kSkippedBit) != 0)
        cursor.at.nOffset += m_vSkipped[cursor.nSkipped++];
}

CMp3FrameIndex::SBoundary CMp3FrameIndex::FrameAt(uint64_t k) const
{
    if (k >= m_vFrames.size())
        return m_end;
    SCursor cursor = CheckpointCursor(static_cast<size_t>(k / kStride));
    while (cursor.nFrame < k)
        Advance(cursor);
    return cursor.at;
}

CMp3FrameIndex::SBoundary CMp3FrameIndex::Nearest(uint64_t nSample) const
{
    if (nSample >= m_end.nSample)
        return m_end;
    // The last checkpoint at or before nSample; the first one is at sample 0.
    const auto it = std::ranges::upper_bound(m_vCheckpoints, nSample, {}, &SCheckpoint::nSample);
    SCursor before = CheckpointCursor(static_cast<size_t>(it - m_vCheckpoints.begin()) - 1);
    SCursor after = before;
    Advance(after);
    while (after.at.nSample <= nSample) {
        before = after;
        Advance(after);
    }
    return nSample - before.at.nSample <= after.at.nSample - nSample ? before.at : after.at;
}

size_t CMp3FrameIndex::GetMemoryBytes() const
{
    return m_vFrames.capacity() * sizeof(uint16_t) + m_vSkipped.capacity() * sizeof(uint64_t) +
           m_vCheckpoints.capacity() * sizeof(SCheckpoint);
}
