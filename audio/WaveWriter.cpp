// The WAV selection writer and equal split.
#include "audio/AudioUi.h"
#include "audio/WaveFile.h"

#include <algorithm>
#include <cstring>

namespace {

uint64_t MulSaturated(uint64_t a, uint64_t b)
{
    uint64_t r;
    return __builtin_mul_overflow(a, b, &r) ? UINT64_MAX : r;
}

uint64_t RoundDown(uint64_t nValue, uint64_t nAlign)
{
    return nValue - nValue % nAlign;
}

uint64_t RoundUp(uint64_t nValue, uint64_t nAlign)
{
    const uint64_t nRest = nValue % nAlign;
    return nRest == 0 || nValue > UINT64_MAX - nAlign ? nValue - nRest : nValue + (nAlign - nRest);
}

// Format tags whose sample count the bytes give.
constexpr uint16_t kTagPcm = 0x0001;
constexpr uint16_t kTagFloat = 0x0003;
constexpr uint16_t kTagMsAdpcm = 0x0002;
constexpr uint16_t kTagImaAdpcm = 0x0011;
constexpr uint16_t kTagGsm610 = 0x0031;
constexpr uint16_t kTagExtensible = 0xFFFE;

// The subformat GUID of an extensible format after its first two bytes, which
// hold the format tag it stands for; it sits 6 bytes into the extra bytes.
constexpr unsigned char kSubformatTail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
constexpr uint32_t kSubformatAt = 6;

uint64_t ProportionOf(uint64_t nValue, uint64_t nPart, uint64_t nWhole)
{
    __extension__ using Wide = unsigned __int128;
    return nWhole == 0 ? 0 : static_cast<uint64_t>(static_cast<Wide>(nValue) * nPart / nWhole);
}

} // namespace

uint32_t CWaveFile::FramesPerBlock() const
{
    const unsigned char* pExtra = m_pFormatExtra.get();
    const uint32_t nExtra = pExtra ? m_fmt.extraSize : 0;
    uint16_t nTag = m_fmt.formatTag;
    if (nTag == kTagExtensible && nExtra >= kSubformatAt + 16 &&
        std::equal(kSubformatTail, kSubformatTail + 14, pExtra + kSubformatAt + 2))
        nTag = ReadU16LE(pExtra + kSubformatAt);
    if (nTag == kTagPcm || nTag == kTagFloat)
        return 1;
    const uint16_t nPerBlock = nExtra >= 2 ? ReadU16LE(pExtra) : 0;
    if (nTag == kTagMsAdpcm || nTag == kTagImaAdpcm || nTag == kTagGsm610)
        return nPerBlock;
    return 0;
}

uint64_t CWaveFile::SampleCount(uint64_t nBytes) const
{
    const uint64_t nBlocks = nBytes / m_fmt.blockAlign;
    if (const uint32_t nPerBlock = FramesPerBlock(); nPerBlock != 0)
        return MulSaturated(nBlocks, nPerBlock);
    if (m_pFactData && m_factHeader.size >= 4)
        return ProportionOf(ReadU32LE(m_pFactData.get()), nBytes, m_nDataBytes);
    return nBlocks;
}

void CWaveFile::WriteHeader(CFile& output, uint64_t nDataBytes, const std::vector<unsigned char>& carried) const
{
    const CWaveLayout layout = CWaveLayout::For(m_fmt.extraSize, m_pFormatExtra ? m_fmt.extraSize : 0,
                                                m_pFactData != nullptr, m_factHeader.size, nDataBytes,
                                                carried.size());
    const bool bRf64 = layout.bRf64;
    const uint64_t nSamples = SampleCount(nDataBytes);

    unsigned char raw[CDs64Record::kBytes];
    CRiffHeader riff = m_riff;
    riff.id = bRf64 ? FourCC{'R', 'F', '6', '4'} : FourCC{'R', 'I', 'F', 'F'};
    riff.size = bRf64 ? UINT32_MAX : static_cast<uint32_t>(layout.nRiffSize);
    riff.ToBytes(raw);
    output.Write(raw, CRiffHeader::kBytes);
    if (bRf64) {
        CDs64Record ds64;
        ds64.riffSize = layout.nRiffSize + CDs64Record::kBytes;
        ds64.dataSize = nDataBytes;
        ds64.sampleCount = nSamples;
        ds64.ToBytes(raw);
        output.Write(raw, CDs64Record::kBytes);
    }
    CFormatRecord fmt = m_fmt;
    fmt.size = m_fmt.extraSize + layout.nFormatPart - CChunkHeader::kBytes;
    fmt.ToBytes(raw);
    output.Write(raw, layout.nFormatPart);
    if (m_fmt.formatTag != 1 && layout.nExtra != 0)
        output.Write(m_pFormatExtra.get(), layout.nExtra);
    if (m_pFactData) {
        // The fact chunk's first field is the sample count, of these bytes.
        m_factHeader.ToBytes(raw);
        output.Write(raw, CChunkHeader::kBytes);
        uint32_t nSkip = 0;
        if (m_factHeader.size >= 4) {
            WriteU32LE(raw, static_cast<uint32_t>(std::min<uint64_t>(nSamples, UINT32_MAX)));
            output.Write(raw, 4);
            nSkip = 4;
        }
        output.Write(m_pFactData.get() + nSkip, m_factHeader.size - nSkip);
    }
    if (!carried.empty())
        output.Write(carried.data(), static_cast<uint32_t>(carried.size()));
    CChunkHeader data{m_dataHeader.id, bRf64 ? UINT32_MAX : static_cast<uint32_t>(nDataBytes)};
    data.ToBytes(raw);
    output.Write(raw, CChunkHeader::kBytes);
}

