// libFuzzer entry: arbitrary bytes opened, then cut by a random plan.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (FuzzPlan(pData, nSize) != 0)
        __builtin_trap(); // a finding: keep the input
    return 0;
}
