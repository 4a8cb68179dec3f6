#include "audio/OpenAudioFile.h"

#include "audio/Mp3File.h"
#include "audio/WaveFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

EAudioKind AudioKindFromPath(const std::string& strPath)
{
    std::string strExt = std::filesystem::path(strPath).extension().string();
    std::transform(strExt.begin(), strExt.end(), strExt.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (strExt == ".wav")
        return EAudioKind::Wave;
    if (strExt == ".mp3")
        return EAudioKind::Mp3;
    return EAudioKind::Unknown;
}

std::unique_ptr<CAudioFile> OpenAudioFile(const std::string& strPath, CWnd* pParentWnd, IAudioUi& ui)
{
    switch (AudioKindFromPath(strPath)) {
    case EAudioKind::Wave:
        return std::make_unique<CWaveFile>(strPath, pParentWnd, ui);
    case EAudioKind::Mp3:
        return std::make_unique<CMp3File>(strPath, pParentWnd, ui);
    case EAudioKind::Unknown:
        break;
    }
    return nullptr;
}
