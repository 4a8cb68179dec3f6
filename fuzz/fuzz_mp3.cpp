// libFuzzer entry: arbitrary bytes opened as an MP3 file.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (FuzzOpenMp3(pData, nSize) != 0)
        __builtin_trap(); // a finding: keep the input
    return 0;
}
