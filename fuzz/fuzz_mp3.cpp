// libFuzzer entry: arbitrary bytes opened as an MP3 file.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    return FuzzOpenMp3(pData, nSize);
}
