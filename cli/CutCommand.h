#pragma once

#include "cli/CutOptions.h"

enum : int { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

// Runs info, save or shred on standard output and standard error; returns
// the exit status (kExitOk or kExitFailure).
int RunCutCommand(const SCutOptions& options);
