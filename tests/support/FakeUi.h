#pragma once

#include "audio/AudioUi.h"
#include "split/ShredProgressState.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CAudioFile;

// Records what the model showed and answers as scripted: the double for every
// window the audio file model asks for.
class CFakeUi : public IAudioUi {
public:
    struct SMessage {
        std::string strText;
        std::string strCaption;
        EMsgIcon icon;
        EMsgButtons buttons;
    };

    // The progress double: the real display rules, plus a log of every call
    // ("total 3", "bytes 588000", "names a.wav B-1.wav", "number 1", "step file",
    // "step gross", "destroy") and the output size seen at each file step.
    class CProgress : public CShredProgressState {
    public:
        explicit CProgress(CFakeUi& owner) : m_owner(owner) {}
        ~CProgress() override { m_owner.m_log.push_back("deleted"); }
        void SetTotalFiles(unsigned n) override;
        void SetFileBytes(uint32_t n) override;
        void StepGross() override;
        void StepFile() override;
        void ShowFileNames(std::string a, std::string b) override;
        void ShowFileNumber(unsigned n) override;
        void DestroyWindow() override { m_owner.m_log.push_back("destroy"); }

    private:
        CFakeUi& m_owner;
    };

    EMsgAnswer MessageBox(CWnd* pOwner, const std::string& strText, const std::string& strCaption, EMsgIcon icon,
                          EMsgButtons buttons) override;
    std::unique_ptr<IShredProgress> CreateProgress(CWnd* pOwner) override;
    CShredAnswer RunWaveShredDialog(const CWaveShredArgs& args) override;
    CShredAnswer RunMp3ShredDialog(const CMp3ShredArgs& args) override;
    void ShowWaveInformation(const CWaveInfoValues& info) override;
    void ShowMp3Information(const CMp3InfoValues& info) override;

    // Scripted answers.
    std::deque<EMsgAnswer> answers;             // for Yes/No boxes; No when empty
    CShredAnswer shredAnswer;                    // what the Shred Equally dialog answers
    std::function<void()> duringShredDialog;     // runs while the dialog is "open"

    // What was shown.
    std::vector<SMessage> messages;
    std::vector<std::string> infoLines;
    std::vector<CWaveShredArgs> waveShredArgs;
    std::vector<CMp3ShredArgs> mp3ShredArgs;
    int nProgressWindows = 0;
    const std::vector<std::string>& Log() const { return m_log; }
    // Hooks called on every file step and every gross step (after a file was
    // closed), e.g. to look at the output so far.
    std::function<void()> onStepFile;
    std::function<void()> onStepGross;

private:
    std::vector<std::string> m_log;
};
