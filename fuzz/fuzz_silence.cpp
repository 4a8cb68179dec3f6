// libFuzzer entry: arbitrary bytes read as a level track, searched for silences and cut there.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (FuzzSilence(pData, nSize) != 0)
        __builtin_trap(); // a finding: keep the input
    return 0;
}
