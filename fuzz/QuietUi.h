#pragma once

#include "audio/AudioUi.h"

#include <cstdint>
#include <memory>
#include <string>

// The windows of the audio file model for the fuzz targets: nothing is shown,
// Yes/No boxes answer No, and the Shred Equally dialog answers OK with the
// count and base name it was given. What a window would compute from the
// file's values (information lines, count checks, estimate) is still
// computed, so that those functions see hostile values too.
class CQuietUi : public IAudioUi {
public:
    void SetShredAnswer(int32_t nFragments, std::string strBaseName);

    EMsgAnswer MessageBox(CWnd* pOwner, const std::string& strText, const std::string& strCaption, EMsgIcon icon,
                          EMsgButtons buttons) override;
    std::unique_ptr<IShredProgress> CreateProgress(CWnd* pOwner) override;
    CShredAnswer RunWaveShredDialog(const CWaveShredArgs& args) override;
    CShredAnswer RunMp3ShredDialog(const CMp3ShredArgs& args) override;
    void ShowWaveInformation(const CWaveInfoValues& info) override;
    void ShowMp3Information(const CMp3InfoValues& info) override;

private:
    CShredAnswer m_answer;
};
