#include "split/OverlapSetting.h"

#include <limits>

uint32_t ReadOverlap(const ISettings& settings)
{
    return settings.GetUInt32(kOverlapValueName).value_or(0);
}

bool ReadExactCuts(const ISettings& settings)
{
    return settings.GetUInt32(kExactCutsValueName).value_or(0) != 0;
}

namespace {

// Stores one value; when that fails, shows the text for the way it failed.
bool StoreValue(ISettings& settings, const char* pszName, uint32_t nValue, const char* pszStoreError,
                const char* pszValueError, IMessageBoxes& boxes, CWnd* pOwner)
{
    const char* pText = nullptr;
    switch (settings.SetUInt32(pszName, nValue)) {
    case ESettingsWrite::Ok:
        return true;
    case ESettingsWrite::StoreUnavailable:
        pText = pszStoreError;
        break;
    case ESettingsWrite::ValueNotWritten:
        pText = pszValueError;
        break;
    }
    if (pText)
        boxes.MessageBox(pOwner, pText, kOverlapErrorCaption, EMsgIcon::Exclamation, EMsgButtons::Ok);
    return false;
}

} // namespace

bool SaveOverlap(ISettings& settings, uint32_t nOverlap, IMessageBoxes& boxes, CWnd* pOwner)
{
    return StoreValue(settings, kOverlapValueName, nOverlap, kOverlapStoreErrorText, kOverlapValueErrorText, boxes,
                      pOwner);
}

bool SaveExactCuts(ISettings& settings, bool bExact, IMessageBoxes& boxes, CWnd* pOwner)
{
    return StoreValue(settings, kExactCutsValueName, bExact ? 1 : 0, kExactCutsStoreErrorText,
                      kExactCutsStoreErrorText, boxes, pOwner);
}

uint32_t StepOverlap(uint32_t nValue, bool bUp)
{
    if (bUp)
        return nValue < kMaxSteppedOverlap ? nValue + 1 : nValue;
    return nValue > 0 ? nValue - 1 : nValue;
}

uint32_t ParseOverlapText(const std::string& strText)
{
    if (strText.empty())
        return 0;
    uint64_t nValue = 0;
    for (const char c : strText) {
        if (c < '0' || c > '9')
            return 0;
        nValue = nValue * 10 + static_cast<uint64_t>(c - '0');
        if (nValue > std::numeric_limits<uint32_t>::max())
            return 0;
    }
    return static_cast<uint32_t>(nValue);
}
