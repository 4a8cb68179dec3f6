// Random plans over random inputs: every piece written agrees with its header,
// the source stays as it was, a refused plan writes nothing, and pieces cut
// without lead-in join into the source's audio.
#include "fuzz/FuzzTargets.h"

#include "audio/CutPlanners.h"
#include "audio/Mp3File.h"
#include "audio/Mp3Header.h"
#include "audio/WaveFile.h"
#include "doubles/FakeUi.h"
#include "platform/ByteOrder.h"
#include "platform/MemoryFiles.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

using Bytes = std::vector<unsigned char>;

// The audio bytes a written piece holds: a WAV file's data chunk (the last),
// an MP3 file's bytes before the source's tag.
Bytes PieceAudio(const Bytes& piece, bool bWave, bool bTag)
{
    if (!bWave) {
        // An exact piece carries an ID3v2 tag of its own in front.
        const uint64_t nId3v2 = piece.size() >= mp3::kId3v2HeaderBytes ? mp3::Id3v2TagBytes(piece.data()) : 0;
        return Bytes(piece.begin() + static_cast<std::ptrdiff_t>(nId3v2), piece.end() - (bTag ? 128 : 0));
    }
    const std::optional<size_t> nAt = WaveDataAt(piece);
    if (!nAt)
        return {};
    const uint64_t nSize = ReadU32LE(&piece[*nAt + 4]);
    const auto nAudio = static_cast<std::ptrdiff_t>(std::min<uint64_t>(nSize, piece.size() - *nAt - 8));
    const auto from = piece.begin() + static_cast<std::ptrdiff_t>(*nAt + 8);
    return Bytes(from, from + nAudio);
}

// What a clean Layer III piece says of itself: its information frame, behind
// any ID3v2 tag, counts the frames and bytes that follow, and its delay and
// padding leave exactly nSamples to play.
bool CleanPieceAgrees(const Bytes& piece, bool bTag, uint64_t nSamples)
{
    const size_t nEnd = piece.size() - (bTag ? 128 : 0);
    size_t at = piece.size() >= mp3::kId3v2HeaderBytes ? mp3::Id3v2TagBytes(piece.data()) : 0;
    if (at + 4 > nEnd)
        return false;
    const uint32_t dw = ReadU32LE(&piece[at]);
    const auto info = mp3::ParseInfoFrame(dw, &piece[at], nEnd - at);
    if (!info || !info->frames || !info->bytes || !info->lame || *info->bytes != nEnd - at)
        return false;
    const uint64_t nPlayed = uint64_t{*info->frames} * mp3::SamplesPerFrame(dw);
    return nPlayed == nSamples + info->lame->nDelay + info->lame->nPadding;
}

struct SPlanInput {
    bool bWave;
    ECutRule rule;
    uint64_t nLeadInSeconds;
    std::vector<uint32_t> points; // taken modulo what the audio holds
};

// The source's audio that pieces covering all of it must join into.
Bytes WholeAudio(CAudioFile& file, const Bytes& input, bool bWave)
{
    if (bWave) {
        auto& wave = static_cast<CWaveFile&>(file);
        const uint64_t nBytes = wave.GetDataBytes() - wave.GetDataBytes() % wave.GetFormat().blockAlign;
        return Bytes(input.begin() + static_cast<std::ptrdiff_t>(wave.GetDataStart()),
                     input.begin() + static_cast<std::ptrdiff_t>(wave.GetDataStart() + nBytes));
    }
    const CMp3FrameIndex& index = static_cast<CMp3File&>(file).Index();
    return Bytes(input.begin() + static_cast<std::ptrdiff_t>(index.FrameAt(0).nOffset),
                 input.begin() + static_cast<std::ptrdiff_t>(index.FrameAt(index.GetFrameCount()).nOffset));
}

