// Clean Layer III pieces: sample-exact and gapless, without re-encoding.
//
// A piece covers the samples [s, e) a gapless decoder plays of the source.
// The raw decoder output of frame k is the samples [k × spf, (k + 1) × spf);
// a gapless decoder plays raw sample r + skip as sample r, where skip is the
// encoder's delay plus the decoder's own. A raw sample comes out right once
// the decoder has decoded the granule before it (the overlap of the
// transform) and the 512 samples of its filter bank: a frame of warm-up
// before the frame holding it (two for the 576-sample frames of MPEG-2 and
// 2.5) gives that, whatever the decoder held before.
#include "audio/AudioUi.h"
#include "audio/Mp3CleanFrames.h"
#include "audio/Mp3File.h"
#include "platform/ByteOrder.h"
#include "platform/FormatText.h"

#include <algorithm>
#include <cmath>

namespace {

// Raw samples decoded before a piece's first sample, at least.
constexpr uint64_t kWarmUpSamples = 1152;
// The decoder's filter bank goes round its buffer in this many samples; a
// piece's frames start in the phase they have in the source.
constexpr uint64_t kSynthesisPeriod = 256;
// Frames before its first sample a decoder decodes at least; it may skip
// decoding the ones before them. More warm-up frames than kPhaseFrames never
// change the phase.
constexpr uint64_t kPreFrames = 4;
constexpr uint64_t kPhaseFrames = 8;

} // namespace

bool CMp3File::CutsClean()
{
    return IsLayer3() && Index().HasOneFrameSize();
}

uint64_t CMp3File::GaplessSkip()
{
    if (!CutsClean())
        return 0;
    const unsigned nDelay = m_sourceInfo && m_sourceInfo->lame ? m_sourceInfo->lame->nDelay : mp3::kAssumedEncoderDelay;
    return uint64_t{nDelay} + mp3::kDecoderDelay;
}

// The padding, but never less than the decoder's delay: the last raw sample
// a decoder plays must exist. A stream whose encoder did not say is taken to
// have no padding beyond that.
uint64_t CMp3File::GaplessTail()
{
    if (!CutsClean())
        return 0;
    const unsigned nPadding = m_sourceInfo && m_sourceInfo->lame ? m_sourceInfo->lame->nPadding : 0;
    return std::max(nPadding, mp3::kDecoderDelay) - mp3::kDecoderDelay;
}

uint64_t CMp3File::GetTotalFrames()
{
    const uint64_t nRaw = Index().GetTotalSamples();
    const uint64_t nTrimmed = GaplessSkip() + GaplessTail();
    return nRaw > nTrimmed ? nRaw - nTrimmed : 0;
}

bool CMp3File::IsConstantBitrate() const
{
    if (m_sourceInfo)
        return m_sourceInfo->bConstant;
    // Without a tag: constant when the header's bitrate accounts for the
    // audio's bytes over its frames' time.
    const double dSeconds = static_cast<double>(m_pIndex ? m_pIndex->GetTotalSamples() : 0) / std::max<uint32_t>(m_nSampleRate, 1);
    const double dExpected = dSeconds * mp3::Bitrate(m_dwFirstHeader) / 8.0;
    return dExpected > 0.0 && std::abs(dExpected - static_cast<double>(GetDataLength())) < dExpected * 0.005;
}

uint32_t CMp3File::ReadFrameStart(uint64_t k, std::vector<unsigned char>& bytes, bool bWhole)
{
    const uint64_t nOffset = Index().FrameAt(k).nOffset;
    unsigned char raw[4];
    m_file.Seek(static_cast<int64_t>(nOffset), CFile::EFrom::Begin);
    if (m_file.Read(raw, 4) != 4)
        return 0;
    const uint32_t dw = ReadU32LE(raw);
    if (!mp3::IsUsableHeader(dw) || mp3::Layer(dw) != mp3::kLayer3)
        return 0;
    const size_t nLength = bWhole ? mp3::FrameLength(dw) : mp3::MainDataOffset(dw);
    if (nLength < mp3::MainDataOffset(dw))
        return 0;
    bytes.resize(nLength);
    m_file.Seek(static_cast<int64_t>(nOffset), CFile::EFrom::Begin);
    return m_file.Read(bytes.data(), static_cast<uint32_t>(nLength)) == nLength ? dw : 0;
}

// The last nBytes of main data areas before frame nFrame, walking back over
// the frames; fewer when the stream starts first.
std::vector<unsigned char> CMp3File::ReservoirBefore(uint64_t nFrame, unsigned nBytes)
{
    std::vector<unsigned char> reservoir;
    std::vector<unsigned char> frame;
    while (nFrame > 0 && reservoir.size() < nBytes) {
        const uint32_t dw = ReadFrameStart(--nFrame, frame, true);
        if (dw == 0)
            break;
        const auto area = frame.begin() + static_cast<std::ptrdiff_t>(mp3::MainDataOffset(dw));
        const size_t nTake = std::min<size_t>(nBytes - reservoir.size(), static_cast<size_t>(frame.end() - area));
        reservoir.insert(reservoir.begin(), frame.end() - static_cast<std::ptrdiff_t>(nTake), frame.end());
    }
    return reservoir;
}

