// libFuzzer entry: arbitrary bytes read as a cue sheet.
#include "fuzz/FuzzTargets.h"

#include <sanitizer/common_interface_defs.h>

#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // While libcue parses, standard error leads into a pipe of the reader's;
    // a sanitizer report from inside a parse goes to the terminal all the same.
    static int s_nReportFd = ::dup(STDERR_FILENO);
    if (s_nReportFd >= 0)
        __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(s_nReportFd)));
    return 0;
}

// libcue 2.2 leaks a track when a sheet has more than the 99 it holds, and a
// sheet it gives up on; that is its fault, not one this target looks for.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libcue.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (FuzzCue(pData, nSize) != 0)
        __builtin_trap(); // a finding: keep the input
    return 0;
}