int RunPlan(const SPlanInput& in, const Bytes& input)
{
    CMemoryFiles files;
    const std::string strExt = in.bWave ? ".wav" : ".mp3";
    const std::string strSource = "/fuzz/source" + strExt;
    files.Put(strSource, input);
    CFakeUi ui;
    std::unique_ptr<CAudioFile> pFile;
    int32_t nStatus = -1;
    Bytes whole;
    bool bTag = false;
    bool bClean = false; // exact Layer III pieces, which are not byte ranges of the source
    std::vector<uint64_t> samples;
    try {
        if (in.bWave)
            pFile = std::make_unique<CWaveFile>(strSource, nullptr, ui);
        else
            pFile = std::make_unique<CMp3File>(strSource, nullptr, ui);
        if (pFile->GetError() != kStatusOk)
            return 0;
        const uint64_t nTotal = pFile->GetTotalFrames(), nRate = pFile->GetFrameRate();
        if (nTotal == 0 || nRate == 0)
            return 0;
        std::vector<uint64_t> points;
        for (const uint32_t nPoint : in.points)
            points.push_back(in.rule == ECutRule::Exact ? nPoint % nTotal : nPoint % (nTotal / nRate + 1) * nRate);
        std::sort(points.begin(), points.end());
        points.erase(std::unique(points.begin(), points.end()), points.end());
        std::erase_if(points, [&](uint64_t n) { return n == 0 || n >= nTotal; });
        CCutPlan plan = PlanAtPoints(in.rule, nTotal, points, in.nLeadInSeconds * nRate);
        for (size_t i = 0; i < plan.pieces.size(); ++i)
            plan.pieces[i].strPath = "/fuzz/p" + std::to_string(i + 1) + strExt;
        nStatus = pFile->WritePlan(plan);
        for (const CPiece& piece : plan.pieces)
            samples.push_back(piece.nTo - (piece.nFrom - std::min(piece.nFrom, piece.nLeadIn)));
        bClean = !in.bWave && in.rule == ECutRule::Exact && static_cast<CMp3File&>(*pFile).CutsClean();
        whole = WholeAudio(*pFile, input, in.bWave);
        bTag = !in.bWave && static_cast<CMp3File&>(*pFile).HasTag();
    } catch (const CFileException&) {
        return 0; // the user is told; what was written must still agree with itself
    }
    int nResult = 0;
    auto fail = [&](const std::string& strPath, const char* pWhy) {
        std::fprintf(stderr, "fuzz plan: %s %s\n", strPath.c_str(), pWhy);
        nResult = 1;
    };
    Bytes joined;
    size_t nPieces = 0;
    for (const std::string& strPath : files.Paths()) {
        const Bytes& bytes = *files.Find(strPath);
        if (strPath == strSource) {
            if (bytes != input)
                fail(strPath, "was changed");
            continue;
        }
        ++nPieces;
        if (nStatus == kStatusNoAudio)
            fail(strPath, "was written for a refused plan");
        if (in.bWave ? !WaveAgreesWithItsBytes(bytes)
                     : bTag && !std::equal(input.end() - 128, input.end() - 3, bytes.end() - 128))
            fail(strPath, "disagrees with its header");
        if (bClean && nStatus == kStatusOk && nPieces <= samples.size() &&
            !CleanPieceAgrees(bytes, bTag, samples[nPieces - 1]))
            fail(strPath, "is not a clean piece of its samples");
        const Bytes audio = PieceAudio(bytes, in.bWave, bTag);
        joined.insert(joined.end(), audio.begin(), audio.end());
    }
    // Paths() sorts p1..p9 in order; more pieces than that never happen here.
    if (nStatus == kStatusOk && in.nLeadInSeconds == 0 && nPieces > 0 && !bClean &&
        (in.bWave || in.rule == ECutRule::Exact) && joined != whole)
        fail("the pieces", "do not join into the source's audio");
    return nResult;
}

} // namespace

int FuzzPlan(const uint8_t* pData, size_t nSize)
{
    if (nSize < kPlanPrefixBytes)
        return 0;
    SPlanInput in;
    in.bWave = (pData[0] & 1) == 0;
    in.rule = (pData[0] & 2) == 0 ? ECutRule::Exact : ECutRule::WholeSeconds;
    in.nLeadInSeconds = (pData[0] >> 2) & 3;
    const unsigned nPoints = 1 + ((pData[0] >> 4) & 3);
    for (unsigned i = 0; i < nPoints; ++i)
        in.points.push_back(ReadU32LE(pData + 1 + 4 * i));
    return RunPlan(in, Bytes(pData + kPlanPrefixBytes, pData + nSize));
}
