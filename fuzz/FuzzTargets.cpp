#include "fuzz/FuzzTargets.h"

#include "audio/Mp3File.h"
#include "audio/WaveFile.h"
#include "platform/File.h"
#include "doubles/FakeUi.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

enum class EKind { Wave, Mp3 };

struct SCut {
    int32_t nFragments = 2;
    int32_t nOverlap = 0;
    int32_t nStart = 0;
    int32_t nEnd = 0;
    int32_t nSecsPerStep = 1;
};

// A broken test environment is not a finding: say so loudly and stop.
[[noreturn]] void Fatal(const std::string& strWhat)
{
    std::fprintf(stderr, "fuzz harness: %s\n", strWhat.c_str());
    std::abort();
}

std::string ScratchRoot()
{
    if (access("/dev/shm", W_OK | X_OK) == 0)
        return "/dev/shm";
    const char* pTmp = std::getenv("TMPDIR");
    return pTmp && *pTmp ? pTmp : "/tmp";
}

// A fresh folder for one input, removed with its contents afterwards.
class CScratchDir {
public:
    CScratchDir()
    {
        std::string strTemplate = ScratchRoot() + "/tolvane-fuzz-XXXXXX";
        if (!mkdtemp(strTemplate.data()))
            Fatal("cannot create a folder from " + strTemplate);
        m_strPath = strTemplate;
    }
    ~CScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_strPath, ec);
    }
    CScratchDir(const CScratchDir&) = delete;
    CScratchDir& operator=(const CScratchDir&) = delete;

    std::string operator/(const std::string& strName) const { return m_strPath + "/" + strName; }

private:
    std::string m_strPath;
};

void WriteInput(const std::string& strPath, const uint8_t* pData, size_t nSize)
{
    std::ofstream out(strPath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(pData), static_cast<std::streamsize>(nSize));
    out.close();
    if (!out)
        Fatal("cannot write " + strPath);
}

// Nothing this program does may change the file it cuts.
void CheckSourceIntact(const std::string& strPath, const uint8_t* pData, size_t nSize)
{
    std::ifstream in(strPath, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() != nSize || !std::equal(bytes.begin(), bytes.end(), reinterpret_cast<const char*>(pData))) {
        std::fprintf(stderr, "fuzz harness: the source file was changed\n");
        std::abort();
    }
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

void Cut(CAudioFile& file, const SCut& cut, const CScratchDir& dir, const std::string& strExt, CFakeUi& ui)
{
    Try([&] { file.SaveSelection(dir / ("selection" + strExt), cut.nStart, cut.nEnd, cut.nSecsPerStep); });
    Try([&] {
        ui.shredAnswer = {true, cut.nFragments, dir / "plain"};
        file.SetOverlapTime(0);
        file.ShredEqually();
    });
    Try([&] {
        ui.shredAnswer = {true, cut.nFragments, dir / "overlap"};
        file.SetOverlapTime(cut.nOverlap);
        file.ShredEqually();
    });
}

int Run(EKind kind, const uint8_t* pData, size_t nSize, const std::optional<SCut>& cut)
{
    const CScratchDir dir;
    const std::string strExt = kind == EKind::Wave ? ".wav" : ".mp3";
    const std::string strSource = dir / ("source" + strExt);
    WriteInput(strSource, pData, nSize);
    {
        CFakeUi ui;
        std::unique_ptr<CAudioFile> pFile;
        Try([&] { pFile = OpenKind(kind, strSource, ui); });
        if (pFile && pFile->ReportError(nullptr) == kStatusOk) {
            Try([&] { pFile->ShowFileInformation(); });
            if (cut)
                Cut(*pFile, *cut, dir, strExt, ui);
        }
    }
    CheckSourceIntact(strSource, pData, nSize);
    return 0;
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
