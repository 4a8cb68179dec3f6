#pragma once

#include "audio/ShredDialog.h"
#include "platform/MessageBox.h"
#include "split/ShredChecks.h"

#include <array>
#include <cstdint>
#include <string>

class CWnd;

// The main window as the Shred Equally dialog reaches it: its Customize
// command (the overlap dialog, which updates the main window's overlap time
// and the audio file's) and its current overlap time.
class IShredDialogOwner {
public:
    virtual ~IShredDialogOwner() = default;
    virtual void Customize() = 0;
    virtual uint32_t GetOverlapTime() const = 0;
};

// The Estimate window, shown modally with the summary line and the five lines
// of FormatEstimateLines; true when it was closed with OK, false with Cancel.
class IEstimateWindow {
public:
    virtual ~IEstimateWindow() = default;
    virtual bool Show(const std::array<std::string, 6>& lines) = 0;
};

// What the validation asks of windows: message boxes owned by the dialog
// (null: no owner), the dialog's owner and the Estimate window.
struct CShredWindows {
    IMessageBoxes& boxes;
    CWnd* pDialog;
    IShredDialogOwner& owner;
    IEstimateWindow& estimate;
};

// How a validation ended: kCheckOk when the estimate was confirmed, else the
// failing check's result or kCheckEstimateCancelled; the number of fragments
// as the field converts it; the overlap time the dialog goes on with.
struct CValidation {
    int nResult = kCheckOk;
    uint32_t nFragments = 0;
    uint32_t nOverlap = 0;
};

// The overlap warning: while the overlap is more than half a fragment's
// playing time, asks whether to change it ("Confirm"); Yes runs the owner's
// Customize and asks again with its new value, No says the fragments may not
// adhere to the estimate. Returns the overlap time to go on with.
uint32_t CheckOverlap(uint32_t nOverlap, double dPlaytime, const CShredWindows& windows);

// The Shred Equally dialog's validation, for the number field's text: the
// count checks (their message in an "Error" box), the estimate, the overlap
// warning, then the Estimate window to confirm.
CValidation ValidateAndEstimate(const std::string& strCount, const CWaveShredArgs& args, uint32_t nOverlap,
                                const CShredWindows& windows);
CValidation ValidateAndEstimate(const std::string& strCount, const CMp3ShredArgs& args, uint32_t nOverlap,
                                const CShredWindows& windows);
