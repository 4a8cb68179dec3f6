#pragma once

#include "audio/AudioUi.h"
#include "split/ShredProgressState.h"
#include "split/ShredValidation.h"

#include <functional>
#include <string>
#include <vector>

// The Shred Equally dialog's windows, scripted: Yes or No to each "Confirm"
// question in turn (No when none is left), the overlap Customize leaves, and
// whether the Estimate window is confirmed. Records "Caption: text" of each box
// and "Estimate" for the Estimate window.
struct CScriptedWindows : IMessageBoxes, IShredDialogOwner, IEstimateWindow {
    std::vector<bool> yes;
    std::function<uint32_t()> customize;
    bool bConfirm = true;
    uint32_t nOverlap = 0;
    std::vector<std::string> shown;

    EMsgAnswer MessageBox(CWnd*, const std::string& strText, const std::string& strCaption, EMsgIcon,
                          EMsgButtons buttons) override;
    void Customize() override { nOverlap = customize ? customize() : nOverlap; }
    uint32_t GetOverlapTime() const override { return nOverlap; }
    bool Show(const std::array<std::string, 6>&) override { return shown.push_back("Estimate"), bConfirm; }
    CShredWindows Windows() { return {*this, nullptr, *this, *this}; }

private:
    size_t m_nAsked = 0;
};

// The double for every window the audio file model asks for: records what was
// shown and answers as scripted (the Shred Equally dialog still runs its
// validation through `dialog`). The progress window keeps the real display
// rules and logs each call ("total 3", "bytes 588000", "names a.wav B-1.wav",
// "number 1", "step file", "step gross", "destroy", "deleted"), as do message
// boxes ("message CAPTION").
class CFakeUi : public IAudioUi {
public:
    struct SMessage {
        std::string strText, strCaption;
        EMsgIcon icon;
        EMsgButtons buttons;
    };

    EMsgAnswer MessageBox(CWnd*, const std::string& strText, const std::string& strCaption, EMsgIcon icon,
                          EMsgButtons buttons) override;
    std::unique_ptr<IShredProgress> CreateProgress(CWnd*) override;
    CShredAnswer RunWaveShredDialog(const CWaveShredArgs& args) override;
    CShredAnswer RunMp3ShredDialog(const CMp3ShredArgs& args) override;
    void ShowWaveInformation(const CWaveInfoValues& info) override;
    void ShowMp3Information(const CMp3InfoValues& info) override;

    CShredAnswer shredAnswer; // what the Shred Equally dialog answers
    CScriptedWindows dialog;
    std::vector<CValidation> validations;
    std::function<void()> onStepFile;
    // The progress window says the user cancelled once it has been stepped
    // this many times on its file bar (over all its files); -1: never.
    long cancelAfterFileSteps = -1;

    std::vector<SMessage> messages;
    EMsgAnswer questionAnswer = EMsgAnswer::No; // what every Yes/No box answers
    std::vector<std::string> infoLines;
    std::vector<CWaveShredArgs> waveShredArgs;
    const std::vector<std::string>& Log() const { return m_log; }
    long Count(const std::string& strEntry) const;

private:
    class CProgress;
    template <typename Args>
    CShredAnswer RunShredDialog(const Args& args);
    std::vector<std::string> m_log;
};
