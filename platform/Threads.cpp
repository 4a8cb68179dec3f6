#include "platform/Threads.h"

#include <sys/resource.h>
#include <unistd.h>

void RunInBackground()
{
    // On Linux a nice value belongs to each thread: PRIO_PROCESS with the
    // thread's own id changes it alone. A failure leaves the priority as it
    // was, which costs only responsiveness.
    constexpr int kBackgroundNice = 10;
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNice);
}
