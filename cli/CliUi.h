#pragma once

#include "audio/AudioUi.h"
#include "split/ShredChecks.h"

#include <cstdio>
#include <functional>
#include <string>

// The audio file model's windows, for the command line: messages go to
// standard error (notices to standard output), the progress window is a bar on
// a terminal, the Shred Equally dialog is answered from the options and runs
// the same checks, and File Information prints its lines.
class CCliUi : public IAudioUi {
public:
    struct SShredOptions {
        std::string strCount;
        std::string strBaseName;
        bool bEstimateOnly = false;
    };

    CCliUi(std::FILE* pOut, std::FILE* pErr, bool bShowProgress);

    void SetShredOptions(SShredOptions options) { m_shred = std::move(options); }
    // True when the shred options failed the dialog's checks.
    bool HadInputError() const { return m_bInputError; }
    // Fragments fully written by the last split.
    unsigned GetFilesCompleted() const { return m_nFilesCompleted; }

    EMsgAnswer MessageBox(CWnd* pOwner, const std::string& strText, const std::string& strCaption, EMsgIcon icon,
                          EMsgButtons buttons) override;
    std::unique_ptr<IShredProgress> CreateProgress(CWnd* pOwner) override;
    CShredAnswer RunWaveShredDialog(const CWaveShredArgs& args) override;
    CShredAnswer RunMp3ShredDialog(const CMp3ShredArgs& args) override;
    void ShowWaveInformation(const CWaveInfoValues& info) override;
    void ShowMp3Information(const CMp3InfoValues& info) override;

private:
    CShredAnswer AnswerShred(const CCountCheck& check, const std::string& strSourceName, int32_t nOverlap,
                             const std::function<CEstimate(uint32_t)>& estimate);

    std::FILE* m_pOut;
    std::FILE* m_pErr;
    bool m_bShowProgress;
    SShredOptions m_shred;
    bool m_bInputError = false;
    unsigned m_nFilesCompleted = 0;
};
