#pragma once

#include "res/Messages.h"

#include "audio/ShredDialog.h"

#include <array>
#include <cstdint>
#include <string>

// The checks and the estimate that decide whether an equal split may start,
// apart from any window: the Shred Equally dialog shows their messages, the
// command-line front end prints them.

// Results of the checks, as the dialog's validation returns them.
enum : int {
    kCheckOk = 0,
    kCheckTooShort = -1,      // a fragment would not play for one second
    kCheckCountTooSmall = -2, // 0 or 1 fragment
    kCheckNoCount = -3,       // the number field is empty
    kCheckEstimateCancelled = -4,
    kCheckTooManyFragments = -5, // more than the 16-bit fragment counter allows
};


struct CCountCheck {
    int nResult = kCheckOk;
    const char* pMessage = nullptr; // null when the check passed
    uint32_t nFragments = 0;        // the number as the field converts it
};

// The number field's text converted as atoi does (optional sign, leading digits).
int32_t ParseFragmentCount(const std::string& strText);

// Steps 1 to 3 of the validation: the number is there, above 1, and leaves
// every fragment at least one second of audio; then, beyond what the dialog
// itself checks, within the 16-bit fragment counter.
CCountCheck CheckFragmentCount(const std::string& strText, uint64_t nBytesToDivide, uint64_t nBytesPerSecond);
CCountCheck CheckWaveFragmentCount(const std::string& strText, const CWaveShredArgs& args);
CCountCheck CheckMp3FragmentCount(const std::string& strText, const CMp3ShredArgs& args);

// The predicted size of one fragment file and its playing time.
struct CEstimate {
    uint64_t nFragmentSize = 0;
    double dPlaytime = 0.0;
};
CEstimate EstimateWave(const CWaveShredArgs& args, uint32_t n);
CEstimate EstimateMp3(const CMp3ShredArgs& args, uint32_t n);

// The overlap warning's question.
std::string FormatOverlapQuestion(uint32_t nOverlap, uint32_t nPlaytime, uint32_t nHalf);

// The Estimate window's summary line and its five lines, in the order of its
// controls 1041, 1037, 1038, 1039, 1040 and 1042.
std::array<std::string, 6> FormatEstimateLines(const std::string& strSourceName, uint32_t n, uint32_t nOverlap,
                                               const CEstimate& estimate);
