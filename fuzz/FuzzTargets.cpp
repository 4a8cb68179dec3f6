#include "fuzz/FuzzTargets.h"

#include "audio/Mp3File.h"
#include "audio/SoundAnalysis.h"
#include "audio/WaveFile.h"
#include "platform/ByteOrder.h"
#include "platform/File.h"
#include "platform/MemoryFiles.h"
#include "doubles/FakeUi.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

enum class EKind { Wave, Mp3 };

struct SCut {
    int32_t nFragments = 2;
    int32_t nOverlap = 0;
    int32_t nStart = 0;
    int32_t nEnd = 0;
    int32_t nSecsPerStep = 1;
};

using Bytes = std::vector<unsigned char>;

bool IdAt(const Bytes& b, size_t at, const char* pId)
{
    return b.size() - at >= 4 && std::equal(pId, pId + 4, b.begin() + static_cast<std::ptrdiff_t>(at));
}

// A written MP3 file ends with the source's ID3v1 tag when it has one.
bool Mp3EndsWithTheTag(const Bytes& piece, const Bytes& source)
{
    const char* pTag = "TAG";
    if (source.size() < 128 || !std::equal(pTag, pTag + 3, source.end() - 128))
        return true;
    return piece.size() >= 128 && std::equal(source.end() - 128, source.end(), piece.end() - 128);
}

std::unique_ptr<CAudioFile> OpenKind(EKind kind, const std::string& strPath, IAudioUi& ui)
{
    if (kind == EKind::Wave)
        return std::make_unique<CWaveFile>(strPath, nullptr, ui);
    return std::make_unique<CMp3File>(strPath, nullptr, ui);
}

// Runs one step; a file error ends that step only, as it would for the user.
template <typename Step>
void Try(Step step)
{
    try {
        step();
    } catch (const CFileException&) {
    }
}

void Cut(CAudioFile& file, const SCut& cut, const std::string& strExt, CFakeUi& ui)
{
    Try([&] { file.SaveSelection("/fuzz/selection" + strExt, cut.nStart, cut.nEnd, cut.nSecsPerStep); });
    Try([&] {
        ui.shredAnswer = {true, cut.nFragments, "/fuzz/plain"};
        file.SetOverlapTime(0);
        file.ShredEqually();
    });
    Try([&] {
        ui.shredAnswer = {true, cut.nFragments, "/fuzz/overlap"};
        file.SetOverlapTime(cut.nOverlap);
        file.ShredEqually();
    });
}

// The sound analysis of the source, to its end, and a zoomed view of its middle.
void Analyse(const std::string& strPath)
{
    if (auto pAnalysis = CSoundAnalysis::Start(strPath)) {
        pAnalysis->Wait(nullptr);
        const uint64_t nTotal = pAnalysis->GetTotalFrames();
        pAnalysis->Overview(0, nTotal, 64);
        pAnalysis->GetLevels();
        CSoundAnalysis::Detail(strPath, nTotal / 2, nTotal / 2 + pAnalysis->GetRate(), 64);
    }
}

// Runs one input on files in memory. Returns 0, or 1 (after saying why on
// standard error) when the source changed or a file written disagrees with
// itself.
int Run(EKind kind, const uint8_t* pData, size_t nSize, const std::optional<SCut>& cut)
{
    CMemoryFiles files;
    const std::string strExt = kind == EKind::Wave ? ".wav" : ".mp3";
    const std::string strSource = "/fuzz/source" + strExt;
    const Bytes input(pData, pData + nSize);
    files.Put(strSource, input);
    {
        CFakeUi ui;
        std::unique_ptr<CAudioFile> pFile;
        Try([&] { pFile = OpenKind(kind, strSource, ui); });
        if (pFile && pFile->ReportError(nullptr) == kStatusOk) {
            Try([&] { pFile->ShowFileInformation(); });
            if (cut)
                Cut(*pFile, *cut, strExt, ui);
        }
    }
    if (!cut)
        Analyse(strSource);
    int nResult = 0;
    for (const std::string& strPath : files.Paths()) {
        const Bytes& bytes = *files.Find(strPath);
        const bool bSound = strPath == strSource ? bytes == input
                            : kind == EKind::Wave ? WaveAgreesWithItsBytes(bytes)
                                                  : Mp3EndsWithTheTag(bytes, input);
        if (!bSound) {
            std::fprintf(stderr, "fuzz target: %s %s\n", strPath.c_str(),
                         strPath == strSource ? "was changed" : "disagrees with its header");
            nResult = 1;
        }
    }
    return nResult;
}

int32_t DecodeSigned(uint8_t byte)
{
    const auto n = static_cast<int8_t>(byte);
    if (n == INT8_MIN)
        return INT32_MIN;
    if (n == INT8_MAX)
        return INT32_MAX;
    return n;
}

} // namespace

bool WaveAgreesWithItsBytes(const std::vector<unsigned char>& b)
{
    if (b.size() < 12)
        return false;
    const bool bRf64 = IdAt(b, 0, "RF64");
    if (!bRf64 && !(IdAt(b, 0, "RIFF") && ReadU32LE(&b[4]) == b.size() - 8))
        return false;
    if (bRf64 && !(b.size() >= 48 && IdAt(b, 12, "ds64") && ReadU64LE(&b[20]) == b.size() - 8))
        return false;
    const std::optional<size_t> nData = WaveDataAt(b);
    if (!nData)
        return false;
    const uint64_t nSize = bRf64 ? ReadU64LE(&b[28]) : ReadU32LE(&b[*nData + 4]);
    return b.size() - *nData - 8 == nSize + (nSize & 1);
}

std::optional<size_t> WaveDataAt(const std::vector<unsigned char>& b)
{
    // Four printable characters, as a chunk's id is.
    auto looksLikeId = [&](size_t at) {
        return b.size() - at >= 4 && std::all_of(b.begin() + static_cast<std::ptrdiff_t>(at),
                                                 b.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                                 [](unsigned char c) { return c >= 0x20 && c < 0x7F; });
    };
    for (size_t at = 12; b.size() >= at && b.size() - at >= 8;) {
        if (IdAt(b, at, "data"))
            return at;
        const uint64_t nSize = ReadU32LE(&b[at + 4]);
        if (b.size() - at - 8 < nSize)
            return std::nullopt;
        at += 8 + nSize;
        // A pad byte follows an odd size, though some writers leave it out.
        if ((nSize & 1) != 0 && !looksLikeId(at) && looksLikeId(at + 1))
            ++at;
    }
    return std::nullopt;
}

int FuzzOpenWave(const uint8_t* pData, size_t nSize)
{
    return Run(EKind::Wave, pData, nSize, std::nullopt);
}

int FuzzOpenMp3(const uint8_t* pData, size_t nSize)
{
    return Run(EKind::Mp3, pData, nSize, std::nullopt);
}

int FuzzCut(const uint8_t* pData, size_t nSize)
{
    if (nSize < kCutPrefixBytes)
        return 0;
    SCut cut;
    cut.nFragments = 2 + ((pData[0] >> 1) & 3);
    cut.nOverlap = (pData[0] >> 3) & 3;
    cut.nStart = DecodeSigned(pData[1]);
    cut.nEnd = DecodeSigned(pData[2]);
    cut.nSecsPerStep = DecodeSigned(pData[3]);
    const EKind kind = (pData[0] & 1) == 0 ? EKind::Wave : EKind::Mp3;
    return Run(kind, pData + kCutPrefixBytes, nSize - kCutPrefixBytes, cut);
}
