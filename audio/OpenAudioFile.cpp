#include "audio/OpenAudioFile.h"

#include "audio/Mp3File.h"
#include "audio/WaveFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

std::string Lowered(std::string str)
{
    std::transform(str.begin(), str.end(), str.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return str;
}

} // namespace

EAudioKind AudioKindFromPath(const std::string& strPath)
{
    const std::string strExt = Lowered(std::filesystem::path(strPath).extension().string());
    if (strExt == ".wav")
        return EAudioKind::Wave;
    if (strExt == ".mp3")
        return EAudioKind::Mp3;
    return EAudioKind::Unknown;
}

EAudioKind AudioKindFromChosenPath(const std::string& strPath)
{
    const std::string strName = Lowered(std::filesystem::path(strPath).filename().string());
    const auto contains = [&](const char* pszExt) {
        const size_t nAt = strName.find(pszExt);
        return nAt != std::string::npos && nAt > 0;
    };
    if (contains(".mp3"))
        return EAudioKind::Mp3;
    if (contains(".wav"))
        return EAudioKind::Wave;
    return EAudioKind::Unknown;
}

std::unique_ptr<CAudioFile> OpenAudioFile(const std::string& strPath, CWnd* pParentWnd, IAudioUi& ui)
{
    return OpenAudioFile(AudioKindFromPath(strPath), strPath, pParentWnd, ui);
}

std::unique_ptr<CAudioFile> OpenAudioFile(EAudioKind kind, const std::string& strPath, CWnd* pParentWnd,
                                          IAudioUi& ui)
{
    switch (kind) {
    case EAudioKind::Wave:
        return std::make_unique<CWaveFile>(strPath, pParentWnd, ui);
    case EAudioKind::Mp3:
        return std::make_unique<CMp3File>(strPath, pParentWnd, ui);
    case EAudioKind::Unknown:
        break;
    }
    return nullptr;
}
