#pragma once

#include "platform/MessageBox.h"
#include "audio/ShredDialog.h"
#include "audio/ShredProgress.h"

#include <cstdint>
#include <memory>

class CWnd;
struct CWaveInfoValues;
struct CMp3InfoValues;

// Everything the audio file model asks of windows: message boxes, the progress
// window, the Shred Equally dialog and the File Information windows. The Qt
// program implements it; tests and the command-line front end bring their own,
// so the model runs without a display.
class IAudioUi : public IMessageBoxes {
public:
    // The progress window, shown at once, owned by pOwner (may be null).
    virtual std::unique_ptr<IShredProgress> CreateProgress(CWnd* pOwner) = 0;

    // Runs the Shred Equally dialog modally. While it runs it may change the
    // audio file's overlap time (through the main window's Customize command).
    virtual CShredAnswer RunWaveShredDialog(const CWaveShredArgs& args) = 0;
    virtual CShredAnswer RunMp3ShredDialog(const CMp3ShredArgs& args) = 0;

    // Shows a File Information window modally.
    virtual void ShowWaveInformation(const CWaveInfoValues& info) = 0;
    virtual void ShowMp3Information(const CMp3InfoValues& info) = 0;
};
