#pragma once

#include "audio/AudioUi.h"

// An IAudioUi that shows nothing and answers every question with No: for the
// model's own use of an audio file object that only reads a header.
class CSilentAudioUi : public IAudioUi {
public:
    EMsgAnswer MessageBox(CWnd*, const std::string&, const std::string&, EMsgIcon, EMsgButtons buttons) override
    {
        return buttons == EMsgButtons::YesNo ? EMsgAnswer::No : EMsgAnswer::Ok;
    }
    std::unique_ptr<IShredProgress> CreateProgress(CWnd*) override { return nullptr; }
    CShredAnswer RunWaveShredDialog(const CWaveShredArgs&) override { return {}; }
    CShredAnswer RunMp3ShredDialog(const CMp3ShredArgs&) override { return {}; }
    void ShowWaveInformation(const CWaveInfoValues&) override {}
    void ShowMp3Information(const CMp3InfoValues&) override {}
};
