#pragma once

#include "audio/AudioFile.h"

#include <memory>
#include <string>

class CWnd;
class IAudioUi;

enum class EAudioKind { Unknown, Wave, Mp3 };

// The kind a file name's extension names: ".wav" or ".mp3", in any case.
EAudioKind AudioKindFromPath(const std::string& strPath);

// Creates the audio file object of that kind (null for an unknown kind). The
// caller checks its status.
std::unique_ptr<CAudioFile> OpenAudioFile(const std::string& strPath, CWnd* pParentWnd, IAudioUi& ui);
