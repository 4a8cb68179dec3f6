#pragma once

#include "res/Messages.h"

#include "platform/MessageBox.h"
#include "platform/Settings.h"

#include <cstdint>
#include <string>

class CWnd;

// The overlap time: whole seconds that neighbouring fragments of an equal
// split share, kept between runs under this name.
inline constexpr const char* kOverlapValueName = "Overlap time";

// Whether cuts are exact (see CAudioFile::SetExactCuts), kept beside the
// overlap time under this name: nonzero for on. Off when missing.
inline constexpr const char* kExactCutsValueName = "Exact cuts";
bool ReadExactCuts(const ISettings& settings);
// Stores it as 1 or 0; when that fails, says so in an exclamation box owned by
// pOwner. True when the value was stored.
bool SaveExactCuts(ISettings& settings, bool bExact, IMessageBoxes& boxes, CWnd* pOwner);

// The highest value the Customize overlap dialog's arrows step up to; a typed
// value may be higher.
inline constexpr uint32_t kMaxSteppedOverlap = 300;

// The stored overlap time, 0 when there is none or it cannot be read. Never
// tells the user anything.
uint32_t ReadOverlap(const ISettings& settings);

// Stores the overlap time; when that fails, says so in an exclamation box owned
// by pOwner. True when the value was stored.
bool SaveOverlap(ISettings& settings, uint32_t nOverlap, IMessageBoxes& boxes, CWnd* pOwner);

// One click of the dialog's arrows: up adds a second below kMaxSteppedOverlap,
// down takes one away above 0; otherwise the value stays.
uint32_t StepOverlap(uint32_t nValue, bool bUp);

// The dialog's field as a number of seconds: decimal digits only, 0 for an
// empty field, anything else, or more than 32 bits hold.
uint32_t ParseOverlapText(const std::string& strText);
