#pragma once

#include "audio/AudioFile.h"

#include <memory>
#include <string>

class CWnd;
class IAudioUi;

enum class EAudioKind { Unknown, Wave, Mp3 };

// The kind a file name's extension names: ".wav" or ".mp3", in any case.
EAudioKind AudioKindFromPath(const std::string& strPath);

// The kind the desktop program's Open command gives a chosen path: its file
// name, in lower case, holding ".mp3" (looked for first) or ".wav" anywhere
// after its first character ("song.mp3.wav" is MP3). Folders do not count.
EAudioKind AudioKindFromChosenPath(const std::string& strPath);

// Creates the audio file object of the kind its extension names (null for an
// unknown kind). The caller checks its status.
std::unique_ptr<CAudioFile> OpenAudioFile(const std::string& strPath, CWnd* pParentWnd, IAudioUi& ui);
std::unique_ptr<CAudioFile> OpenAudioFile(EAudioKind kind, const std::string& strPath, CWnd* pParentWnd,
                                          IAudioUi& ui);
