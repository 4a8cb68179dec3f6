// The MP3 selection writer and equal split.
#include "audio/AudioUi.h"
#include "audio/Mp3File.h"

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
    // a fruitless search stopped) and never runs into the ID3v1 tag. A start at
    // or past the end of the audio leaves only the tag to write.
    uint64_t nCopy = 0;
    if (nOffset < GetDataLength()) {
        m_file.Seek(static_cast<int64_t>(m_nAudioStart + nOffset), CFile::EFrom::Begin);
        FindAudioFrame(kCutReach);
        nCopy = std::min(nCount, BytesLeftInAudio());
    }

    CFile output;
    if (!CreateOutput(output, strOutPath)) {
        m_nError = kStatusCannotCreate;
        return m_nError;
    }
    auto pProgress = m_ui.CreateProgress(m_pParentWnd);
    pProgress->SetTotalFiles(1);
    pProgress->SetFileBytes(nCopy);
    pProgress->ShowFileNames(GetFileName(), output.GetFileName());
    pProgress->ShowFileNumber(1);
    CopyAll(output, nCopy, pProgress.get());
    AppendTag(output);
    output.Close();
    pProgress->StepGross();
    pProgress->DestroyWindow();

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
    // Fragment i ends at the i-th of n equal cut points of the audio, the last
    // one at its end: a fragment starts on the first frame at or after the
    // previous one's end, and that shift must not add up from cut to cut.
    const uint64_t nFragmentSize = GetDataLength() / n;
    RewindToFirstFrame();
    return WriteFragments(n, answer.strBaseName, ".mp3", [&](CFile& output, uint32_t i, IShredProgress& progress) {
        const uint64_t nEnd = i == n ? GetAudioEnd() : m_nAudioStart + nFragmentSize * i;
        return WriteFragment(output, nFragmentSize, nEnd, answer.nOverlap, &progress) == 0;
    });
}

// A fragment whose search finds no frame before its end stays empty, and the
// next fragment's search goes on from where this one stopped.
int32_t CMp3File::WriteFragment(CFile& output, uint64_t nFragmentSize, uint64_t nEnd, int32_t nOverlapSeconds,
                                IShredProgress* pProgress)
{
    if (!FindAudioFrame(kCutReach) || m_file.GetPosition() >= nEnd)
        return -1;
    pProgress->SetFileBytes(nFragmentSize);
    CopyOverlap(output, nOverlapSeconds);
    CopyAll(output, std::min(nEnd - m_file.GetPosition(), BytesLeftInAudio()), pProgress);
    AppendTag(output);
    return 0;
}

// The lead-in ends exactly at P, so no byte of the fragment comes twice. When
// P lies closer to the audio start than the overlap, the lead-in starts there.
void CMp3File::CopyOverlap(CFile& output, int32_t nSeconds)
{
    if (nSeconds <= 0)
        return;
    const uint64_t nBytes = SecondsToBytes(static_cast<uint64_t>(nSeconds));
    const uint64_t nHere = m_file.GetPosition();
    const uint64_t nBefore = nHere > m_nAudioStart ? nHere - m_nAudioStart : 0;
    const uint64_t nFrom = nBefore >= nBytes ? nHere - nBytes : nHere - nBefore;
    m_file.Seek(static_cast<int64_t>(nFrom), CFile::EFrom::Begin);
    if (FindFrame(kCutReach) && m_file.GetPosition() < nHere)
        CopyAll(output, nHere - m_file.GetPosition(), nullptr);
    m_file.Seek(static_cast<int64_t>(nHere), CFile::EFrom::Begin);
}
