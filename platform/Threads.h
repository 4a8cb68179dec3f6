#pragma once

// Lowers the calling thread's scheduling priority, so that work done in the
// background (the analysis of a long file) yields the processor to the
// thread that answers the user whenever both want it. It runs just as fast
// when nothing else does.
void RunInBackground();
