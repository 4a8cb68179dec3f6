// libFuzzer entry: arbitrary bytes opened as a WAV file.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    return FuzzOpenWave(pData, nSize);
}
