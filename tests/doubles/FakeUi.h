#pragma once

#include "audio/AudioUi.h"
#include "split/ShredProgressState.h"
#include "split/ShredValidation.h"

#include <functional>
#include <string>
#include <vector>

// The double for every window the audio file model asks for: records what was
// shown and answers as scripted (the Shred Equally dialog still computes its
// checks and estimate, whatever it answers). The progress window keeps the real display
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
    // The dialog's windows: Yes or No to each "Confirm" question in turn (No
    // when none is left), what the main window's Customize command leaves as
    // the overlap time, and whether the Estimate window is confirmed.
    std::vector<bool> overlapQuestionAnswers;
    std::function<uint32_t()> customize;
    bool bConfirmEstimate = true;
    std::vector<std::string> dialogMessages; // captions and texts, "Confirm: ..."
    std::vector<CValidation> validations;
    std::function<void()> onStepFile, onStepGross;

    std::vector<SMessage> messages;
    EMsgAnswer questionAnswer = EMsgAnswer::No; // what every Yes/No box answers
    std::vector<std::string> infoLines;
    std::vector<CWaveShredArgs> waveShredArgs;
    std::vector<CMp3ShredArgs> mp3ShredArgs;
    int nProgressWindows = 0;
    const std::vector<std::string>& Log() const { return m_log; }
    long Count(const std::string& strEntry) const;

private:
    class CProgress;
    class CDialogWindows;
    template <typename Args>
    CShredAnswer RunShredDialog(const Args& args);
    std::vector<std::string> m_log;
};
