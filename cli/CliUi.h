#pragma once

#include "audio/AudioUi.h"
#include "split/ShredValidation.h"

#include <cstdio>
#include <string>

// The audio file model's windows, for the command line: errors go to standard
// error, naming the file they are about (notices go to pOut), the progress
// window is a bar on a terminal, the Shred Equally dialog is answered from the
// options and runs the same validation (the overlap question becomes a
// warning and the split goes on with the overlap given; the estimate is
// printed and confirmed unless only the estimate was asked for; fragment names
// that stand for a folder, a device or the source are refused before anything
// is written), and File Information prints its lines.
class CCliUi : public IAudioUi, private IShredDialogOwner, private IEstimateWindow {
public:
    struct SShredOptions {
        std::string strCount;
        std::string strBaseName;
        bool bEstimateOnly = false;
        // The split is the command line's own (a plan that cuts at silences):
        // a confirmed answer is kept for GetKeptAnswer(), and the dialog
        // answers Cancel, so that the model writes nothing.
        bool bKeepAnswer = false;
    };

    // strSubject: the source's path as the user gave it, which errors name.
    CCliUi(std::FILE* pOut, std::FILE* pErr, bool bShowProgress, std::string strSubject);

    void SetShredOptions(SShredOptions options) { m_shred = std::move(options); }
    // True when the shred options failed the dialog's checks, or a fragment's
    // name was refused.
    bool HadInputError() const { return m_bInputError; }
    const CShredAnswer& GetKeptAnswer() const { return m_kept; }

    EMsgAnswer MessageBox(CWnd* pOwner, const std::string& strText, const std::string& strCaption, EMsgIcon icon,
                          EMsgButtons buttons) override;
    std::unique_ptr<IShredProgress> CreateProgress(CWnd* pOwner) override;
    CShredAnswer RunWaveShredDialog(const CWaveShredArgs& args) override;
    CShredAnswer RunMp3ShredDialog(const CMp3ShredArgs& args) override;
    void ShowWaveInformation(const CWaveInfoValues& info) override;
    void ShowMp3Information(const CMp3InfoValues& info) override;

private:
    template <typename Args>
    CShredAnswer AnswerShred(const Args& args);
    void Customize() override {}
    uint32_t GetOverlapTime() const override { return m_nOverlap; }
    bool Show(const std::array<std::string, 6>& lines) override;

    std::FILE* m_pOut;
    std::FILE* m_pErr;
    bool m_bShowProgress;
    std::string m_strSubject;
    SShredOptions m_shred;
    CShredAnswer m_kept;
    bool m_bInputError = false;
    bool m_bOverlapTooLong = false;
    uint32_t m_nOverlap = 0;
};