std::optional<CMp3File::SCleanLayout> CMp3File::LayOutCleanPiece(const CPiece& piece)
{
    const CMp3FrameIndex& index = Index();
    const uint64_t nFrames = index.GetFrameCount();
    const uint64_t nSpf = mp3::SamplesPerFrame(m_dwFirstHeader);
    const uint64_t nTotal = GetTotalFrames();
    const uint64_t nTo = std::min(std::max(piece.nFrom, piece.nTo), nTotal);
    const uint64_t nOwn = std::min(piece.nFrom, nTo);
    const uint64_t nFrom = nOwn - std::min(nOwn, piece.nLeadIn);
    if (nTo <= nFrom || nFrames == 0 || nSpf == 0)
        return std::nullopt;

    const uint64_t nSkip = GaplessSkip();
    const uint64_t nRawFrom = nFrom + nSkip;
    const uint64_t nWarmUpFrames = (kWarmUpSamples + nSpf - 1) / nSpf;
    SCleanLayout layout;
    layout.nSamples = nTo - nFrom;
    layout.nOwnFrame = std::min((nOwn + nSkip) / nSpf, nFrames - 1);
    layout.nEndFrame = std::min((nTo + nSkip - 1) / nSpf + 1, nFrames);
    const uint64_t nHolding = nRawFrom / nSpf;

    // Warm-up frames are added, as far as the delay field allows, until the
    // decoder's filter bank starts the piece's first decoded frame in the
    // phase it has at that frame in the source: its arithmetic, rounded a
    // little differently in each phase, then gives the same last bit too.
    // A decoder may leave undecoded all but kPreFrames of the frames its
    // delay skips; the phase counts from the first it decodes.
    std::optional<SCleanLayout> fallback;
    for (uint64_t nWarmUp = nWarmUpFrames; nWarmUp <= nWarmUpFrames + kPhaseFrames; ++nWarmUp) {
        layout.nFirstFrame = nHolding > nWarmUp ? nHolding - nWarmUp : 0;
        layout.nReservoir = layout.nFirstFrame > 0 ? ReservoirReach(layout.nFirstFrame, layout.nEndFrame) : 0;
        const uint64_t nLeading = layout.nReservoir > 0 ? 1 : 0;
        const uint64_t nFirstSample = index.FrameAt(layout.nFirstFrame).nSample;
        const uint64_t nDelay = nRawFrom + nLeading * nSpf - nFirstSample - mp3::kDecoderDelay;
        if (nDelay > mp3::kMaxDelayField)
            break;
        const uint64_t nPlayed = (layout.nEndFrame - layout.nFirstFrame + nLeading) * nSpf;
        layout.nDelay = static_cast<unsigned>(nDelay);
        const uint64_t nUsed = nDelay + layout.nSamples;
        layout.nPadding =
            static_cast<unsigned>(std::min<uint64_t>(nPlayed > nUsed ? nPlayed - nUsed : 0, mp3::kMaxDelayField));
        const uint64_t nSkippedFrames = (nDelay + mp3::kDecoderDelay) / nSpf;
        const uint64_t nUndecoded = nSkippedFrames > kPreFrames ? nSkippedFrames - kPreFrames : 0;
        const uint64_t nPhaseAt = nFirstSample + nUndecoded * nSpf - nLeading * nSpf;
        if (layout.nFirstFrame == 0 || nPhaseAt % kSynthesisPeriod == 0)
            return layout;
        if (!fallback)
            fallback = layout;
    }
    return fallback;
}

// How many bytes of reservoir the frames from nFirst reach back into before
// nFirst's own main data: the deepest reach of the frames until their main
// data areas together hold the most a reach can be.
unsigned CMp3File::ReservoirReach(uint64_t nFirst, uint64_t nEnd)
{
    unsigned nReach = 0;
    size_t nCarried = 0;
    std::vector<unsigned char> frame;
    for (uint64_t k = nFirst; k < nEnd && nCarried < mp3::MaxReservoir(m_dwFirstHeader); ++k) {
        const uint32_t dw = ReadFrameStart(k, frame, false);
        if (dw == 0)
            break;
        const unsigned nBegin = mp3::MainDataBegin(dw, frame.data());
        if (nBegin > nCarried)
            nReach = std::max(nReach, static_cast<unsigned>(nBegin - nCarried));
        nCarried += mp3::FrameLength(dw) - mp3::MainDataOffset(dw);
    }
    return nReach;
}