std::vector<unsigned char> CWaveFile::CarriedChunks(uint64_t nFirstSample)
{
    std::vector<unsigned char> carried;
    if (const SChunkEntry* pBext = FindListed("bext", 0)) {
        std::vector<unsigned char> bext = ReadWholeChunk(pBext->nPos);
        // The piece starts nFirstSample samples after the source did; a time
        // that would pass 64 bits stays at the largest.
        constexpr uint32_t kAt = CChunkHeader::kBytes + CBextRecord::kTimeReferenceAt;
        if (bext.size() >= CChunkHeader::kBytes + CBextRecord::kWithTimeReference &&
            ReadU32LE(&bext[4]) >= CBextRecord::kWithTimeReference) {
            uint64_t nTime = ReadU64LE(&bext[kAt]);
            if (__builtin_add_overflow(nTime, nFirstSample, &nTime))
                nTime = UINT64_MAX;
            WriteU64LE(&bext[kAt], nTime);
        }
        carried.insert(carried.end(), bext.begin(), bext.end());
    }
    // A list's type is looked at before its contents are read.
    for (const SChunkEntry& entry : m_chunks) {
        unsigned char head[CChunkHeader::kBytes + 4];
        if (!IsFourCC(entry.id, "LIST"))
            continue;
        m_file.Seek(static_cast<int64_t>(entry.nPos), CFile::EFrom::Begin);
        if (m_file.Read(head, sizeof head) == sizeof head && ReadU32LE(head + 4) >= 4 &&
            std::memcmp(head + CChunkHeader::kBytes, "INFO", 4) == 0) {
            const std::vector<unsigned char> list = ReadWholeChunk(entry.nPos);
            carried.insert(carried.end(), list.begin(), list.end());
            break;
        }
    }
    return carried;
}

void CWaveFile::WritePadByte(CFile& output, uint64_t nDataBytes)
{
    if (nDataBytes % 2 != 0)
        output.Write("", 1);
}

uint64_t CWaveFile::ClampToData(uint64_t nOffset, uint64_t nCount) const
{
    if (nOffset >= m_nDataBytes)
        return 0;
    return RoundDown(std::min(nCount, m_nDataBytes - nOffset), m_fmt.blockAlign);
}

int32_t CWaveFile::SaveSelection(std::string strOutPath, int32_t nStart, int32_t nEnd, int32_t nSecsPerStep)
{
    // Positions are put in order and taken in 64-bit arithmetic, so a long
    // selection of a high-rate file neither wraps nor runs past the audio.
    const uint64_t nFirst = static_cast<uint64_t>(std::max(0, std::min(nStart, nEnd)));
    const uint64_t nLast = static_cast<uint64_t>(std::max(0, std::max(nStart, nEnd)));
    const uint64_t nStepBytes = MulSaturated(m_fmt.avgBytesPerSec, static_cast<uint64_t>(std::max(0, nSecsPerStep)));
    const uint64_t nOffset = RoundUp(MulSaturated(nFirst, nStepBytes), m_fmt.blockAlign);
    const uint64_t nCount = ClampToData(nOffset, RoundDown(MulSaturated(nLast - nFirst, nStepBytes), m_fmt.blockAlign));
    const uint64_t nFrom = m_nDataStart + std::min(nOffset, m_nDataBytes);
    if (const int32_t nStatus = WriteSelection(strOutPath, {nFrom, nFrom, nFrom + nCount, SampleCount(nCount)});
        nStatus != kStatusOk)
        return CallerStatus(nStatus);
    return ReportSelectionSaved(static_cast<double>(nCount) / m_fmt.avgBytesPerSec);
}

