// The MP3 selection writer and equal split.
#include "audio/AudioUi.h"
#include "audio/Mp3File.h"
#include "audio/PieceTags.h"
#include "platform/ByteOrder.h"

#include <algorithm>

uint64_t CMp3File::SecondsToBytes(uint64_t nSeconds) const
{
    const double dBytes = GetBytesPerSecond() * static_cast<double>(nSeconds);
    return dBytes >= 18e18 ? UINT64_MAX : static_cast<uint64_t>(dBytes);
}

uint64_t CMp3File::ClampToFile(uint64_t nOffset, uint64_t nCount) const
{
    const uint64_t nDataLength = GetDataLength();
    return nOffset >= nDataLength ? 0 : std::min(nCount, nDataLength - nOffset);
}

void CMp3File::AppendTag(CFile& output) const
{
    if (HasTag())
        output.Write(m_tag.data(), kTagBytes);
}

int32_t CMp3File::SaveSelection(std::string strOutPath, int32_t nStart, int32_t nEnd, int32_t nSecsPerStep)
{
    // A reversed selection is put in order; 64-bit offsets cannot wrap.
    const auto nFirst = static_cast<uint64_t>(std::max(0, std::min(nStart, nEnd)));
    const auto nLast = static_cast<uint64_t>(std::max(0, std::max(nStart, nEnd)));
    const auto nSecs = static_cast<uint64_t>(std::max(0, nSecsPerStep));
    const uint64_t nOffset = SecondsToBytes(nFirst * nSecs);
    const uint64_t nCount = SecondsToBytes((nLast - nFirst) * nSecs);

    // The copy begins on the first frame at or after the start offset (or where
    // a fruitless search stopped) and never runs into the ID3v1 tag. A
    // selection without one whole frame in it (one that starts at or past the
    // end of the audio) is refused: it would be a file with no audio.
    uint64_t nCopy = 0;
    if (nOffset < GetDataLength()) {
        m_file.Seek(static_cast<int64_t>(m_nAudioStart + nOffset), CFile::EFrom::Begin);
        FindAudioFrame(kCutReach);
        nCopy = std::min(nCount, BytesLeftInAudio());
    }
    const uint64_t nHere = m_file.GetPosition();
    if (const int32_t nStatus = WriteSelection(strOutPath, {nHere, nHere, nHere + nCopy, 0}); nStatus != kStatusOk)
        return CallerStatus(nStatus);

    const double dBytesPerSecond = GetBytesPerSecond();
    const double dSeconds =
        dBytesPerSecond > 0.0 ? static_cast<double>(ClampToFile(nOffset, nCount)) / dBytesPerSecond : 0.0;
    return ReportSelectionSaved(dSeconds);
}

int32_t CMp3File::ShredEqually()
{
    RewindToFirstFrame();
    CMp3ShredArgs args;
    args.strSourceName = GetFileName();
    args.strSourcePath = GetFilePath();
    args.nFileLength = m_file.GetLength() - m_nAudioStart;
    args.nBitrate = GetBitrate();
    args.dBytesPerSecond = GetBytesPerSecond();
    args.bNoTag = !HasTag();
    args.nOverlap = m_nOverlap;
    const CShredAnswer answer = m_ui.RunMp3ShredDialog(args);
    const uint32_t n = AcceptedFragmentCount(answer);
    if (n == 0)
        return kStatusOk;
    if (SnapsToPauses(answer))
        return WriteSnappedFragments(n, answer, ".mp3");
    if (m_bExactCuts)
        return WriteExactFragments(n, answer.strBaseName, ".mp3", answer.nOverlap);
    // Fragment i ends at the i-th of n equal cut points of the audio, the last
    // one at its end: a fragment starts on the first frame at or after the
    // previous one's end, and that shift must not add up from cut to cut.
    const uint64_t nFragmentSize = GetDataLength() / n;
    RewindToFirstFrame();
    std::vector<std::optional<SByteSpan>> spans;
    for (uint32_t i = 1; i <= n; ++i)
        spans.push_back(FragmentSpan(i == n ? GetAudioEnd() : m_nAudioStart + nFragmentSize * i, answer.nOverlap));
    return WriteSpans(FragmentPaths(n, answer.strBaseName, ".mp3"), spans, nFragmentSize);
}

// From the first frame at or after the source's position up to nEnd, led in
// by nOverlapSeconds; the source is left where the fragment ends, for the
// next one's search. Nothing when no frame is found before nEnd: the next
// fragment's search goes on from where this one stopped.
std::optional<CAudioFile::SByteSpan> CMp3File::FragmentSpan(uint64_t nEnd, int32_t nOverlapSeconds)
{
    if (!FindAudioFrame(kCutReach) || m_file.GetPosition() >= nEnd)
        return std::nullopt;
    const uint64_t nHere = m_file.GetPosition();
    const uint64_t nTo = nHere + std::min(nEnd - nHere, BytesLeftInAudio());
    const uint64_t nLeadFrom = nOverlapSeconds > 0 ? LeadInFrom(nHere, static_cast<uint64_t>(nOverlapSeconds)) : nHere;
    m_file.Seek(static_cast<int64_t>(nTo), CFile::EFrom::Begin);
    return SByteSpan{nLeadFrom, nHere, nTo, 0};
}

