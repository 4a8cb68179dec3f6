// libFuzzer entry: arbitrary bytes opened, saved from and shredded.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    return FuzzCut(pData, nSize);
}