int32_t CWaveFile::ShredEqually()
{
    CWaveShredArgs args;
    args.fmt = m_fmt;
    args.dataHeader = m_dataHeader;
    args.nAudioBytes = m_nDataBytes;
    args.factHeader = m_factHeader;
    args.strSourceName = GetFileName();
    args.strSourcePath = GetFilePath();
    args.nOverlap = m_nOverlap;
    const CShredAnswer answer = m_ui.RunWaveShredDialog(args);
    const uint32_t n = AcceptedFragmentCount(answer);
    if (n == 0)
        return kStatusOk;
    if (SnapsToPauses(answer))
        return WriteSnappedFragments(n, answer, ".wav");
    if (m_bExactCuts)
        return WriteExactFragments(n, answer.strBaseName, ".wav", answer.nOverlap);
    // Fragment i holds its own nOwn bytes, led in by as much of the overlap as
    // the audio before it holds; the remainder of the division goes nowhere.
    const uint64_t nOwn = RoundDown(m_nDataBytes / n, m_fmt.blockAlign);
    const uint64_t nOverlap = OverlapBytes(answer.nOverlap);
    std::vector<std::optional<SByteSpan>> spans;
    for (uint64_t i = 0; i < n; ++i) {
        const uint64_t nFrom = m_nDataStart + i * nOwn;
        const uint64_t nLead = std::min(nOverlap, i * nOwn);
        spans.push_back(SByteSpan{nFrom - nLead, nFrom, nFrom + nOwn, SampleCount(nOwn)});
    }
    return WriteSpans(FragmentPaths(n, answer.strBaseName, ".wav"), spans, 0);
}

uint64_t CWaveFile::LocateFrame(uint64_t nFrame, ECutRule rule) const
{
    const uint64_t nAlign = m_fmt.blockAlign;
    const uint64_t nLast = RoundDown(m_nDataBytes, nAlign);
    // The end of the audio, whatever rule: a piece to the end takes all of it.
    if (nFrame >= SampleCount(m_nDataBytes))
        return nLast;
    if (rule == ECutRule::WholeSeconds) {
        const uint64_t nSeconds = m_fmt.samplesPerSec == 0 ? 0 : nFrame / m_fmt.samplesPerSec;
        return std::min(RoundUp(MulSaturated(nSeconds, m_fmt.avgBytesPerSec), nAlign), nLast);
    }
    __extension__ using Wide = unsigned __int128;
    uint64_t nBlock;
    if (const uint32_t nPerBlock = FramesPerBlock(); nPerBlock != 0)
        nBlock = (nFrame + nPerBlock / 2) / nPerBlock;
    else // the block nearest the time at the average rate
        nBlock = static_cast<uint64_t>((static_cast<Wide>(nFrame) * m_fmt.avgBytesPerSec * 2 +
                                        Wide{m_fmt.samplesPerSec} * nAlign) /
                                       (Wide{m_fmt.samplesPerSec} * nAlign * 2));
    return std::min(MulSaturated(nBlock, nAlign), nLast);
}

CAudioFile::SByteSpan CWaveFile::LocatePiece(const CPiece& piece, ECutRule rule)
{
    const uint64_t nFrom = LocateFrame(piece.nFrom, rule);
    const uint64_t nTo = std::max(nFrom, LocateFrame(piece.nTo, rule));
    uint64_t nLeadFrom = nFrom;
    if (piece.nLeadIn != 0 && rule == ECutRule::Exact)
        nLeadFrom = LocateFrame(piece.nFrom > piece.nLeadIn ? piece.nFrom - piece.nLeadIn : 0, rule);
    else if (piece.nLeadIn != 0)
        nLeadFrom = nFrom - std::min(nFrom, OverlapBytes(static_cast<int32_t>(
                                                 std::min<uint64_t>(piece.nLeadIn / m_fmt.samplesPerSec, INT32_MAX))));
    return {m_nDataStart + std::min(nLeadFrom, nFrom), m_nDataStart + nFrom, m_nDataStart + nTo,
            SampleCount(nTo - nFrom)};
}

bool CWaveFile::HoldsAudio(const SByteSpan& span)
{
    return span.nTo - span.nFrom >= m_fmt.blockAlign;
}

// An exactly cut piece carries the source's description and INFO chunks;
// under the whole-second rules a piece holds only its header and audio.
void CWaveFile::WritePiece(CFile& output, const SByteSpan& span, IShredProgress* pProgress)
{
    const uint64_t nBytes = span.nTo - span.nLeadFrom;
    std::vector<unsigned char> carried;
    if (span.pPiece)
        carried = CarriedChunks(SampleCount(span.nLeadFrom - m_nDataStart));
    WriteHeader(output, nBytes, carried);
    m_file.Seek(static_cast<int64_t>(span.nLeadFrom), CFile::EFrom::Begin);
    CopyAll(output, span.nFrom - span.nLeadFrom, nullptr);
    CopyAll(output, span.nTo - span.nFrom, pProgress);
    WritePadByte(output, nBytes);
}