// The lead-in ends exactly at P, so no byte of the piece comes twice. When
// P lies closer to the audio start than the overlap, the lead-in starts there.
uint64_t CMp3File::LeadInFrom(uint64_t nHere, uint64_t nSeconds)
{
    const uint64_t nBytes = SecondsToBytes(nSeconds);
    const uint64_t nBefore = nHere > m_nAudioStart ? nHere - m_nAudioStart : 0;
    const uint64_t nFrom = nBefore >= nBytes ? nHere - nBytes : nHere - nBefore;
    m_file.Seek(static_cast<int64_t>(nFrom), CFile::EFrom::Begin);
    const bool bFound = FindFrame(kCutReach) && m_file.GetPosition() < nHere;
    const uint64_t nLeadFrom = bFound ? m_file.GetPosition() : nHere;
    m_file.Seek(static_cast<int64_t>(nHere), CFile::EFrom::Begin);
    return nLeadFrom;
}

uint64_t CMp3File::LocateSecond(uint64_t nSeconds)
{
    const uint64_t nOffset = SecondsToBytes(nSeconds);
    if (nOffset >= GetDataLength())
        return GetAudioEnd();
    m_file.Seek(static_cast<int64_t>(m_nAudioStart + nOffset), CFile::EFrom::Begin);
    FindAudioFrame(kCutReach);
    return std::min(m_file.GetPosition(), GetAudioEnd());
}

CAudioFile::SByteSpan CMp3File::LocatePiece(const CPiece& piece, ECutRule rule)
{
    const uint64_t nLeadFrame = piece.nFrom > piece.nLeadIn ? piece.nFrom - piece.nLeadIn : 0;
    if (rule == ECutRule::Exact && CutsClean()) {
        const std::optional<SCleanLayout> layout = LayOutCleanPiece(piece);
        if (!layout)
            return {};
        const CMp3FrameIndex& index = Index();
        return {index.FrameAt(layout->nFirstFrame).nOffset, index.FrameAt(layout->nOwnFrame).nOffset,
                index.FrameAt(layout->nEndFrame).nOffset, layout->nSamples};
    }
    if (rule == ECutRule::Exact) {
        const CMp3FrameIndex& index = Index();
        const CMp3FrameIndex::SBoundary from = index.Nearest(piece.nFrom);
        const CMp3FrameIndex::SBoundary to = index.Nearest(std::max(piece.nFrom, piece.nTo));
        const uint64_t nLeadFrom = piece.nLeadIn == 0 ? from.nOffset : index.Nearest(nLeadFrame).nOffset;
        return {nLeadFrom, from.nOffset, std::max(from.nOffset, to.nOffset), to.nSample - std::min(to.nSample, from.nSample)};
    }
    const uint64_t nRate = std::max<uint32_t>(m_nSampleRate, 1);
    const uint64_t nTotal = GetTotalFrames();
    const uint64_t nFrom = piece.nFrom >= nTotal ? GetAudioEnd() : LocateSecond(piece.nFrom / nRate);
    const uint64_t nTo = piece.nTo >= nTotal ? GetAudioEnd() : LocateSecond(piece.nTo / nRate);
    const uint64_t nLeadFrom = piece.nLeadIn == 0 ? nFrom : LeadInFrom(nFrom, piece.nLeadIn / nRate);
    const uint64_t nBytes = std::max(nFrom, nTo) - nFrom;
    const double dBytesPerSecond = GetBytesPerSecond();
    const auto nFrames =
        dBytesPerSecond > 0.0 ? static_cast<uint64_t>(static_cast<double>(nBytes) / dBytesPerSecond * nRate) : 0;
    return {nLeadFrom, nFrom, std::max(nFrom, nTo), nFrames};
}

// At least one frame's worth of bytes: of the frame the piece starts on, or
// where it starts in a damaged stretch, of the last frame found.
bool CMp3File::HoldsAudio(const SByteSpan& span)
{
    if (span.nTo <= span.nFrom)
        return false;
    unsigned char raw[4];
    m_file.Seek(static_cast<int64_t>(span.nFrom), CFile::EFrom::Begin);
    uint32_t dwHeader = m_file.Read(raw, 4) == 4 ? ReadU32LE(raw) : 0;
    if (!mp3::HasSync(dwHeader) || !mp3::IsUsableHeader(dwHeader))
        dwHeader = m_dwHeader;
    return mp3::FrameLength(dwHeader) <= span.nTo - span.nFrom;
}

// An exact piece carries the source's tags, with its own title, performer,
// album and track: the ID3v2 tag before its frames, the ID3v1 tag after.
void CMp3File::WritePiece(CFile& output, const SByteSpan& span, IShredProgress* pProgress)
{
    if (span.pPiece) {
        if (!m_sourceId3v2)
            m_sourceId3v2 = ReadLeadingId3v2(m_file, m_nAudioStart);
        const std::vector<unsigned char> id3v2 = RenderPieceId3v2(*m_sourceId3v2, span.pPiece->tags);
        output.Write(id3v2.data(), static_cast<uint32_t>(id3v2.size()));
        if (CutsClean()) {
            WriteCleanPiece(output, span, pProgress);
        } else {
            m_file.Seek(static_cast<int64_t>(span.nLeadFrom), CFile::EFrom::Begin);
            CopyAll(output, span.nFrom - span.nLeadFrom, nullptr);
            CopyAll(output, span.nTo - span.nFrom, pProgress);
        }
        if (HasTag()) {
            std::array<unsigned char, kTagBytes> tag = m_tag;
            SetId3v1Track(tag, span.pPiece->tags.nTrack);
            output.Write(tag.data(), kTagBytes);
        }
        return;
    }
    m_file.Seek(static_cast<int64_t>(span.nLeadFrom), CFile::EFrom::Begin);
    CopyAll(output, span.nFrom - span.nLeadFrom, nullptr);
    CopyAll(output, span.nTo - span.nFrom, pProgress);
    AppendTag(output);
}