void CMp3File::WriteCleanPiece(CFile& output, const SByteSpan& span, IShredProgress* pProgress)
{
    const std::optional<SCleanLayout> layout = LayOutCleanPiece(*span.pPiece);
    if (!layout)
        return;
    const CMp3FrameIndex& index = Index();

    // The first frames, as far as the reservoir reaches, are looked at one by
    // one: one that reaches further back than the piece carries is silenced.
    std::vector<unsigned char> reservoirFrame;
    if (layout->nReservoir > 0)
        reservoirFrame = mp3::SilentFrame(m_dwFirstHeader, ReservoirBefore(layout->nFirstFrame, layout->nReservoir));
    std::vector<std::vector<unsigned char>> firstFrames;
    size_t nCarried = reservoirFrame.empty() ? 0 : reservoirFrame.size() - 4 - mp3::SideInfoBytes(m_dwFirstHeader);
    if (!reservoirFrame.empty())
        nCarried = std::min<size_t>(nCarried, layout->nReservoir);
    const uint64_t nSilencedBefore = m_nSilencedFrames;
    uint64_t k = layout->nFirstFrame;
    for (; k < layout->nEndFrame && nCarried < mp3::MaxReservoir(m_dwFirstHeader); ++k) {
        std::vector<unsigned char> frame;
        const uint32_t dw = ReadFrameStart(k, frame, true);
        if (dw == 0)
            break;
        // At the stream's start the source's decoder lacks the same bytes.
        if (layout->nFirstFrame > 0 && mp3::MainDataBegin(dw, frame.data()) > nCarried) {
            const size_t nSideAt = 4 + (mp3::HasCrc(dw) ? 2 : 0);
            std::fill(frame.begin() + static_cast<std::ptrdiff_t>(nSideAt),
                      frame.begin() + static_cast<std::ptrdiff_t>(mp3::MainDataOffset(dw)), 0);
            ++m_nSilencedFrames;
        }
        nCarried += frame.size() - mp3::MainDataOffset(dw);
        firstFrames.push_back(std::move(frame));
    }
    const uint64_t nRestFrom = index.FrameAt(k).nOffset;
    const uint64_t nRestTo = index.FrameAt(layout->nEndFrame).nOffset;

    uint64_t nStreamBytes = reservoirFrame.size() + (nRestTo - nRestFrom);
    for (const auto& frame : firstFrames)
        nStreamBytes += frame.size();
    mp3::SInfoFrameFields fields;
    fields.dw = m_dwFirstHeader;
    fields.bConstant = IsConstantBitrate();
    fields.nFrames = static_cast<uint32_t>(layout->nEndFrame - layout->nFirstFrame + (reservoirFrame.empty() ? 0 : 1));
    fields.nQuality = m_sourceInfo ? m_sourceInfo->nQuality : 0;
    if (m_sourceInfo && m_sourceInfo->lame && std::equal(m_sourceInfo->lame->raw.begin(), m_sourceInfo->lame->raw.begin() + 4, "LAME"))
        fields.source = m_sourceInfo->lame;
    fields.nDelay = layout->nDelay;
    fields.nPadding = layout->nPadding;
    const size_t nInfoBytes = mp3::InfoFrame(fields).size();
    nStreamBytes += nInfoBytes;
    fields.nBytes = static_cast<uint32_t>(std::min<uint64_t>(nStreamBytes, UINT32_MAX));
    // The seek table: for each percent of the playing time, where its frame
    // starts, in 256ths of the stream.
    const uint64_t nFirstOffset = index.FrameAt(layout->nFirstFrame).nOffset;
    for (size_t i = 0; i < fields.toc.size(); ++i) {
        const uint64_t nFrame = layout->nFirstFrame + (layout->nEndFrame - layout->nFirstFrame) * i / 100;
        const uint64_t nAt = nInfoBytes + reservoirFrame.size() + (index.FrameAt(nFrame).nOffset - nFirstOffset);
        fields.toc[i] = static_cast<unsigned char>(std::min<uint64_t>(255, nAt * 256 / std::max<uint64_t>(nStreamBytes, 1)));
    }
    const std::vector<unsigned char> infoFrame = mp3::InfoFrame(fields);
    output.Write(infoFrame.data(), static_cast<uint32_t>(infoFrame.size()));
    if (!reservoirFrame.empty())
        output.Write(reservoirFrame.data(), static_cast<uint32_t>(reservoirFrame.size()));
    for (const auto& frame : firstFrames)
        output.Write(frame.data(), static_cast<uint32_t>(frame.size()));
    m_file.Seek(static_cast<int64_t>(nRestFrom), CFile::EFrom::Begin);
    const uint64_t nLeadTo = std::clamp(span.nFrom, nRestFrom, nRestTo);
    CopyAll(output, nLeadTo - nRestFrom, nullptr);
    CopyAll(output, nRestTo - nLeadTo, pProgress);
    if (const uint64_t nSilenced = m_nSilencedFrames - nSilencedBefore; nSilenced > 0)
        m_ui.MessageBox(m_pParentWnd,
                        FormatText(kSilencedFramesFormat, static_cast<unsigned long long>(nSilenced),
                                   span.pPiece->strPath.c_str()),
                        kSilencedFramesCaption, EMsgIcon::Information, EMsgButtons::Ok);
}
